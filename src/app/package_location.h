#pragma once

#include <QString>
#include <QStringList>

namespace tallomar {

// Where tool packages are found besides the command line: the package shipped
// beside the program, the demo package installed with it and the user's copy
// of that, and the package folders the user opened before.

// The package folder a command-line argument names, as a full path: the
// folder itself, or the folder of the tool database when the argument is the
// ZOL.mdb file (in any letter case, as a file manager passes it).
QString packageFolderNamedBy(const QString& argument);

// The folder `file` beside the program (any letter case), or empty text when
// there is none.
QString bundledPackageFolder(const QString& applicationFolder);

// The demo package installed with the program, share/tallomar/examples/demo
// of the prefix whose bin/ holds it; empty text when it is not installed.
QString installedDemoPackage(const QString& applicationFolder);

// Where the user's own copy of the demo package lives,
// $XDG_DATA_HOME/tallomar/demo, whether it has been made or not.
QString userDemoFolder();

// The user's own copy of the demo package (userDemoFolder()), copied from
// `installedDemo` on first use so that its settings can be saved; a copy
// made before is kept as it is. Throws Error naming the folders when the
// copy fails, leaving no half-made copy behind.
QString userDemoPackage(const QString& installedDemo);

// The package folders opened before, newest first, as kept in
// $XDG_CONFIG_HOME/tallomar/tallomar.ini; folders gone since are left out.
QStringList recentPackageFolders();

// Puts `folder` first among the recent package folders, keeping a few.
void rememberPackageFolder(const QString& folder);

}  // namespace tallomar
