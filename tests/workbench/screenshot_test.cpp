// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb) and with
// TALLOMAR_SCREENSHOT_DIR set, saves the main window in report view and in
// grid view with findings, and the about box, to look at its artwork, fonts and layout.
#include "workbench_fixture.h"


#include <QDialog>
#include <QDir>
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

}  // namespace
}  // namespace tallomar::test
