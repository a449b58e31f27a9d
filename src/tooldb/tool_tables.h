#pragma once

#include "platform/access/mdb_reader.h"

#include <QString>
#include <vector>

// The four tables the program reads from a tool database and the columns it
// reads from each. Jet pages carry no checksum: a flipped bit in a table
// definition gives a column another name or another type, and the file
// still reads, wrongly. What the program reads is therefore checked against
// what it expects before the tool database is used.
namespace tallomar::tooldb {

// Throws ToolDatabaseError (NotAToolDatabase) naming the file, the table and the
// column when one of ZOL, File, Version and Bewrite is missing, lacks one of
// the columns the program reads, or holds in it what the program cannot read
// as such. Accepted: text or memo for text; a byte, integer, long integer,
// double or decimal for numbers; a yes/no or whole number for yes/no; names
// in any letter case, in any order, and further columns and tables.
void checkToolTables(const std::vector<mdb::Table>& tables, const QString& fileName);

}  // namespace tallomar::tooldb
