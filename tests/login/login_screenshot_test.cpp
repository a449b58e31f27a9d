// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb) and with
// TALLOMAR_SCREENSHOT_DIR set, saves the login window connected (lists
// filled), not connected (password button shown, the failure's two lines)
// and waiting for a slow server, to look at its banner, fonts and layout.
#include "login_fixture.h"

#include <QDir>

namespace tallomar::test {
namespace {

using LoginScreenshot = LoginTest;

TEST_F(LoginScreenshot, SavesTheConnectedAndTheNotConnectedWindow) {
    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (target.isEmpty()) GTEST_SKIP() << "TALLOMAR_SCREENSHOT_DIR not set";
    openWindow();
    ASSERT_EQ(combo("cboZT").currentText(), kAccount001);
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(QDir(target).filePath(QStringLiteral("login.png"))));

    typeServerName(kNoServer);
    QTest::keyClick(&serverBox(), Qt::Key_Return);
    waitForConnections();
    ASSERT_FALSE(button("cmdPassword").isHidden());
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(QDir(target).filePath(QStringLiteral("login_not_connected.png"))));

    SandboxServer slow(SandboxServer::Data::Demo, std::chrono::seconds(3));
    typeServerName(slow.serverName());
    QTest::keyClick(&serverBox(), Qt::Key_Return);
    ASSERT_TRUE(window->connecting());
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(QDir(target).filePath(QStringLiteral("login_connecting.png"))));
    waitForConnections();
}

}  // namespace
}  // namespace tallomar::test
