#include "windows/workbench/column_fit.h"

#include "platform/text/codepage.h"
#include "platform/ui/twips.h"

#include <QHeaderView>
#include <QTableView>

namespace tallomar {

int AnsiWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) width += codepage::gbkByteWidth(c);
    return width;
}

int headerWidthTwips(const QString& header) {
    const int bytes = AnsiWidth(header);
    return bytes > 0 ? bytes * 100 + 200 : 0;
}

void FitColumnsToHeader(QTableView& grid) {
    const QAbstractItemModel* model = grid.model();
    if (!model) return;
    for (int column = 0; column < model->columnCount(); ++column) {
        if (grid.isColumnHidden(column)) continue;
        const int twips = headerWidthTwips(model->headerData(column, Qt::Horizontal).toString());
        if (twips > 0) grid.setColumnWidth(column, twipsToPixels(twips));
    }
}

}  // namespace tallomar
