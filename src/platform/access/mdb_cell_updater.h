#pragma once

#include "platform/access/mdb_reader.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace tallomar::mdb {

// One text or memo cell to change: the table, the row's place in the file,
// the column and the new value (a QString, or a null QVariant for NULL).
struct CellChange {
    QString table;
    RowLocation location;
    QString column;
    QVariant value;
};

// Writes the changes into the Jet 4 file in place, through a copy in the same
// folder that replaces the file only once it reads back with exactly these
// cells changed; the previous file is kept as <name>.bak. Throws Error naming
// the file and the reason (Access lock file present, not Jet 4, encrypted,
// indexed column, row no longer fits its page, ...); the file is then left
// byte for byte as it was.
void saveCellChanges(const QString& path, const std::vector<CellChange>& changes);

}  // namespace tallomar::mdb
