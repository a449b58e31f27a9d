#include "platform/text/user_folders.h"

#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallomar {

namespace {

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

}  // namespace

QString userSettingsFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("tallomar"));
}

QString userDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("tallomar"));
}

// Qt is asked for the runtime folder only when the variable is set: asked
// without it, it warns on stderr.
QString userRuntimeFolder() {
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return privateFolderUnder(QDir::tempPath(), QStringLiteral("tallomar-%1").arg(::getuid()));
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

}  // namespace tallomar
