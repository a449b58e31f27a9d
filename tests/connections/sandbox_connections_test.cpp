#include "session/globals.h"
#include "logic/login/server_connections.h"
#include "logic/login/server_select_value.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace tallomar;

// The login's connections against the sandbox server with its demo data
// (master's sub_list, QVSystem, the qvdata_<id>_<year> databases).
class SandboxConnections : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sandbox_ = new test::SandboxServer();
        sandbox_->server().seedDatabase("abc", "CREATE TABLE IF NOT EXISTS marker(a INT);");
        sandbox_->server().seedDatabase("qvdata_001_2008", "CREATE TABLE IF NOT EXISTS marker(a INT);");
    }
    static void TearDownTestSuite() {
        delete sandbox_;
        sandbox_ = nullptr;
    }
    void SetUp() override {
        ResetProcessValues();
        gServerName = sandbox_->serverName();
        gUserName = QString::fromLatin1(test::SandboxServer::User);
        gPassWord = QString::fromLatin1(test::SandboxServer::Password);
    }
    void TearDown() override { ResetProcessValues(); }

    static QString databaseOf(odbc::Connection& connection) {
        return SelectValue(QStringLiteral("db_name()"), QStringLiteral("master..sub_list"), QString(), connection);
    }

    static inline test::SandboxServer* sandbox_ = nullptr;
    // An unexpected message box fails the test instead of waiting for an operator.
    test::ScriptedDialogs dialogs_;
};

TEST_F(SandboxConnections, LoginTestAcceptsTheTestLogin) {
    EXPECT_TRUE(TestLogin(sandbox_->serverName()));
}

TEST_F(SandboxConnections, LoginTestRefusesAWrongPassword) {
    gPassWord = QStringLiteral("wrong");
    EXPECT_FALSE(TestLogin(sandbox_->serverName()));
}

TEST_F(SandboxConnections, LoginTestUsesTheServerBoxNotTheSavedName) {
    gServerName = QStringLiteral("127.0.0.1,1");
    EXPECT_TRUE(TestLogin(sandbox_->serverName()));
    EXPECT_FALSE(TestLogin(QStringLiteral("127.0.0.1,1")));
}

TEST_F(SandboxConnections, SystemConnectionOnTheEditionsSystemDatabase) {
    gSystemDatabase = EditionRulesFor(QStringLiteral("R3"))->systemDatabase;
    ASSERT_EQ(ConnectSystemDatabase(), QString());
    ASSERT_NE(cnSystem, nullptr);
    EXPECT_EQ(SelectValue(QStringLiteral("cAcc_ID"), QStringLiteral("UA_Account"), QStringLiteral("cAcc_ID='001'"),
                          *cnSystem),
              QStringLiteral("001"));
}

TEST_F(SandboxConnections, FailedSystemConnectionIsAbsentAndTheNextCallTriesAgain) {
    gSystemDatabase = QStringLiteral("QVSystem");
    ASSERT_EQ(ConnectSystemDatabase(), QString());
    gPassWord = QStringLiteral("wrong");
    EXPECT_EQ(ConnectSystemDatabase(), QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！"));
    EXPECT_EQ(cnSystem, nullptr);
    gPassWord = QString::fromLatin1(test::SandboxServer::Password);
    EXPECT_EQ(ConnectSystemDatabase(), QString());
    EXPECT_NE(cnSystem, nullptr);
}

TEST_F(SandboxConnections, SingleCompanyEditionUsesTheIdAsTheDatabase) {
    gSoft = QStringLiteral("QM单机版");
    EXPECT_EQ(ConnectAccountDatabase(QStringLiteral("[abc]Shop"), QString(), nullptr), AccountConnection::Connected);
    EXPECT_EQ(gZTName, QStringLiteral("abc"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("abc"));
    ASSERT_NE(cnAccount, nullptr);
    EXPECT_EQ(databaseOf(*cnAccount), QStringLiteral("abc"));
}

TEST_F(SandboxConnections, NetworkEditionNamesTheDatabaseByIdAndYear) {
    gSoft = QStringLiteral("QV标准版");
    EXPECT_EQ(ConnectAccountDatabase(QStringLiteral("[001]Demo"), QStringLiteral("2008"), nullptr),
              AccountConnection::Connected);
    EXPECT_EQ(gZTName, QStringLiteral("001"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("qvdata_001_2008"));
    ASSERT_NE(cnAccount, nullptr);
    EXPECT_EQ(databaseOf(*cnAccount), QStringLiteral("qvdata_001_2008"));
}

TEST_F(SandboxConnections, MissingAccountSetDatabaseWarnsAndLeavesNoConnection) {
    gSoft = QStringLiteral("R6");
    dialogs_.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(QStringLiteral("[001]Demo"), QStringLiteral("1999"), nullptr),
              AccountConnection::Failed);
    EXPECT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(gDatabaseName, QStringLiteral("qvdata_001_1999"));
    EXPECT_EQ(cnAccount, nullptr);
}

TEST_F(SandboxConnections, ResultTableInTempdbIsFound) {
    gSoft = QStringLiteral("QV标准版");
    ASSERT_EQ(ConnectAccountDatabase(QStringLiteral("[001]Demo"), QStringLiteral("2008"), nullptr),
              AccountConnection::Connected);
    {
        odbc::Statement statement(*cnAccount);
        statement.execute(QStringLiteral("create table tempdb..check_result (cCode nvarchar(20))"));
        statement.discardResults();
    }
    EXPECT_EQ(SelectValue(QStringLiteral("name"), QStringLiteral("tempdb..sysobjects"),
                          QStringLiteral("name='check_result'"), *cnAccount),
              QStringLiteral("check_result"));
    EXPECT_EQ(SelectValue(QStringLiteral("name"), QStringLiteral("tempdb..sysobjects"),
                          QStringLiteral("name='no_result'"), *cnAccount),
              QString());
}

TEST_F(SandboxConnections, ServerSelectValueSendsTheSharedStatementAndHidesFailures) {
    gSystemDatabase = QStringLiteral("master");
    ASSERT_EQ(ConnectSystemDatabase(), QString());
    sandbox_->server().clearReceivedBatches();
    EXPECT_EQ(SelectValue(QStringLiteral("ZTName"), QStringLiteral("sub_list"),
                          QStringLiteral("DBName='qvdata_002_2008'"), *cnSystem),
              QStringLiteral("江南食品贸易有限公司"));
    const auto batches = sandbox_->server().receivedBatches();
    ASSERT_FALSE(batches.empty());
    EXPECT_EQ(QString::fromStdString(batches.back()),
              QStringLiteral("select ZTName from sub_list where 1=1 and DBName='qvdata_002_2008'"));
    EXPECT_EQ(SelectValue(QStringLiteral("x"), QStringLiteral("no_table"), QString(), *cnSystem), QString());
    EXPECT_EQ(SelectValue(QStringLiteral("ZTName"), QStringLiteral("sub_list"), QStringLiteral("1=0"), *cnSystem),
              QString());
    EXPECT_EQ(SelectValue(QStringLiteral("null"), QStringLiteral("sub_list"), QString(), *cnSystem), QString());
}
