#pragma once

#include "platform/access/mdb_reader.h"

#include <QString>
#include <QVariant>
#include <vector>

// What a fixture file holds: tables, their columns and rows.
namespace tallomar::jet4 {

struct ColumnSpec {
    QString name;
    mdb::ColumnKind kind = mdb::ColumnKind::Text;
    int length = 255;      // characters, for text columns
    bool deleted = false;  // keeps its slot in every row, absent from the definition
    bool indexed = false;  // covered by an index entry in the definition
};

struct RowSpec {
    std::vector<QVariant> values;  // one per column, deleted ones included; null QVariant = NULL
    bool deleted = false;          // stored, flagged deleted
    bool overflow = false;         // stored on an overflow page, a pointer stub in its place
};

struct TableSpec {
    QString name;
    std::vector<ColumnSpec> columns;
    std::vector<RowSpec> rows;
    QString description = {};  // kept as the table's Description property in the catalogue; empty: no properties
};

struct DatabaseSpec {
    std::vector<TableSpec> tables;
};

}  // namespace tallomar::jet4
