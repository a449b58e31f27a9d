#include "tooldb/tool_database.h"

namespace tallomar::tooldb {

int Recordset::columnIndex(const QString& name) const {
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Recordset::value(std::size_t row, const QString& column) const {
    const int index = columnIndex(column);
    if (index < 0 || row >= rows.size()) return {};
    return rows[row][static_cast<std::size_t>(index)];
}

}  // namespace tallomar::tooldb
