#include "platform/text/user_folders.h"

#include <QDir>
#include <QStandardPaths>

namespace tallomar {

QString userSettingsFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("tallomar"));
}

QString userDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("tallomar"));
}

}  // namespace tallomar
