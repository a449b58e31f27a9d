#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <unistd.h>

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
    if (folder.isSymLink() || !folder.isDir() || folder.ownerId() != ::getuid() || (folder.permissions() & others))
        return {};
    return path;
}

// XDG_RUNTIME_DIR, or without it a private folder under the temp folder. Qt
// is asked for the runtime folder only when the variable is set: asked
// without it, it warns on stderr.
QString runtimeFolder() {
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return privateFolderUnder(QDir::tempPath(), QStringLiteral("tallomar-%1").arg(::getuid()));
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

std::unique_ptr<QLockFile> lockFor(const QString& executablePath) {
    const QString folder = runtimeFolder();
    if (folder.isEmpty()) {
        std::fprintf(stderr, "tallomar: no private folder for the lock under %s; other running copies are not detected\n",
                     qPrintable(QDir::tempPath()));
        return nullptr;
    }
    const QByteArray key = QCryptographicHash::hash(
        QFileInfo(executablePath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(
        QStringLiteral("tallomar-%1.lock").arg(QString::fromLatin1(key.toHex().left(16)))));
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

SingleInstance::SingleInstance(const QString& executablePath) : lock_(lockFor(executablePath)) {}

bool SingleInstance::acquire() { return !lock_ || lock_->tryLock(0); }

}  // namespace tallomar
