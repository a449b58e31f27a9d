#pragma once

#include <QString>
#include <QtGlobal>

namespace tallomar {

// The package list that names the parameterised scripts, and what reading
// it needs: made once by OpenPackageList and handed to every reader of the
// list and of the folders its entries name.
struct PackageList {
    QString listFile;      // path of the package list
    qint16 listCount = 0;  // entries 1 to listCount of its section "File"
    QString baseFolder;    // folder the word ".." stands for; also holds the folders
                           // standing for the Windows folder and the system folder
};

// The package list at `path`: listFile = its absolute path, baseFolder = its
// folder, listCount = the key "Count" of section "File" when present, else
// the number of consecutive entries from 1 whose key "<i>.1" exists. Throws
// tallomar::Error when the file is missing or unreadable, or its count is not
// a number from 0 to 32767.
PackageList OpenPackageList(const QString& path);

}  // namespace tallomar
