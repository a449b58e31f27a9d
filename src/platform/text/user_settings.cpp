#include "platform/text/user_settings.h"

#include <QDir>
#include <QStandardPaths>

namespace tallomar {

QString userSettingsPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(folder).filePath(QStringLiteral("tallomar/tallomar.ini"));
}

}  // namespace tallomar
