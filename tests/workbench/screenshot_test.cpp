// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb) and with
// TALLOMAR_SCREENSHOT_DIR set, saves the main window in report view and in
// grid view with findings, the about box, the question before a correction
// is kept and the grid of what its re-check still finds, to look at their
// artwork, fonts and layout.
#include "workbench_fixture.h"


#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace tallomar::test {
namespace {

using MainWindowScreenshot = WorkbenchTest;

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

}  // namespace
}  // namespace tallomar::test
