#pragma once

#include <QString>
#include <optional>

// Initialization files ("[section]" lines, then "key=value" lines) read and
// written the way Windows profile functions do, so that files authored on
// Windows mean the same here:
// - sections and keys match without regard to letter case;
// - whitespace around names and values is trimmed, and a value wrapped in one
//   pair of matching quotes ("..." or '...') loses them;
// - ";" starts a comment only at the beginning of a line (after whitespace);
// - a line without "=" holds no value;
// - when a name occurs twice, the first occurrence counts;
// - text is code page 936 (GBK) unless a UTF-8 or UTF-16 byte-order mark says
//   otherwise.
namespace tallomar::profile {

// The value of `key` in `section` of the file; empty optional when the file
// cannot be read or holds no such section or key.
std::optional<QString> readValue(const QString& filePath, const QString& section, const QString& key);

// Stores `value` under `key` in `section`. Every byte of the file outside the
// old value stays as it was; a missing key is added at the end of its
// section, a missing section at the end of the file, a missing file is
// created. The file is replaced atomically (a new file in the same folder,
// renamed over the old one), keeping its permissions. Throws tallomar::Error
// when the file cannot be read or written (a read-only file is not written),
// when a name or the value cannot stand on one line of such a file, or when
// the file's encoding cannot represent them.
void writeValue(const QString& filePath, const QString& section, const QString& key, const QString& value);

}  // namespace tallomar::profile
