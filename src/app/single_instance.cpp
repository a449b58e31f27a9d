#include "app/single_instance.h"

#include "platform/process/process_stamp.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cstdio>

namespace tallomar {

namespace {

// `name` under `parent`, made on first use for this user alone. Empty when a
// folder of that name exists that is not this user's private folder (made by
// another user, a link, or open to others): a lock there could be taken or
// blocked by someone else.
QString privateFolderUnder(const QString& parent, const QString& name) {
    const QString path = QDir(parent).filePath(name);
    QDir().mkdir(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QFileInfo folder(path);
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (folder.isSymLink() || !folder.isDir() || folder.ownerId() != currentUserId() || (folder.permissions() & others))
        return {};
    return path;
}

// XDG_RUNTIME_DIR, or without it a private folder under the temp folder. Qt
// is asked for the runtime folder only when the variable is set: asked
// without it, it warns on stderr.
QString runtimeFolder() {
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return privateFolderUnder(QDir::tempPath(), QStringLiteral("tallomar-%1").arg(currentUserId()));
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

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
    const QString folder = runtimeFolder();
    if (folder.isEmpty()) {
        std::fprintf(stderr, "tallomar: no private folder for the lock under %s; other running copies are not detected\n",
                     qPrintable(QDir::tempPath()));
        return {};
    }
    const QByteArray key = QCryptographicHash::hash(
        QFileInfo(executablePath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
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
    const QString folder = runtimeFolder();
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
        std::fprintf(stderr, "tallomar: cannot listen on %s (%s); a later start cannot bring this window to the front\n",
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
