#include "windows/params/grid_editing.h"
#include "platform/error.h"
#include "platform/ui/twips.h"
#include "windows/params/flex_grid.h"
#include "windows/params/grid_color.h"

#include <gtest/gtest.h>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

using namespace tallomar;

namespace {

const QColor kPaleCyan(192, 255, 255);

// A grid and its two editors in one window, laid out like the parameter
// window: the grid at 240/1320 twips, 4 fixed columns and the value column.
class EditingWindow : public ::testing::Test {
protected:
    void SetUp() override {
        grid = new FlexGrid(&window);
        grid->setGeometry(16, 88, 337, 249);
        grid->setFormatString(QStringLiteral("<脚本名|^名称|^类型|^允许空|^值"));
        grid->setFixedCols(4);
        const int widths[] = {0, 1500, 1000, 800, 1700};
        for (int col = 0; col < 5; ++col) grid->setColWidthTwips(col, widths[col]);
        grid->setRows(3);
        grid->setTextMatrix(1, 4, QStringLiteral("2026"));
        textBox = new QLineEdit(&window);
        datePicker = new QDateEdit(&window);
        datePicker->setGeometry(360, 152, 113, 20);
        textBox->hide();
        datePicker->hide();
        window.resize(500, 400);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QWidget window;
    FlexGrid* grid = nullptr;
    QLineEdit* textBox = nullptr;
    QDateEdit* datePicker = nullptr;
};

}  // namespace

// The editors cover their cell exactly: nothing of the cell's old text shows
// beneath them and no glyph is cut off by an editor smaller than the cell.
TEST_F(EditingWindow, TheTextBoxFillsItsCellExactlyWithTheTextSelected) {
    grid->setCurrentCell(1, 4);
    ShowTextEditor(*grid, *textBox);
    EXPECT_TRUE(textBox->isVisible());
    EXPECT_TRUE(textBox->hasFocus());
    EXPECT_EQ(textBox->text(), QStringLiteral("2026"));
    EXPECT_EQ(textBox->selectionStart(), 0);
    EXPECT_EQ(textBox->selectedText(), QStringLiteral("2026"));
    const QRect cell = grid->visualRect(grid->currentIndex()).translated(grid->viewport()->pos() + grid->pos());
    EXPECT_EQ(textBox->geometry(), cell);
    EXPECT_EQ(textBox->height(), grid->rowHeight(1) - 1) << "the row's height less its grid line";

    QTest::keyClick(textBox, Qt::Key_7);
    EXPECT_EQ(textBox->text(), QStringLiteral("7")) << "the first key replaces the old value";
}

TEST_F(EditingWindow, TheDatePickerFillsItsCellExactlyAndKeepsItsDate) {
    datePicker->setDate(QDate(2026, 3, 4));
    grid->setCurrentCell(2, 4);
    ShowDateEditor(*grid, *datePicker);
    EXPECT_TRUE(datePicker->isVisible());
    EXPECT_TRUE(datePicker->hasFocus());
    EXPECT_EQ(datePicker->date(), QDate(2026, 3, 4));
    const QRect cell = grid->visualRect(grid->currentIndex()).translated(grid->viewport()->pos() + grid->pos());
    EXPECT_EQ(datePicker->geometry(), cell);
}

TEST(HighlightRow, PaintsTheCurrentRowAndRepaintsEveryOtherCell) {
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("<数组编号|<完成|^功能"));
    grid.setColWidthTwips(0, 0);
    grid.setRows(4);
    for (int i = 1; i <= 3; ++i) grid.setTextMatrix(i, 2, QStringLiteral("script %1").arg(i));
    const QColor normal = gridColor(QStringLiteral("&H80000005"), grid);
    const QColor fixed = gridColor(QStringLiteral("&H8000000F"), grid);

    grid.setCurrentCell(3, 1);
    HighlightRow(grid, QStringLiteral("&H80000005"), QStringLiteral("&HFFFFC0"), 1, 0);
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(grid.col(), 2) << "the last column painted";
    const auto colourAt = [&](int row, int col) { return grid.item(row, col)->background().color(); };
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(colourAt(3, col), kPaleCyan) << col;  // the hidden column too
        EXPECT_EQ(colourAt(1, col), normal) << col;
        EXPECT_EQ(colourAt(0, col), fixed) << "the header row is fixed";
    }

    HighlightRow(grid, QStringLiteral("&H80000005"), QStringLiteral("&HFFFFC0"), 2, 0);
    EXPECT_EQ(grid.row(), 2);
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(colourAt(3, col), normal) << "highlighted before, normal again";
        EXPECT_EQ(colourAt(2, col), kPaleCyan);
    }

    HighlightRow(grid, QStringLiteral("&H80000005"), QStringLiteral("&HFFFFC0"), 3, 2);
    EXPECT_EQ(colourAt(3, 2), kPaleCyan);
    EXPECT_EQ(colourAt(3, 1), normal) << "a column argument paints one cell";
}

TEST(GridColours, PlatformNotationIsBlueGreenRedOrASystemColour) {
    FlexGrid grid;
    EXPECT_EQ(gridColor(QStringLiteral("&HFFFFC0"), grid), kPaleCyan);
    EXPECT_EQ(gridColor(QStringLiteral("&HFF0000&"), grid), QColor(0, 0, 255));
    EXPECT_EQ(gridColor(QStringLiteral("&H80000005"), grid), grid.palette().color(QPalette::Base));
    EXPECT_THROW(gridColor(QStringLiteral("#FFFFC0"), grid), Error);
    EXPECT_THROW(gridColor(QStringLiteral("&H80000063"), grid), Error);
}

TEST(FlexGridRows, ColumnsAlignAsFormattedAndFixedColumnsAreNeverCurrent) {
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("<a|^b|^c"));
    grid.setFixedCols(2);
    grid.setRows(3);
    grid.setTextMatrix(1, 2, QStringLiteral("y2"));
    EXPECT_EQ(grid.textMatrix(0, 1), QStringLiteral("b"));
    EXPECT_EQ(grid.textMatrix(1, 2), QStringLiteral("y2"));
    EXPECT_EQ(grid.textMatrix(2, 1), QString());
    EXPECT_EQ(grid.item(1, 2)->textAlignment() & Qt::AlignHorizontal_Mask, static_cast<int>(Qt::AlignHCenter));

    grid.resize(300, 200);
    grid.show();
    grid.setCurrentCell(2, 2);
    const QRect fixedCell = grid.visualRect(grid.model()->index(1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, fixedCell.center());
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 2);
    const QRect header = grid.visualRect(grid.model()->index(0, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, header.center());
    EXPECT_EQ(grid.row(), 1) << "a click on the header row leaves the current cell";
}
