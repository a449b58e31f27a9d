#include "app/single_instance.h"

#include "platform/text/user_folders.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <cstdio>

namespace tallomar {

namespace {

// A later start sends kActivate; the holder answers with one line, kActivated
// followed by its package folder, percent-encoded so that any folder name
// (even one with a line break) stays on that line.
const QByteArray kActivate = "activate\n";
const QByteArray kActivated = "activated ";

QByteArray activatedAnswer(const QString& packageFolder) {
    return kActivated + packageFolder.toUtf8().toPercentEncoding() + '\n';
}

std::optional<QString> packageFolderAnswered(const QByteArray& line) {
    if (!line.startsWith(kActivated) || !line.endsWith('\n')) return std::nullopt;
    return QString::fromUtf8(QByteArray::fromPercentEncoding(line.sliced(kActivated.size()).chopped(1)));
}

// The path of the lock of one installation, without its ending; empty when
// there is no private folder for it.
QString lockStem(const QString& executablePath) {
    const QString folder = userRuntimeFolder();
    if (folder.isEmpty()) {
        std::fputs("tallomar: no folder of this user's own for the lock; other running copies are not detected\n",
                   stderr);
        return {};
    }
    const QByteArray key =
        QCryptographicHash::hash(QFileInfo(executablePath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    return QDir(folder).filePath(QStringLiteral("tallomar-%1").arg(QString::fromLatin1(key.toHex().left(16))));
}

std::unique_ptr<QLockFile> lockAt(const QString& stem) {
    if (stem.isEmpty()) return nullptr;
    auto lock = std::make_unique<QLockFile>(stem + QStringLiteral(".lock"));
    // A running copy may hold the lock for days; only a dead owner makes it stale.
    lock->setStaleLockTime(0);
    return lock;
}

}  // namespace

void ProvideRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QString folder = userRuntimeFolder();
    if (!folder.isEmpty()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
}

SingleInstance::SingleInstance(const QString& executablePath) {
    const QString stem = lockStem(executablePath);
    lock_ = lockAt(stem);
    if (!stem.isEmpty()) socketPath_ = stem + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire(std::function<void()> activate) {
    if (!lock_) return true;
    if (!lock_->tryLock(0)) return false;
    activate_ = std::move(activate);
    // Holding the lock, this copy owns the socket's name: a socket file left
    // by a killed copy is removed first.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { answer(); });
    if (!server_->listen(socketPath_))
        std::fprintf(stderr,
                     "tallomar: cannot listen on %s (%s); a later start cannot bring this window to the front\n",
                     qPrintable(socketPath_), qPrintable(server_->errorString()));
    return true;
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) return;
            if (socket->readLine() != kActivate) {
                socket->disconnectFromServer();
                return;
            }
            if (activate_) activate_();
            socket->write(activatedAnswer(packageFolder_));
            socket->flush();
        });
    }
}

void SingleInstance::setPackageFolder(const QString& folder) {
    packageFolder_ = folder;
}

std::optional<QString> SingleInstance::activateRunningCopy(std::chrono::milliseconds wait) const {
    if (socketPath_.isEmpty()) return std::nullopt;
    const QDeadlineTimer deadline(wait);
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) return std::nullopt;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) return std::nullopt;
    while (!socket.canReadLine())
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime()))) return std::nullopt;
    return packageFolderAnswered(socket.readLine());
}

}  // namespace tallomar
