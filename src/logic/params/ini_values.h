#pragma once

#include "logic/params/package_list.h"

#include <QString>
#include <QtGlobal>

// Reading and writing single values of the package list and of the script
// configuration files.
namespace tallomar {

// The value of `key` in `section` of `file`, or `defaultValue` when there is
// none (a missing file, or an empty file name, has none); at most 255 characters. Text from "//"
// on is a comment, and the character just before the "//" goes with it:
// "12 //count" reads "12", "12//count" reads "1". NUL characters are removed
// and blanks trimmed.
QString ReadIniValue(const QString& section, const QString& key, const QString& defaultValue, const QString& file);

// Stores `value` under `key` in `section` of `file`, creating the file,
// section or key when missing, and leaves the file read-only: a read-only
// file is made writable for the write. Throws tallomar::Error when the value
// cannot be stored or no file is named; the file then keeps its old content
// (and is read-only).
void WriteIniValue(const QString& section, const QString& key, const QString& value, const QString& file);

// The folders that the folder words of a configuration folder stand for: the
// Windows folder is the folder "windows" in the list's base folder, the
// system folder "windows/system32" in it.
QString WindowsFolder(const PackageList& list);
QString SystemFolder(const PackageList& list);

// `path` with the first folder word found replaced by its folder. The words
// are tried in the order "windows", "winnt", "system32", ".." (letter case
// counts); the first one found anywhere in `path` wins, and whatever stood
// before it is dropped. ".." stands for the list's base folder. Without a
// folder word `path` comes back unchanged.
QString ResolveSystemPath(const PackageList& list, const QString& path);

// `text` without the characters whose code in code page 936 is `code` (a
// two-byte character's code is its two bytes, lead byte high, as a signed
// 16-bit number).
QString StripChar(const QString& text, qint16 code);

}  // namespace tallomar
