#pragma once

#include "jet4writer/database_spec.h"

#include <QByteArray>
#include <QString>

// Writes minimal Jet 4 files for tests and the demo package: the definition
// page, the catalogue, table definitions, data pages, usage maps and LVAL
// pages for long values. The files read back through libmdb; whether Access
// itself opens them has not been verified, so they are fixtures, not files
// for Access users.
//
// Supported column kinds: Boolean, Byte, Integer, LongInteger, Double,
// DateTime (a double, days since 1899-12-30), Text, Memo, Ole. Text is
// stored as uncompressed UCS-2. Memo and OLE values are stored as the cell
// updater stores them (platform/access/jet4_long_value.h): short ones in
// the row, longer ones on one LVAL page, or a chain of them.
namespace tallomar::jet4 {

// Throws Error when the description cannot be written (unsupported kind,
// a row larger than a page, value count not matching the columns ...).
QByteArray buildDatabase(const DatabaseSpec& spec);
void writeDatabase(const DatabaseSpec& spec, const QString& path);

}  // namespace tallomar::jet4
