#pragma once

#include <QTableWidget>

namespace tallomar {

// A table laid out like the flexible grids of the window layouts: row 0 holds
// the column headers as an ordinary row, the first fixedRows() rows and
// fixedCols() columns are fixed (painted as buttons, never the current cell),
// and the current cell is the grid's row() and col(). Sizes are in twips.
// Tab leaves the grid for the next control; the arrow keys move the current
// cell.
class FlexGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit FlexGrid(QWidget* parent = nullptr);

    // "<a|^b|>c": one column per field, its header in row 0 and its cells
    // aligned left ("<"), centred ("^") or right (">").
    void setFormatString(const QString& format);
    void setFixedRows(int rows);
    void setFixedCols(int cols);
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }

    int rows() const { return rowCount(); }
    void setRows(int rows);

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    int row() const { return currentRow(); }
    int col() const { return currentColumn(); }
    void setRow(int row);
    void setCol(int col);
    // The current cell's text and background.
    QString text() const;
    QColor cellBackColor() const;
    void setCellBackColor(const QColor& colour);

    int colWidthTwips(int col) const;
    void setColWidthTwips(int col, int twips);
    int widthTwips() const;
    // The current cell's rectangle in the grid's parent: where an editor
    // that is a sibling of the grid covers the cell exactly.
    QRect currentCellGeometry() const;
    // Scrolling to the first row or column that can be current brings the
    // fixed rows or columns before it into view as well.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // A mouse click on a cell (after the current cell followed it), and a
    // double click.
    void Click();
    void DblClick();
    // A key moved the current cell.
    void RowColChange();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    QTableWidgetItem* cell(int row, int col);
    bool isFixed(int row, int col) const;
    void paintFixedCells();

    int fixedRows_ = 1;
    int fixedCols_ = 0;
    std::vector<Qt::Alignment> alignments_;
    bool releaseEndsDoubleClick_ = false;
};

}  // namespace tallomar
