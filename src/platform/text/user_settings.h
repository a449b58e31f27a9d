#pragma once

#include <QString>

namespace tallomar {

// The user's own settings file of the program, an INI file kept by
// QSettings: tallomar.ini in userSettingsFolder() ($XDG_CONFIG_HOME/tallomar
// on Linux, %APPDATA%\Tallomar on Windows). It holds what the user
// chose before (package folders, the export folder), never a tool's settings.
QString userSettingsPath();

}  // namespace tallomar
