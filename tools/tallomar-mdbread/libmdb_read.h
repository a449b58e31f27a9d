#pragma once

#include "platform/access/mdb_file_header.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace tallomar::mdb {

// Reads the user tables through libmdb, in this process, encoded for
// decodeTables (table_transfer.h). libmdb may crash,
// loop or warn on stderr on a damaged file: only a contained process calls
// this (see readTables). `step` is told what is read next; the encoded
// tables go to `output` piece by piece. Throws Error for the damage it
// recognises itself.
void readWithLibmdb(const QString& path, const FileHeader& header, const QStringList& only,
                    const std::function<void(const QString&)>& step,
                    const std::function<void(const QByteArray&)>& output);

}  // namespace tallomar::mdb
