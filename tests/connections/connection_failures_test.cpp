#include "session/globals.h"
#include "logic/login/server_connections.h"
#include "platform/odbc/odbc.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace tallomar;

// Nothing listens on port 1 of the loopback: every connection is refused at once.
class UnreachableServer : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessValues();
        gServerName = QStringLiteral("127.0.0.1,1");
        gUserName = QStringLiteral("sa");
        gSoft = QStringLiteral("QV标准版");
    }
    void TearDown() override { ResetProcessValues(); }
};

TEST_F(UnreachableServer, SystemConnectionFailureLeavesItAbsent) {
    gSystemDatabase = QStringLiteral("QVSystem");
    EXPECT_EQ(ConnectSystemDatabase(), QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！"));
    EXPECT_EQ(cnSystem, nullptr);
}

TEST_F(UnreachableServer, LoginTestFails) { EXPECT_FALSE(TestLogin(gServerName)); }

TEST_F(UnreachableServer, AccountConnectionFailureWarnsAndGoesOn) {
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(QStringLiteral("[001]Demo"), QStringLiteral("2008"), nullptr),
              AccountConnection::Failed);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("服务连接出错提示"));
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！"));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(cnAccount, nullptr);
    EXPECT_EQ(gZTName, QStringLiteral("001"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("qvdata_001_2008"));
}

TEST_F(UnreachableServer, AccountConnectionFailureReplacesAnEarlierConnection) {
    // An earlier account-set connection must not survive a failed new one:
    // scripts would otherwise run in the previous database.
    gDatabaseName = QStringLiteral("before");
    gSoft = QStringLiteral("unknown");
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(QStringLiteral("[x]y"), QString(), nullptr), AccountConnection::Failed);
    EXPECT_EQ(gZTName, QStringLiteral("x"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("before"));  // an unknown edition keeps the name
    EXPECT_EQ(cnAccount, nullptr);
}

TEST_F(UnreachableServer, NoAccountSetEntryRefusesTheLogin) {
    gZTName = QStringLiteral("saved");
    gDatabaseName = QStringLiteral("saved_db");
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(QString(), QStringLiteral("2008"), nullptr), AccountConnection::Refused);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("没有选择帐套，不能登录！"));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(gZTName, QStringLiteral("saved"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("saved_db"));
    EXPECT_EQ(cnAccount, nullptr);
}
