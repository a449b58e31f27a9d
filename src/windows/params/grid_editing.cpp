#include "windows/params/grid_editing.h"

#include "windows/params/flex_grid.h"
#include "windows/params/grid_color.h"

#include <QDateEdit>
#include <QLineEdit>

namespace tallomar {

void ShowTextEditor(FlexGrid& grid, QLineEdit& textBox) {
    textBox.setText(grid.text());
    textBox.setGeometry(grid.currentCellGeometry());
    textBox.show();
    textBox.setFocus(Qt::OtherFocusReason);
    textBox.setSelection(0, static_cast<int>(textBox.text().size()));
}

void ShowDateEditor(FlexGrid& grid, QDateEdit& datePicker) {
    datePicker.setGeometry(grid.currentCellGeometry());
    datePicker.show();
    datePicker.setFocus(Qt::OtherFocusReason);
}

void HighlightRow(FlexGrid& grid, const QString& normalColour, const QString& highlightColour, int row, int column) {
    const QColor normal = gridColor(normalColour, grid);
    const QColor highlight = gridColor(highlightColour, grid);
    if (row == 1) row = grid.row();
    for (int r = grid.fixedRows(); r < grid.rows(); ++r) {
        for (int c = grid.fixedCols(); c < grid.columnCount(); ++c) {
            grid.setCurrentCell(r, c);
            grid.setCellBackColor(normal);
        }
    }
    grid.setCurrentCell(row, grid.col());
    if (column == 0) {
        for (int c = grid.fixedCols(); c < grid.columnCount(); ++c) {
            grid.setCurrentCell(row, c);
            grid.setCellBackColor(highlight);
        }
        return;
    }
    // A fixed column keeps its colour: the row's first non-fixed cell is
    // painted instead.
    grid.setCurrentCell(row, std::max(column, grid.fixedCols()));
    grid.setCellBackColor(highlight);
}

}  // namespace tallomar
