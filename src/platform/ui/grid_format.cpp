#include "platform/ui/grid_format.h"

#include <QStringList>

namespace tallomar {

std::vector<GridColumnFormat> parseGridFormat(const QString& format) {
    std::vector<GridColumnFormat> columns;
    for (const QString& field : format.split(QLatin1Char('|'))) {
        GridColumnFormat column{field, Qt::AlignLeft | Qt::AlignVCenter};
        if (field.startsWith(QLatin1Char('<'))) {
            column.header = field.mid(1);
        } else if (field.startsWith(QLatin1Char('^'))) {
            column = {field.mid(1), Qt::AlignHCenter | Qt::AlignVCenter};
        } else if (field.startsWith(QLatin1Char('>'))) {
            column = {field.mid(1), Qt::AlignRight | Qt::AlignVCenter};
        }
        columns.push_back(column);
    }
    return columns;
}

}  // namespace tallomar
