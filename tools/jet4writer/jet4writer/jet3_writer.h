#pragma once

#include "jet4writer/database_spec.h"

#include <QByteArray>

// Writes small Jet 3 files (Access 97) for tests, as the format is laid out
// by the mdbtools notes: 2 KiB pages, a data page's row count at byte 8,
// rows with one-byte column counts and offsets, text in code page 936
// (GBK), and memo and OLE values in the row, on one LVAL page or on a chain
// of them. Tool databases written by Access 97 look so; these fixtures let
// the reader be tried on them.
//
// Each table's rows must fit one data page and each row 255 bytes (no jump
// table); supported kinds: Boolean, Byte, Integer, LongInteger, Double,
// Text, Memo, Ole. No indexes, deleted rows or columns, or moved rows.
namespace tallomar::jet3 {

// Long values longer than this leave the row.
constexpr int kLongValueInlineLimit = 64;

// Throws Error when the description cannot be written.
QByteArray buildDatabase(const jet4::DatabaseSpec& spec);

}  // namespace tallomar::jet3
