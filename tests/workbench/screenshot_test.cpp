// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb) and with
// TALLOMAR_SCREENSHOT_DIR set, saves the main window in report view and in
// grid view with findings, the about box, the question before a correction
// is kept and the grid of what its re-check still finds, the box of a
// failing check script and the tooltip of a cell with outer blanks, to look
// at their artwork, fonts and layout.
#include "workbench_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHelpEvent>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>

namespace tallomar::test {
namespace {

// The windows as an operator sees them, a ledger of the demo named.
class MainWindowScreenshot : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        session->gServerName = QStringLiteral("127.0.0.1,1433");
        session->accountSetEntry = QStringLiteral("[001]华北机械制造有限公司");
        session->gZTName = QStringLiteral("001");
        session->gYear = QStringLiteral("2008");
    }
};

TEST_F(MainWindowScreenshot, SavesReportViewAndGridView) {
    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (target.isEmpty()) GTEST_SKIP() << "TALLOMAR_SCREENSHOT_DIR not set";
    session->gToolName = QStringLiteral("科目余额检查工具");
    tool.bewriteId = QStringLiteral("1");
    addStandardCheck();
    openWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(window->grab().save(QDir(target).filePath(QStringLiteral("main_report.png"))));
    check();
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(QDir(target).filePath(QStringLiteral("main_grid.png"))));
    dialogs.answer([&](QDialog& about) {
        about.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_TRUE(about.grab().save(QDir(target).filePath(QStringLiteral("about.png"))));
        return int(QDialog::Accepted);
    });
    window->cmdAbout_Click();
}

TEST_F(MainWindowScreenshot, SavesCorrectionQuestionAndRemainingFindings) {
    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (target.isEmpty()) GTEST_SKIP() << "TALLOMAR_SCREENSHOT_DIR not set";
    session->gToolName = QStringLiteral("科目余额检查工具");
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), QStringLiteral("update ledger set bad = 0 where cCode <> '6001'\r\n"));
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    openWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    check();
    dialogs.runForReal();
    dialogs.answer([&](QDialog& preview) {
        preview.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&preview));
        QTest::qWait(300);
        EXPECT_TRUE(preview.grab().save(QDir(target).filePath(QStringLiteral("correction_preview.png"))));
        EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(target).filePath(QStringLiteral("correction_preview_screen.png"))));
        preview.findChild<QPushButton*>(QStringLiteral("cmdCommit"))->click();
        return preview.result();
    });
    window->cmdRun_Click();
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(QDir(target).filePath(QStringLiteral("correction_remaining.png"))));
}

TEST_F(MainWindowScreenshot, SavesAFailureBoxAndACellTooltip) {
    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (target.isEmpty()) GTEST_SKIP() << "TALLOMAR_SCREENSHOT_DIR not set";
    session->gToolName = QStringLiteral("凭证摘要检查");
    writeScript(QStringLiteral("gap.sql"), QStringLiteral("select 1\r\nGO\r\nselect * from no_such_ledger\r\n"));
    tool.addCheck(1, QStringLiteral("gap.sql"), QStringLiteral("check_result"));
    openWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    dialogs.runForReal();
    dialogs.answer([&](QDialog& box) {
        box.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(50);
        EXPECT_TRUE(box.grab().save(QDir(target).filePath(QStringLiteral("failure_box.png"))));
        return int(QDialog::Accepted);
    });
    window->cmdCheck_Click();

    // A finding whose fault is the blank before the account code.
    writeScript(QStringLiteral("gap.sql"),
                QStringLiteral("select 2 as 凭证号, N' 1001' as 科目编码, N'提取备用金，用于差旅　' as 摘要 "
                               "into tempdb..check_result\r\n"));
    check();
    auto* grid = window->findChild<QTableView*>(QStringLiteral("grdCheck"));
    // The account code with its leading blank, then the summary the column cuts short.
    for (const auto& [column, name] :
         {std::pair{1, "grid_tooltip_code.png"}, std::pair{2, "grid_tooltip_summary.png"}}) {
        const QPoint cell = grid->visualRect(grid->model()->index(0, column)).center();
        QHelpEvent hover(QEvent::ToolTip, cell, grid->viewport()->mapToGlobal(cell));
        QApplication::sendEvent(grid->viewport(), &hover);
        QTest::qWait(500);
        ASSERT_TRUE(window->screen()->grabWindow(0).save(QDir(target).filePath(QLatin1String(name))));
    }
}

}  // namespace
}  // namespace tallomar::test
