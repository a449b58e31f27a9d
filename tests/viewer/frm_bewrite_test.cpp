#include "windows/viewer/frm_bewrite.h"

#include "bewrite_table.h"
#include "picture_files.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace tallomar {
namespace {

using test::BewriteTable;
using test::middleColour;
using test::writePicture;

class FrmBewriteTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }

    QString toolFolder() const { return root.filePath(QStringLiteral("file")); }
    void addRow(int id, const QString& operate, const QString& result, const QVariant& path = QVariant()) {
        table.add({id, operate, result, path});
    }
    FrmBewrite& open() {
        window = std::make_unique<FrmBewrite>([this](const QString& sql) { return table.query(sql); }, toolFolder());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    template <typename Widget>
    Widget* child(const char* name) const {
        Widget* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTableWidget* grid() const { return child<QTableWidget>("grdBewrite"); }
    QString operate() const { return child<QLabel>("labOperate")->text(); }
    QString result() const { return child<QLabel>("labResult")->text(); }
    QImage picture() const { return child<QLabel>("PicError")->pixmap().toImage(); }
    void clickRow(int row) const {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(row, 1)).center());
    }

    QTemporaryDir root;
    BewriteTable table;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<FrmBewrite> window;
};

TEST_F(FrmBewriteTest, WindowHasItsLayoutAndTexts) {
    open();
    EXPECT_EQ(window->objectName(), QStringLiteral("frmBewrite"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("问题现象"));
    EXPECT_EQ(window->size(), QSize(498, 456));
    EXPECT_EQ(child<QGroupBox>("fraBewriteInfo")->geometry(), QRect(8, 8, 481, 265));
    EXPECT_TRUE(child<QGroupBox>("fraBewriteInfo")->title().isEmpty());
    EXPECT_EQ(child<QLabel>("Label15")->text(), QStringLiteral("   详  细  信  息 "));
    EXPECT_EQ(child<QLabel>("Label15")->geometry(), QRect(8, 16, 17, 233));
    EXPECT_EQ(child<QLabel>("labPicture")->text(), QStringLiteral("图    示"));
    EXPECT_EQ(child<QLabel>("PicError")->geometry(), QRect(40, 64, 425, 153));
    EXPECT_EQ(grid()->geometry(), QRect(8, 280, 481, 137));
    EXPECT_EQ(child<QPushButton>("cmdCancel")->text(), QStringLiteral("关闭(&X)"));
    EXPECT_EQ(child<QPushButton>("cmdCancel")->geometry(), QRect(200, 424, 81, 25));
    EXPECT_TRUE(child<QLabel>("Label15")->font().families().contains(QStringLiteral("宋体")));
}

// The rows of `picture` that hold anything other than its background colour.
std::pair<int, int> inkedRows(const QImage& picture) {
    const QRgb background = picture.pixel(0, 0);
    int first = -1, last = -1;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != background) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

TEST_F(FrmBewriteTest, DetailHeadingReadsDownItsStripOneCharacterPerLine) {
    open();
    QLabel* heading = child<QLabel>("Label15");
    const int line = heading->fontMetrics().height();
    const auto [first, last] = inkedRows(heading->grab().toImage());
    // An empty line for the leading blanks, then 详, 细, 信 and 息 one below the other.
    EXPECT_GE(first, line - 2);
    EXPECT_GE(last - first, 3 * line);
    EXPECT_LE(last, 5 * line + 2);
}

TEST_F(FrmBewriteTest, GridHasTheHeadersAlignmentsAndWidthsOfItsFormat) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    open();
    QTableWidget* list = grid();
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), QStringLiteral("ID"));
    EXPECT_EQ(list->horizontalHeaderItem(1)->text(), QStringLiteral("操作步骤"));
    EXPECT_EQ(list->horizontalHeaderItem(2)->text(), QStringLiteral("提示信息"));
    EXPECT_TRUE(list->isColumnHidden(0));
    EXPECT_EQ(list->columnWidth(1), 133);
    EXPECT_EQ(list->columnWidth(2), 200);
    EXPECT_EQ(Qt::Alignment(list->item(0, 1)->textAlignment()) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(Qt::Alignment(list->item(0, 2)->textAlignment()) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(Qt::Alignment(list->horizontalHeaderItem(2)->textAlignment()) & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(list->item(0, 0)->text(), QStringLiteral("7"));
}

TEST_F(FrmBewriteTest, EmptyTableShowsTheHeaderOnlyAndNothingSelected) {
    open();
    EXPECT_EQ(grid()->rowCount(), 0);
    EXPECT_FALSE(grid()->currentIndex().isValid());
    EXPECT_TRUE(grid()->selectedItems().isEmpty());
    EXPECT_TRUE(operate().isEmpty());
    EXPECT_TRUE(result().isEmpty());
    EXPECT_TRUE(picture().isNull());

    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_EQ(table.sent().size(), 1);
}

TEST_F(FrmBewriteTest, FirstDescriptionIsSelectedAndShownAtOpen) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QStringLiteral("fig.png"));
    addRow(3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"));
    writePicture(toolFolder() + QStringLiteral("/fig.png"), Qt::red);
    open();
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_TRUE(grid()->item(0, 1)->isSelected());
    EXPECT_EQ(operate(), QStringLiteral("操作步骤：凭证审核"));
    EXPECT_EQ(result(), QStringLiteral("提示信息：科目不存在"));
    EXPECT_EQ(middleColour(picture()), QColor(Qt::red));
}

TEST_F(FrmBewriteTest, ClickOnAnotherRowShowsItsDetails) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QStringLiteral("fig.png"));
    addRow(3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"), QStringLiteral("other.png"));
    writePicture(toolFolder() + QStringLiteral("/fig.png"), Qt::red);
    writePicture(toolFolder() + QStringLiteral("/other.png"), Qt::blue);
    open();
    clickRow(1);
    EXPECT_EQ(grid()->currentRow(), 1);
    EXPECT_EQ(operate(), QStringLiteral("操作步骤：月末结账"));
    EXPECT_EQ(result(), QStringLiteral("提示信息：有未记账凭证"));
    EXPECT_EQ(middleColour(picture()), QColor(Qt::blue));
}

TEST_F(FrmBewriteTest, KeyboardMoveLeavesTheDetails) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    addRow(3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"));
    open();
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(grid()->currentRow(), 1);
    EXPECT_EQ(operate(), QStringLiteral("操作步骤：凭证审核"));
    EXPECT_EQ(table.sent().size(), 2);
}

TEST_F(FrmBewriteTest, ClickOnTheHeaderRowDoesNothing) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    addRow(3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"));
    open();
    QHeaderView* header = grid()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_EQ(table.sent().size(), 2);
    EXPECT_EQ(operate(), QStringLiteral("操作步骤：凭证审核"));
}

TEST_F(FrmBewriteTest, LargePictureIsShrunkIntoThePictureArea) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"), QStringLiteral("wide.png"));
    QImage wide(1700, 300, QImage::Format_RGB32);
    wide.fill(Qt::green);
    QDir().mkpath(toolFolder());
    ASSERT_TRUE(wide.save(toolFolder() + QStringLiteral("/wide.png")));
    open();
    EXPECT_EQ(picture().size(), QSize(425, 75));
}

TEST_F(FrmBewriteTest, MissingDescriptionShowsNoSymptomInTheFrameCaption) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    open();
    window->ShowSymptomDetails(8);
    EXPECT_EQ(child<QGroupBox>("fraBewriteInfo")->title(), QStringLiteral("没有现象"));
    EXPECT_TRUE(operate().isEmpty());
    EXPECT_TRUE(result().isEmpty());
    clickRow(0);
    EXPECT_TRUE(child<QGroupBox>("fraBewriteInfo")->title().isEmpty());
    EXPECT_EQ(operate(), QStringLiteral("操作步骤：凭证审核"));
}

TEST_F(FrmBewriteTest, LongTextEndsInsideTheFrameAndKeepsItsWholeTextAsTip) {
    const QString steps =
        QStringLiteral("打开总账，选择凭证审核，再选择全部凭证，按审核按钮，系统提示科目不存在，无法继续审核后续凭证");
    addRow(7, steps, QStringLiteral("科目不存在"));
    open();
    QLabel* label = child<QLabel>("labOperate");
    EXPECT_LE(label->geometry().right(), child<QGroupBox>("fraBewriteInfo")->width());
    EXPECT_LE(label->geometry().bottom(), child<QLabel>("labPicture")->y());
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("操作步骤：打开总账")));
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(label->toolTip(), QStringLiteral("操作步骤：") + steps);
    // A short text is shown whole, across the frame.
    EXPECT_EQ(child<QLabel>("labResult")->text(), QStringLiteral("提示信息：科目不存在"));
    EXPECT_GT(child<QLabel>("labResult")->width(), 400);
}

TEST_F(FrmBewriteTest, CloseButtonClosesTheWindow) {
    open();
    QTest::mouseClick(child<QPushButton>("cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(FrmBewriteTest, UnreadableDatabaseIsReportedAndLeavesTheListEmpty) {
    table.breakDown();
    dialogs.acceptMessage();
    open();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(QStringLiteral("ZOL.mdb: page 7 cannot be read")));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(grid()->rowCount(), 0);
    EXPECT_TRUE(operate().isEmpty());
}

}  // namespace
}  // namespace tallomar
