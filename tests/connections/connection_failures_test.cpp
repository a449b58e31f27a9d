#include "logic/login/server_connections.h"
#include "platform/odbc/odbc.h"
#include "support/scripted_dialogs.h"
#include "windows/dialog_prompts.h"

#include <gtest/gtest.h>

using namespace tallomar;

// Nothing listens on port 1 of the loopback: every connection is refused at once.
class UnreachableServer : public ::testing::Test {
protected:
    void SetUp() override {
        session.gServerName = QStringLiteral("127.0.0.1,1");
        session.gUserName = QStringLiteral("sa");
        session.gSoft = QStringLiteral("QV标准版");
    }
    Session session;
    DialogPrompts prompts{nullptr};
};

TEST_F(UnreachableServer, SystemConnectionFailureLeavesItAbsent) {
    session.gSystemDatabase = QStringLiteral("QVSystem");
    const QString failure = ConnectSystemDatabase(session);
    // The documented text, then the driver's reason.
    EXPECT_TRUE(failure.startsWith(QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！\n")))
        << failure.toStdString();
    EXPECT_GT(failure.split(QLatin1Char('\n')).value(1).size(), 0) << "the driver's reason is missing";
    EXPECT_EQ(session.cnSystem, nullptr);
}

TEST_F(UnreachableServer, LoginTestFails) {
    EXPECT_FALSE(TestLogin(loginTestLogin(session, session.gServerName)).isEmpty());
}

TEST_F(UnreachableServer, AccountConnectionFailureWarnsAndGoesOn) {
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(session, QStringLiteral("[001]Demo"), QStringLiteral("2008"), prompts),
              AccountConnection::Failed);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("服务连接出错提示"));
    EXPECT_TRUE(
        dialogs.shown()[0].text.startsWith(QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！\n")))
        << dialogs.shown()[0].text.toStdString();
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(session.cnAccount, nullptr);
    EXPECT_EQ(session.gZTName, QStringLiteral("001"));
    EXPECT_EQ(session.gDatabaseName, QStringLiteral("qvdata_001_2008"));
}

TEST_F(UnreachableServer, AccountConnectionFailureReplacesAnEarlierConnection) {
    // An earlier account-set connection must not survive a failed new one:
    // scripts would otherwise run in the previous database.
    session.gDatabaseName = QStringLiteral("before");
    session.gSoft = QStringLiteral("unknown");
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(session, QStringLiteral("[x]y"), QString(), prompts), AccountConnection::Failed);
    EXPECT_EQ(session.gZTName, QStringLiteral("x"));
    EXPECT_EQ(session.gDatabaseName, QStringLiteral("before"));  // an unknown edition keeps the name
    EXPECT_EQ(session.cnAccount, nullptr);
}

TEST_F(UnreachableServer, NoAccountSetEntryRefusesTheLogin) {
    session.gZTName = QStringLiteral("saved");
    session.gDatabaseName = QStringLiteral("saved_db");
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(session, QString(), QStringLiteral("2008"), prompts), AccountConnection::Refused);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("没有选择帐套，不能登录！"));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(session.gZTName, QStringLiteral("saved"));
    EXPECT_EQ(session.gDatabaseName, QStringLiteral("saved_db"));
    EXPECT_EQ(session.cnAccount, nullptr);
}
