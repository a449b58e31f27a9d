// The sweep window on the demo ledgers: rows filled as checks end, and a
// row's findings opened in a grid.
#include "sweep_fixture.h"

#include "windows/sweep/frm_sweep.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

namespace tallomar::test {
namespace {

class SweepWindow : public SweepFixture {};

TEST_F(SweepWindow, StartFillsEveryRowAndADoubleClickShowsTheFindings) {
    QPointer<FrmSweep> window = new FrmSweep(login());
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("全部账套检查"));
    auto* grid = window->findChild<QTableWidget*>(QStringLiteral("grdSweep"));
    ASSERT_NE(grid, nullptr);
    QStringList headers;
    for (int column = 0; column < grid->columnCount(); ++column) headers << grid->horizontalHeaderItem(column)->text();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("数据库"), QStringLiteral("账套"), QStringLiteral("年度"),
                                    QStringLiteral("状态"), QStringLiteral("发现数"), QStringLiteral("错误")}));
    auto* start = window->findChild<QPushButton*>(QStringLiteral("cmdStart"));
    auto* stop = window->findChild<QPushButton*>(QStringLiteral("cmdStop"));
    EXPECT_EQ(start->text(), QStringLiteral("开始(&S)"));
    EXPECT_EQ(stop->text(), QStringLiteral("停止"));

    QSignalSpy ended(window.data(), &FrmSweep::sweepEnded);
    start->click();
    EXPECT_FALSE(start->isEnabled());
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());

    ASSERT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(grid->item(1, 0)->text(), QStringLiteral("qvdata_001_2008"));
    EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("[001]华北机械制造有限公司"));
    EXPECT_EQ(grid->item(1, 3)->text(), QStringLiteral("有发现"));
    EXPECT_EQ(grid->item(1, 4)->text(), QStringLiteral("3"));
    EXPECT_EQ(grid->item(3, 3)->text(), QStringLiteral("没有发现问题"));
    EXPECT_EQ(grid->item(5, 3)->text(), QStringLiteral("检查失败"));
    EXPECT_TRUE(grid->item(5, 5)->text().contains(QStringLiteral("ledger_account")));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("labSweep"))->text(), QStringLiteral("共找到[7]条记录"));

    emit grid->cellDoubleClicked(1, 0);
    auto* findings = window->findChild<QTableWidget*>(QStringLiteral("grdFindings"));
    ASSERT_NE(findings, nullptr);
    EXPECT_TRUE(findings->isWindow());
    EXPECT_EQ(findings->rowCount(), 3);
    EXPECT_EQ(findings->horizontalHeaderItem(2)->text(), QStringLiteral("科目编码"));
    EXPECT_EQ(findings->item(0, 2)->text(), QStringLiteral(" 1001"));
    // With TALLOMAR_SCREENSHOT_DIR set (under xvfb-run, QT_QPA_PLATFORM=xcb), the
    // window and the findings grid are saved to look at.
    if (const QString shots = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR"); !shots.isEmpty()) {
        EXPECT_TRUE(window->grab().save(QDir(shots).filePath(QStringLiteral("sweep_window.png"))));
        EXPECT_TRUE(findings->grab().save(QDir(shots).filePath(QStringLiteral("sweep_findings.png"))));
    }
    window->close();
    QApplication::processEvents();
    EXPECT_TRUE(window.isNull());
}

}  // namespace
}  // namespace tallomar::test
