#pragma once

#include <QString>

namespace tallomar {

// The user's own settings file of the program, an INI file kept by
// QSettings: $XDG_CONFIG_HOME/tallomar/tallomar.ini. It holds what the user
// chose before (package folders, the export folder), never a tool's settings.
QString userSettingsPath();

}  // namespace tallomar
