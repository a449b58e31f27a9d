// The login window opens at once, however slowly the saved server answers:
// it says it is connecting, takes no input but cmdCancel meanwhile, and fills
// its lists when the server answers.
#include "login_fixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace tallomar::test {
namespace {

using namespace std::chrono_literals;
using LoginStart = LoginTest;

TEST_F(LoginStart, SlowServerWindowShowsAtOnceSaysConnectingAndFillsTheListsLater) {
    constexpr auto kDelay = 3s;
    SandboxServer slow(SandboxServer::Data::Demo, kDelay);
    setSetting(QStringLiteral("ServerName"), slow.serverName());
    QElapsedTimer sinceOpening;
    sinceOpening.start();
    openWindow(Wait::No);
    QSignalSpy ended(window.get(), &FrmLogin::connectionEnded);

    EXPECT_LT(sinceOpening.elapsed(), 1500) << "the window waited for the server";
    ASSERT_TRUE(window->connecting());
    EXPECT_EQ(label("labReport").text(), QStringLiteral("正在连接服务器…"));
    EXPECT_EQ(window->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(combo("cboSoft").currentText(), QStringLiteral("R6 财务标准版"));
    EXPECT_EQ(combo("cboZT").count(), 0);
    for (const char* input : {"cboSoft", "cboZT", "cboYear"}) EXPECT_FALSE(combo(input).isEnabled()) << input;
    EXPECT_FALSE(serverBox().isEnabled());
    EXPECT_FALSE(button("cmdOK").isEnabled());
    EXPECT_TRUE(button("cmdCancel").isEnabled());

    ASSERT_TRUE(ended.wait(int(std::chrono::milliseconds(kDelay).count()) + 10000));
    EXPECT_GE(sinceOpening.elapsed(), 2500);
    EXPECT_FALSE(window->connecting());
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
    EXPECT_TRUE(entries(combo("cboZT")).contains(kAccount003));
    EXPECT_EQ(combo("cboYear").currentText(), QStringLiteral("2008"));
    EXPECT_TRUE(label("labReport").text().isEmpty());
    EXPECT_TRUE(combo("cboZT").isEnabled());
    EXPECT_TRUE(button("cmdOK").isEnabled());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(session().cnSystem != nullptr);
}

TEST_F(LoginStart, CaptionIsExactlyItsOwnText) {
    openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("  登录"));
    EXPECT_EQ(window->windowHandle()->title(), QStringLiteral("  登录"));
}

}  // namespace
}  // namespace tallomar::test
