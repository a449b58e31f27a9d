#pragma once

#include <QString>

namespace tallomar {

// Makes the package list at `path` the one the parameter window reads:
// gListFile = its absolute path, gBaseFolder = its folder, gListCount = the
// key "Count" of section "File" when present, else the number of consecutive
// entries from 1 whose key "<i>.1" exists. Throws tallomar::Error when the
// file is missing or unreadable, or its count is not a number from 0 to 32767.
void OpenPackageList(const QString& path);

}  // namespace tallomar
