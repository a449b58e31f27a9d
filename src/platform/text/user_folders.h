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

// A folder of this user alone for what lives only while a program runs (the
// lock and the socket that keep one copy per installation), made on first
// use: $XDG_RUNTIME_DIR on Linux, or without it a folder under the temp
// folder closed to others; %LOCALAPPDATA%\Tallomar on Windows, which the
// user's profile keeps closed to others. Empty when the folder cannot be
// made or one in its place is not this user's alone (made by another user,
// a link, or open to others): a lock there could be taken or blocked by
// someone else.
QString userRuntimeFolder();

}  // namespace tallomar
