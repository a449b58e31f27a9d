#pragma once

#include <QString>

namespace tallomar {

// Sets gToolFolder (the tool package folder), gToolDbPath (its ZOL.mdb,
// found without regard to letter case) and gToolDbPassword.
void InitPaths(const QString& packageFolder);

// Opens the tool database at `path` as cnTool and loads the saved settings
// into the process-wide values, trimmed of blanks. False, after telling the
// operator why, when the file is missing or cannot be read.
bool OpenToolDatabase(const QString& path);

}  // namespace tallomar
