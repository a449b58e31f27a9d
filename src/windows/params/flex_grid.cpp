#include "windows/params/flex_grid.h"

#include "platform/ui/grid_format.h"
#include "platform/ui/twips.h"
#include "windows/params/grid_color.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace tallomar {

namespace {

// Rows of the flexible grids are 240 twips high.
constexpr int kRowHeightTwips = 240;
const QString kFixedCellColour = QStringLiteral("&H8000000F");

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(twipsToPixels(kRowHeightTwips));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setColumnCount(2);
    setRowCount(2);
}

void FlexGrid::setFormatString(const QString& format) {
    const std::vector<GridColumnFormat> columns = parseGridFormat(format);
    setColumnCount(static_cast<int>(columns.size()));
    if (rowCount() < 1) setRowCount(1);
    alignments_.clear();
    for (int col = 0; col < columnCount(); ++col) {
        alignments_.push_back(columns[static_cast<std::size_t>(col)].alignment);
        setTextMatrix(0, col, columns[static_cast<std::size_t>(col)].header);
    }
    for (int row = 0; row < rowCount(); ++row)
        for (int col = 0; col < columnCount(); ++col)
            cell(row, col)->setTextAlignment(alignments_[static_cast<std::size_t>(col)]);
}

void FlexGrid::setFixedRows(int rows) {
    fixedRows_ = rows;
    paintFixedCells();
}

void FlexGrid::setFixedCols(int cols) {
    fixedCols_ = cols;
    paintFixedCells();
}

void FlexGrid::setRows(int rows) {
    setRowCount(rows);
    paintFixedCells();
}

QTableWidgetItem* FlexGrid::cell(int row, int col) {
    QTableWidgetItem* found = item(row, col);
    if (!found) {
        found = new QTableWidgetItem;
        found->setFlags(Qt::ItemIsEnabled);
        if (static_cast<std::size_t>(col) < alignments_.size())
            found->setTextAlignment(alignments_[static_cast<std::size_t>(col)]);
        if (isFixed(row, col)) found->setBackground(gridColor(kFixedCellColour, *this));
        setItem(row, col, found);
    }
    return found;
}

bool FlexGrid::isFixed(int row, int col) const {
    return row < fixedRows_ || col < fixedCols_;
}

void FlexGrid::paintFixedCells() {
    const QColor fixed = gridColor(kFixedCellColour, *this);
    for (int row = 0; row < rowCount(); ++row)
        for (int col = 0; col < columnCount(); ++col)
            if (isFixed(row, col)) cell(row, col)->setBackground(fixed);
}

QString FlexGrid::textMatrix(int row, int col) const {
    const QTableWidgetItem* found = item(row, col);
    return found ? found->text() : QString();
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text) {
    cell(row, col)->setText(text);
}

void FlexGrid::setRow(int row) {
    setCurrentCell(row, std::max(currentColumn(), fixedCols_));
}

void FlexGrid::setCol(int col) {
    setCurrentCell(std::max(currentRow(), fixedRows_), col);
}

QString FlexGrid::text() const {
    return textMatrix(row(), col());
}

QColor FlexGrid::cellBackColor() const {
    const QTableWidgetItem* found = item(row(), col());
    if (!found || found->background().style() == Qt::NoBrush) return palette().color(QPalette::Base);
    return found->background().color();
}

void FlexGrid::setCellBackColor(const QColor& colour) {
    cell(row(), col())->setBackground(colour);
}

int FlexGrid::colWidthTwips(int col) const {
    return pixelsToTwips(columnWidth(col));
}

void FlexGrid::setColWidthTwips(int col, int twips) {
    setColumnWidth(col, twipsToPixels(twips));
}

int FlexGrid::widthTwips() const {
    return pixelsToTwips(width());
}

QRect FlexGrid::currentCellGeometry() const {
    return visualRect(currentIndex()).translated(viewport()->pos() + pos());
}

// A press on a data cell makes it current, or the first cell that can be
// current in its row when it lies in a fixed column; a press on a fixed row
// leaves the current cell where it is.
void FlexGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() >= fixedRows_) setCurrentCell(index.row(), std::max(index.column(), fixedCols_));
    releaseEndsDoubleClick_ = false;
    event->accept();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (releaseEndsDoubleClick_ || !indexAt(event->position().toPoint()).isValid()) return;
    emit Click();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    releaseEndsDoubleClick_ = true;
    if (indexAt(event->position().toPoint()).isValid()) emit DblClick();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

// The fixed rows stand above the first row that can be current, and the
// fixed columns left of the first such column: scrolling to that row or
// column shows them too, as they stay in view in the window layouts.
void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableWidget::scrollTo(index, hint);
    if (index.row() <= fixedRows_) verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    if (index.column() <= fixedCols_) horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QTableWidget::keyPressEvent(event);
    if (currentIndex() != before) emit RowColChange();
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableWidget::moveCursor(action, modifiers);
    if (!next.isValid() || rowCount() <= fixedRows_ || columnCount() <= fixedCols_) return next;
    return model()->index(std::max(next.row(), fixedRows_), std::max(next.column(), fixedCols_));
}

}  // namespace tallomar
