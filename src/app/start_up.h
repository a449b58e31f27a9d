#pragma once

#include "session/session.h"

#include <QString>

namespace tallomar {

// Sets the package paths of `session`: gToolFolder, the tool package
// folder, and gToolDbPath, its ZOL.mdb (found without regard to letter case).
void InitPaths(Session& session, const QString& packageFolder);

// Opens the tool database at `path` as the session's cnTool and loads the
// saved settings into it, trimmed of blanks. False, after telling the
// operator why, when the file is missing or cannot be read.
bool OpenToolDatabase(Session& session, const QString& path);

}  // namespace tallomar
