#include "tooldb/tool_tables.h"

#include "tooldb/tool_database_error.h"

#include <algorithm>
#include <initializer_list>

namespace tallomar::tooldb {

namespace {

using mdb::ColumnKind;

// What the program reads from a column, and the column kinds that hold it.
// Single-precision numbers and currency are not among the numbers: one
// flipped bit turns a long integer into a single (both four bytes) and a
// double into currency (both eight), and their bytes then read as nonsense.
struct Reads {
    const char* what;
    std::initializer_list<ColumnKind> kinds;
};
const Reads kText{"text (a text or memo column)", {ColumnKind::Text, ColumnKind::Memo}};
const Reads kNumber{
    "a number (a byte, integer, long integer, double or decimal column)",
    {ColumnKind::Byte, ColumnKind::Integer, ColumnKind::LongInteger, ColumnKind::Double, ColumnKind::Numeric}};
const Reads kYesNo{"yes or no (a yes/no or whole number column)",
                   {ColumnKind::Boolean, ColumnKind::Byte, ColumnKind::Integer, ColumnKind::LongInteger}};

struct ExpectedColumn {
    const char* name;
    const Reads& reads;
};
struct ExpectedTable {
    const char* name;
    std::initializer_list<ExpectedColumn> columns;
};

// Bewrite's Picture is selected by the viewer but never read: any kind, or
// none, will do.
const ExpectedTable kToolTables[] = {
    {"ZOL", {{"cName", kText}, {"cValue", kText}, {"cSys", kText}}},
    {"File",
     {{"cSign", kText}, {"cType", kText}, {"cName", kText}, {"cPath", kText}, {"iOrder", kNumber}, {"cResult", kText}}},
    {"Version", {{"cItem", kText}, {"iGrade", kNumber}, {"bsign", kYesNo}, {"ID", kNumber}}},
    {"Bewrite", {{"ID", kNumber}, {"cOperate", kText}, {"cResult", kText}, {"cPath", kText}}},
};

QString kindName(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Boolean:
            return QStringLiteral("a yes/no");
        case ColumnKind::Byte:
            return QStringLiteral("a byte");
        case ColumnKind::Integer:
            return QStringLiteral("an integer");
        case ColumnKind::LongInteger:
            return QStringLiteral("a long integer");
        case ColumnKind::Currency:
            return QStringLiteral("a currency");
        case ColumnKind::Single:
            return QStringLiteral("a single-precision number");
        case ColumnKind::Double:
            return QStringLiteral("a double");
        case ColumnKind::DateTime:
            return QStringLiteral("a date and time");
        case ColumnKind::Text:
            return QStringLiteral("a text");
        case ColumnKind::Binary:
            return QStringLiteral("a binary");
        case ColumnKind::Memo:
            return QStringLiteral("a memo");
        case ColumnKind::Ole:
            return QStringLiteral("an OLE object");
        case ColumnKind::Guid:
            return QStringLiteral("a replication ID");
        case ColumnKind::Numeric:
            return QStringLiteral("a decimal");
        case ColumnKind::Other:
            break;
    }
    return QStringLiteral("an unknown kind of");
}

bool sameName(const QString& name, const char* expected) {
    return name.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

}  // namespace

void checkToolTables(const std::vector<mdb::Table>& tables, const QString& fileName) {
    const auto refuse = [&](const QString& what, const QString& table, const QString& column) {
        throw ToolDatabaseError(
            ToolDatabaseError::Kind::NotAToolDatabase,
            QStringLiteral("%1: not a tool database, or its table definitions are damaged: %2").arg(fileName, what),
            {{}, table, column});
    };
    for (const ExpectedTable& expected : kToolTables) {
        const auto table = std::find_if(tables.begin(), tables.end(),
                                        [&](const mdb::Table& t) { return sameName(t.name, expected.name); });
        if (table == tables.end())
            refuse(QStringLiteral("there is no table %1").arg(QLatin1String(expected.name)),
                   QLatin1String(expected.name), QString());
        for (const ExpectedColumn& column : expected.columns) {
            const auto found = std::find_if(table->columns.begin(), table->columns.end(),
                                            [&](const mdb::Column& c) { return sameName(c.name, column.name); });
            if (found == table->columns.end())
                refuse(QStringLiteral("table %1 has no column %2").arg(table->name, QLatin1String(column.name)),
                       table->name, QLatin1String(column.name));
            const auto& kinds = column.reads.kinds;
            if (std::find(kinds.begin(), kinds.end(), found->kind) == kinds.end())
                refuse(QStringLiteral("column %1 of table %2 is %3 column, where the program reads %4")
                           .arg(found->name, table->name, kindName(found->kind), QLatin1String(column.reads.what)),
                       table->name, found->name);
        }
    }
}

}  // namespace tallomar::tooldb
