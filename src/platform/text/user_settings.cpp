#include "platform/text/user_settings.h"

#include "platform/text/user_folders.h"

#include <QDir>

namespace tallomar {

QString userSettingsPath() {
    return QDir(userSettingsFolder()).filePath(QStringLiteral("tallomar.ini"));
}

}  // namespace tallomar
