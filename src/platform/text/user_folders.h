#pragma once

#include <QString>

namespace tallomar {

// The folders of the user's own files of the programs, where the system
// keeps such files (not created here):
// - settings: $XDG_CONFIG_HOME/tallomar on Linux (~/.config/tallomar when
//   unset), %APPDATA%\Tallomar on Windows;
// - data (the run history, the user's copy of the demo package):
//   $XDG_DATA_HOME/tallomar on Linux (~/.local/share/tallomar when unset),
//   %LOCALAPPDATA%\Tallomar on Windows.
QString userSettingsFolder();
QString userDataFolder();

}  // namespace tallomar
