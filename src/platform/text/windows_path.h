#pragma once

#include <QString>

namespace tallomar {

// Tool packages are authored on Windows: names inside them use "\" between
// folders and match files without regard to letter case. These helpers give
// such names their meaning on this file system.

// Resolves `relativeName` (separators "\" or "/", any letter case) under
// `folder`. Each part that does not exist as written is matched against the
// folder's entries without regard to case; a part that matches nothing is kept
// as written, so the result then names nothing that exists.
QString resolvePackagePath(const QString& folder, const QString& relativeName);

// Resolves a full path as a Windows program would see it: "\" separates
// folders and a part that does not exist as written is matched without regard
// to case. A drive path ("D:\pics\a.jpg") names nothing here and is returned
// with its separators converted, so it does not exist.
QString resolveWindowsPath(const QString& path);

// True when a file or a folder exists under the path.
bool FileExists(const QString& path);

}  // namespace tallomar
