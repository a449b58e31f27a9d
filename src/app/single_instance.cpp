#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallomar {

namespace {

QString lockPathFor(const QString& executablePath) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    const QByteArray key = QCryptographicHash::hash(
        QFileInfo(executablePath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    return QDir(folder).filePath(QStringLiteral("tallomar-%1.lock")
                                     .arg(QString::fromLatin1(key.toHex().left(16))));
}

}  // namespace

SingleInstance::SingleInstance(const QString& executablePath)
    : lock_(std::make_unique<QLockFile>(lockPathFor(executablePath))) {
    // A running copy may hold the lock for days; only a dead owner makes it stale.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() { return lock_->tryLock(0); }

}  // namespace tallomar
