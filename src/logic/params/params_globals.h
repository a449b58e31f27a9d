#pragma once

#include <QString>
#include <QtGlobal>

namespace tallomar {

// The package list that names the parameterised scripts, set by the program
// that opens the parameter window before it opens it.
extern QString gListFile;    // path of the package list; the file read when none is named
extern qint16 gListCount;    // number of entries in the package list
extern QString gBaseFolder;  // folder the word ".." stands for; also holds the folders
                             // standing for the Windows folder and the system folder

}  // namespace tallomar
