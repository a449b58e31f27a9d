#include "platform/text/user_folders.h"

#include <windows.h>

#include <shlobj.h>
#include <QDir>
#include <QStandardPaths>

namespace tallomar {

// Settings roam with the user's profile; Qt names the roaming folder only
// together with an organization and program name, and the programs share one.
QString userSettingsFolder() {
    PWSTR roaming = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &roaming)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(roaming));
    CoTaskMemFree(roaming);
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(folder).filePath(QStringLiteral("Tallomar"));
}

// The history stays on this machine: %LOCALAPPDATA%.
QString userDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Tallomar"));
}

// Windows has no folder of its own for this; the local application data
// folder is the user's and stays on this machine.
QString userRuntimeFolder() {
    const QString folder = userDataFolder();
    return QDir().mkpath(folder) ? folder : QString();
}

}  // namespace tallomar
