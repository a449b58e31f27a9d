#include "windows/viewer/bewrite_viewer.h"

#include "bewrite_package.h"
#include "picture_files.h"
#include "support/scripted_dialogs.h"
#include "windows/viewer/frm_bewrite.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QTest>

namespace tallomar {
namespace {

using test::BewritePackage;
using test::middleColour;
using test::writeBytes;
using test::writePicture;

// The viewer read from a tool database file, as the main window opens it.
class BewriteViewerTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (viewer) viewer->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(viewer.isNull()) << "a closed viewer is deleted";
    }

    // Asks for the viewer of `from` (the test's package when none is given).
    FrmBewrite* show(const BewritePackage* from = nullptr) {
        if (!from) from = &package;
        ShowBewriteViewer(viewer, from->tool(), from->toolFolder());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer.data()));
        return viewer;
    }
    QTableWidget* grid() const { return viewer->findChild<QTableWidget*>(QStringLiteral("grdBewrite")); }
    QString label(const char* name) const { return viewer->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    QImage picture() const { return viewer->findChild<QLabel*>(QStringLiteral("PicError"))->pixmap().toImage(); }
    void clickRow(int row) const {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(row, 1)).center());
    }

    BewritePackage package;
    test::ScriptedDialogs dialogs;
    QPointer<FrmBewrite> viewer;
};

TEST_F(BewriteViewerTest, EmptyTableGivesTheHeaderOnly) {
    package.open({});
    show();
    EXPECT_EQ(grid()->rowCount(), 0);
    EXPECT_FALSE(grid()->currentIndex().isValid());
    EXPECT_TRUE(label("labOperate").isEmpty());
    EXPECT_TRUE(label("labResult").isEmpty());
    EXPECT_TRUE(picture().isNull());
}

TEST_F(BewriteViewerTest, DescriptionsOfTheFileWithTheirPictures) {
    const QString elsewhere = package.path(QStringLiteral("pics/fig2.png"));
    writePicture(package.toolFolder() + QStringLiteral("/Fig1.PNG"), Qt::red);
    writePicture(elsewhere, Qt::blue);
    package.open({{1, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QStringLiteral(" fig1.png ")},
                  {2, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"),
                   QString(elsewhere).replace(QLatin1Char('/'), QLatin1Char('\\'))},
                  {3, QVariant(), QVariant(), QStringLiteral("D:\\pics\\fig3.jpg")}});
    show();
    ASSERT_EQ(grid()->rowCount(), 3);
    EXPECT_EQ(grid()->item(1, 1)->text(), QStringLiteral("月末结账"));
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_EQ(label("labOperate"), QStringLiteral("操作步骤：凭证审核"));
    EXPECT_EQ(label("labResult"), QStringLiteral("提示信息：科目不存在"));
    EXPECT_EQ(middleColour(picture()), QColor(Qt::red));

    clickRow(1);
    EXPECT_EQ(label("labOperate"), QStringLiteral("操作步骤：月末结账"));
    EXPECT_EQ(middleColour(picture()), QColor(Qt::blue));

    clickRow(2);
    EXPECT_EQ(label("labOperate"), QStringLiteral("操作步骤："));
    EXPECT_EQ(label("labResult"), QStringLiteral("提示信息："));
    EXPECT_TRUE(picture().isNull());
}

TEST_F(BewriteViewerTest, UnreadablePictureShowsNoPicture) {
    writeBytes(package.toolFolder() + QStringLiteral("/fig.jpg"), "this is text, not a JPEG");
    package.open({{1, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QStringLiteral("fig.jpg")}});
    show();
    EXPECT_TRUE(picture().isNull());
    EXPECT_EQ(label("labResult"), QStringLiteral("提示信息：科目不存在"));
}

TEST_F(BewriteViewerTest, IdBeyondSixteenBitsIsListedButNeverShown) {
    package.open({{70000, QStringLiteral("大号"), QStringLiteral("超出范围"), QVariant()},
                  {4464, QStringLiteral("小号"), QStringLiteral("在范围内"), QVariant()}});
    show();
    EXPECT_EQ(grid()->item(0, 0)->text(), QStringLiteral("70000"));
    // 70000 cut to 16 bits is 4464: the other row must not be shown for it.
    EXPECT_TRUE(label("labOperate").isEmpty());
    clickRow(1);
    EXPECT_EQ(label("labOperate"), QStringLiteral("操作步骤：小号"));
    clickRow(0);
    EXPECT_TRUE(label("labOperate").isEmpty());
}

TEST_F(BewriteViewerTest, MissingDescriptionSaysSoInTheFrame) {
    package.open({{1, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QVariant()}});
    show()->ShowSymptomDetails(2);
    EXPECT_EQ(viewer->findChild<QGroupBox*>(QStringLiteral("fraBewriteInfo"))->title(), QStringLiteral("没有现象"));
    EXPECT_TRUE(label("labOperate").isEmpty());
}

TEST_F(BewriteViewerTest, OwnerlessAndModeless) {
    package.open({{1, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QVariant()}});
    show();
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_EQ(viewer->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(BewriteViewerTest, SecondRequestShowsTheSameWindowWithoutReloading) {
    package.open({{1, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QVariant()}});
    FrmBewrite* first = show();
    clickRow(0);
    first->hide();

    BewritePackage other;
    other.open({{5, QStringLiteral("另一个"), QStringLiteral("另一个"), QVariant()},
                {6, QStringLiteral("再一个"), QStringLiteral("再一个"), QVariant()}});
    EXPECT_EQ(show(&other), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(label("labOperate"), QStringLiteral("操作步骤：凭证审核"));

    // Closed, the viewer is gone; the next request reads the list afresh.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewer.isNull());
    show(&other);
    EXPECT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(label("labOperate"), QStringLiteral("操作步骤：另一个"));
}

TEST_F(BewriteViewerTest, ViewerWithoutAToolDatabaseSaysSo) {
    dialogs.acceptMessage();
    show();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(QStringLiteral("无法读取问题现象：")));
    EXPECT_EQ(grid()->rowCount(), 0);
}

}  // namespace
}  // namespace tallomar
