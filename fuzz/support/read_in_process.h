#pragma once

#include "platform/access/mdb_reader.h"

#include <QString>
#include <vector>

namespace tallomar::fuzz {

// The tables of an Access file as mdb::readTables hands them to the
// program, read without starting the reader program: the same file header
// check, the same reading code the reader program runs (libmdb and our
// checks around it) and the same transfer encoding, in this process. What
// libmdb prints counts as damage, as it does in the program. Throws Error
// as readTables does.
//
// For fuzzing only: libmdb may crash or hang on a damaged file, which here
// takes the whole process with it. The program always reads through the
// contained reader process.
std::vector<mdb::Table> readTablesInProcess(const QString& path);

}  // namespace tallomar::fuzz
