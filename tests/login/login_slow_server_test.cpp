// A server that is slow to accept logins never freezes the login window:
// the login test, the account-set connection and a reload after a change of
// server all run behind it, the window saying it is connecting, and closing
// the window abandons the wait at once.
#include "login_fixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace tallomar::test {
namespace {

using namespace std::chrono_literals;

// Each login on this server is answered after kDelay.
class LoginSlowServer : public LoginTest {
protected:
    static constexpr auto kDelay = 2s;
    static constexpr int kDelayMs = int(std::chrono::milliseconds(kDelay).count());

    // The window while it waits: it says so and takes no input but 退出.
    void expectWaitingWindow() {
        EXPECT_TRUE(window->connecting());
        EXPECT_EQ(label("labReport").text(), QStringLiteral("正在连接服务器…"));
        EXPECT_EQ(window->cursor().shape(), Qt::BusyCursor);
        EXPECT_FALSE(button("cmdOK").isEnabled());
        EXPECT_FALSE(serverBox().isEnabled());
        EXPECT_FALSE(combo("cboZT").isEnabled());
        EXPECT_FALSE(saveBox().isEnabled());
        EXPECT_TRUE(button("cmdCancel").isEnabled());
    }

    SandboxServer slow_{SandboxServer::Data::Demo, kDelay};
};

TEST_F(LoginSlowServer, ConfirmWaitsBehindTheWindowForTheLoginTestAndTheAccountSetConnection) {
    setSetting(QStringLiteral("ServerName"), slow_.serverName());
    openWindow();
    ASSERT_EQ(combo("cboZT").currentText(), kAccount001);

    QElapsedTimer sinceClick;
    sinceClick.start();
    QTest::mouseClick(&button("cmdOK"), Qt::LeftButton);
    EXPECT_LT(sinceClick.elapsed(), 1000) << "the click waited for the server";
    expectWaitingWindow();
    // The window is drawn meanwhile.
    QTest::qWait(kDelayMs / 2);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(handOvers.empty());

    waitForConnections();
    // Two logins: the login test, then the account-set connection.
    EXPECT_GE(sinceClick.elapsed(), 2 * kDelayMs - 200);
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_001_2008"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginSlowServer, ClosingTheWindowWhileTheLoginIsTestedAbandonsTheLogin) {
    setSetting(QStringLiteral("ServerName"), slow_.serverName());
    openWindow();
    QTest::mouseClick(&button("cmdOK"), Qt::LeftButton);
    ASSERT_TRUE(window->connecting());

    QElapsedTimer sinceClose;
    sinceClose.start();
    QTest::mouseClick(&button("cmdCancel"), Qt::LeftButton);
    EXPECT_LT(sinceClose.elapsed(), 500) << "closing waited for the server";
    EXPECT_FALSE(window->isVisible());

    // The abandoned attempts end without anyone to hear of them.
    QTest::qWait(2 * kDelayMs + 1000);
    EXPECT_TRUE(handOvers.empty());
    EXPECT_EQ(session().cnAccount, nullptr);
    EXPECT_EQ(savedSettings(), initialSettings());
    EXPECT_EQ(storedPassword(), std::nullopt);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginSlowServer, ChangingTheServerReloadsTheListsBehindTheWindow) {
    openWindow();
    typeServerName(slow_.serverName());
    QSignalSpy ended(window.get(), &FrmLogin::connectionEnded);

    QElapsedTimer sinceEnter;
    sinceEnter.start();
    QTest::keyClick(&serverBox(), Qt::Key_Return);
    EXPECT_LT(sinceEnter.elapsed(), 1000) << "the reload waited for the server";
    expectWaitingWindow();

    ASSERT_TRUE(ended.wait(kDelayMs + 10000));
    EXPECT_GE(sinceEnter.elapsed(), kDelayMs - 200);
    // Enter forgot the password: the slow server refused the login.
    EXPECT_EQ(session().gServerName, slow_.serverName());
    EXPECT_EQ(label("labReport").text(), kConnectionFailed + u'\n' + refusedReason());
    EXPECT_FALSE(button("cmdPassword").isHidden());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(serverBox().isEnabled());

    // The password entered there reloads behind the window too.
    dialogs.answerText(sandboxPassword());
    QTest::mouseClick(&button("cmdPassword"), Qt::LeftButton);
    expectWaitingWindow();
    waitForConnections();
    EXPECT_EQ(label("labReport").text(), QString());
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
}

TEST_F(LoginSlowServer, ConfirmThatTakesTheFocusFromAChangedServerNameLogsInOnceTheListsAreLoaded) {
    addLogin("operator", "");
    slow_.server().addLogin({"operator", ""});
    setSetting(QStringLiteral("UserName"), QStringLiteral("operator"));
    setSetting(QStringLiteral("PassWord"), QVariant());
    openWindow();
    typeServerName(slow_.serverName());

    // The click is taken as the box loses the focus: the reload, then the
    // login on the slow server's lists.
    QTest::mouseClick(&button("cmdOK"), Qt::LeftButton);
    expectWaitingWindow();
    waitForConnections();

    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(session().gServerName, slow_.serverName());
    EXPECT_EQ(savedSettings().value(QStringLiteral("ServerName")), slow_.serverName());
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace tallomar::test
