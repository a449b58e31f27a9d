#pragma once

#include "platform/error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// Reading Access (.mdb) files through libmdb: Jet 4 fully, Jet 3 and ACE as
// far as libmdb reads them.
namespace tallomar::mdb {

// Where a row lives in the file: its data page and its index in that page's
// row offset table. Updates of a cell go back to exactly this row.
struct RowLocation {
    quint32 page = 0;
    quint16 row = 0;
    friend bool operator==(const RowLocation&, const RowLocation&) = default;
};

enum class ColumnKind {
    Boolean,
    Byte,
    Integer,
    LongInteger,
    Currency,
    Single,
    Double,
    DateTime,
    Text,
    Binary,
    Memo,
    Ole,
    Guid,
    Numeric,
    Other
};

struct Column {
    QString name;
    ColumnKind kind = ColumnKind::Other;
};

// A table's rows in file order. Values: a null QVariant for NULL (distinct
// from empty text), qint64 for whole numbers, -1/0 (qint64) for booleans,
// double for other numbers, QString for text, memo and dates, QByteArray for
// OLE and binary data.
struct Table {
    QString name;
    std::vector<Column> columns;
    std::vector<std::vector<QVariant>> rows;
    std::vector<RowLocation> locations;  // one per row
    quint32 definitionPage = 0;          // the table's definition page in the file
};

// Reads the user tables of the file (all of them, or only those named in
// `only`, compared without regard to case). Throws Error naming the file and
// the reason when the file is missing, not an Access database, damaged or
// encrypted, and ProgramIncomplete when the Access reader program is not
// installed beside the running program.
std::vector<Table> readTables(const QString& path, const QStringList& only = {});

// A file the program needs is not installed: the fault lies with the
// installation, not with the file being read.
class ProgramIncomplete : public Error {
public:
    explicit ProgramIncomplete(const QString& missingFile)
        : Error(QStringLiteral("the program is incomplete: %1 (the Access reader) is missing").arg(missingFile)),
          missingFile_(missingFile) {}
    const QString& missingFile() const { return missingFile_; }

private:
    QString missingFile_;
};

}  // namespace tallomar::mdb
