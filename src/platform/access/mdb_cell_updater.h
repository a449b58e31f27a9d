#pragma once

#include "platform/error.h"

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

// A changed row that no longer fitted its page and moved to another page of
// its table: it is read at `to` from then on.
struct RowMove {
    QString table;
    RowLocation from;
    RowLocation to;
};

// Writes the changes into the Jet 4 file in place, through a copy in the same
// folder that replaces the file only once it reads back with exactly these
// cells changed; the previous file is kept as <name>.bak. A path that is a
// symbolic link saves the file it points to. Memo values too long for the
// row go to LVAL pages; a row that outgrows its page moves to another page
// of its table, leaving an overflow pointer in its place. Throws Error
// naming the file and the reason (Access lock file present, not a regular
// file, not Jet 4, encrypted, indexed column, ...); the file is then left
// byte for byte as it was, and FileBusy when another program holds the
// file open for changes. Returns the rows that moved.
std::vector<RowMove> saveCellChanges(const QString& path, const std::vector<CellChange>& changes);

// The file is being changed by another program (or open in Access): a later
// save may succeed.
class FileBusy : public Error {
public:
    using Error::Error;
};

}  // namespace tallomar::mdb
