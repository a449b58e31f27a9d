#pragma once

#include <QCoreApplication>
#include <QString>

namespace tallomar {

// Sets gToolFolder (the tool package folder `file` inside the application
// folder, found without regard to letter case), gToolDbPath and
// gToolDbPassword.
void InitPaths(const QString& applicationFolder = QCoreApplication::applicationDirPath());

// Opens the tool database at `path` as cnTool and loads the saved settings
// into the process-wide values, trimmed of blanks. False, after telling the
// operator why, when the file is missing or cannot be read.
bool OpenToolDatabase(const QString& path);

}  // namespace tallomar
