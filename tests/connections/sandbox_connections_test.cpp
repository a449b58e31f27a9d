#include "logic/login/server_connections.h"
#include "logic/workbench/program_statements.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"
#include "support/scripted_dialogs.h"
#include "windows/dialog_prompts.h"

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
        session.gServerName = sandbox_->serverName();
        session.gUserName = QString::fromLatin1(test::SandboxServer::User);
        session.gPassWord = QString::fromLatin1(test::SandboxServer::Password);
    }
    Session session;
    DialogPrompts prompts{nullptr};

    // The first value `sql` answers with on the connection, as the runs read one.
    static QString valueOf(odbc::Connection& connection, const QString& sql) {
        return ProgramStatements(connection, nullptr).value(sql, QStringLiteral("test")).value_or(QString());
    }
    static QString databaseOf(odbc::Connection& connection) {
        return valueOf(connection, QStringLiteral("select db_name()"));
    }

    static inline test::SandboxServer* sandbox_ = nullptr;
    // An unexpected message box fails the test instead of waiting for an operator.
    test::ScriptedDialogs dialogs_;
};

TEST_F(SandboxConnections, LoginTestAcceptsTheTestLogin) {
    EXPECT_EQ(TestLogin(loginTestLogin(session, sandbox_->serverName())), QString());
}

TEST_F(SandboxConnections, LoginTestRefusesAWrongPasswordWithTheServersReason) {
    session.gPassWord = QStringLiteral("wrong");
    const QString reason = TestLogin(loginTestLogin(session, sandbox_->serverName()));
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Login failed for user 'sa'.\n"))) << reason.toStdString();
}

TEST_F(SandboxConnections, LoginTestUsesTheServerBoxNotTheSavedName) {
    session.gServerName = QStringLiteral("127.0.0.1,1");
    EXPECT_EQ(TestLogin(loginTestLogin(session, sandbox_->serverName())), QString());
    // Nobody answers there: the reason says so, not that the login was refused.
    const QString unreachable = TestLogin(loginTestLogin(session, QStringLiteral("127.0.0.1,1")));
    EXPECT_FALSE(unreachable.isEmpty());
    EXPECT_FALSE(unreachable.contains(QStringLiteral("Login failed"))) << unreachable.toStdString();
}

TEST_F(SandboxConnections, SystemConnectionOnTheEditionsSystemDatabase) {
    session.gSystemDatabase = EditionRulesFor(QStringLiteral("R3"))->systemDatabase;
    ASSERT_EQ(ConnectSystemDatabase(session), QString());
    ASSERT_NE(session.cnSystem, nullptr);
    EXPECT_EQ(valueOf(*session.cnSystem, QStringLiteral("select cAcc_ID from UA_Account where cAcc_ID='001'")),
              QStringLiteral("001"));
}

TEST_F(SandboxConnections, FailedSystemConnectionIsAbsentAndTheNextCallTriesAgain) {
    session.gSystemDatabase = QStringLiteral("QVSystem");
    ASSERT_EQ(ConnectSystemDatabase(session), QString());
    session.gPassWord = QStringLiteral("wrong");
    const QString failure = ConnectSystemDatabase(session);
    EXPECT_TRUE(failure.startsWith(
        QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！\nLogin failed for user 'sa'.")))
        << failure.toStdString();
    EXPECT_EQ(session.cnSystem, nullptr);
    session.gPassWord = QString::fromLatin1(test::SandboxServer::Password);
    EXPECT_EQ(ConnectSystemDatabase(session), QString());
    EXPECT_NE(session.cnSystem, nullptr);
}

TEST_F(SandboxConnections, SingleCompanyEditionUsesTheIdAsTheDatabase) {
    session.gSoft = QStringLiteral("QM单机版");
    EXPECT_EQ(ConnectAccountDatabase(session, QStringLiteral("[abc]Shop"), QString(), prompts),
              AccountConnection::Connected);
    EXPECT_EQ(session.gZTName, QStringLiteral("abc"));
    EXPECT_EQ(session.gDatabaseName, QStringLiteral("abc"));
    ASSERT_NE(session.cnAccount, nullptr);
    EXPECT_EQ(databaseOf(*session.cnAccount), QStringLiteral("abc"));
}

TEST_F(SandboxConnections, NetworkEditionNamesTheDatabaseByIdAndYear) {
    session.gSoft = QStringLiteral("QV标准版");
    EXPECT_EQ(ConnectAccountDatabase(session, QStringLiteral("[001]Demo"), QStringLiteral("2008"), prompts),
              AccountConnection::Connected);
    EXPECT_EQ(session.gZTName, QStringLiteral("001"));
    EXPECT_EQ(session.gDatabaseName, QStringLiteral("qvdata_001_2008"));
    ASSERT_NE(session.cnAccount, nullptr);
    EXPECT_EQ(databaseOf(*session.cnAccount), QStringLiteral("qvdata_001_2008"));
}

TEST_F(SandboxConnections, MissingAccountSetDatabaseWarnsAndLeavesNoConnection) {
    session.gSoft = QStringLiteral("R6");
    dialogs_.acceptMessage();
    EXPECT_EQ(ConnectAccountDatabase(session, QStringLiteral("[001]Demo"), QStringLiteral("1999"), prompts),
              AccountConnection::Failed);
    EXPECT_EQ(dialogs_.shown().size(), 1u);
    EXPECT_EQ(session.gDatabaseName, QStringLiteral("qvdata_001_1999"));
    EXPECT_EQ(session.cnAccount, nullptr);
}

TEST_F(SandboxConnections, ResultTableInTempdbIsFound) {
    session.gSoft = QStringLiteral("QV标准版");
    ASSERT_EQ(ConnectAccountDatabase(session, QStringLiteral("[001]Demo"), QStringLiteral("2008"), prompts),
              AccountConnection::Connected);
    {
        odbc::Statement statement(*session.cnAccount);
        statement.execute(QStringLiteral("create table tempdb..check_result (cCode nvarchar(20))"));
        statement.discardResults();
    }
    EXPECT_EQ(valueOf(*session.cnAccount,
                      QStringLiteral("select name from tempdb..sysobjects where 1=1 and name='check_result'")),
              QStringLiteral("check_result"));
    EXPECT_EQ(valueOf(*session.cnAccount,
                      QStringLiteral("select name from tempdb..sysobjects where 1=1 and name='no_result'")),
              QString());
}

TEST_F(SandboxConnections, ProgramValueReadsTheFirstValueAndReportsEveryFailureWithTheServersWords) {
    session.gSystemDatabase = QStringLiteral("master");
    ASSERT_EQ(ConnectSystemDatabase(session), QString());
    const ProgramStatements statements(*session.cnSystem, nullptr);
    EXPECT_EQ(statements.value(QStringLiteral("select ZTName from sub_list where DBName='qvdata_002_2008'"),
                               QStringLiteral("读公司名")),
              QStringLiteral("江南食品贸易有限公司"));
    EXPECT_EQ(statements.value(QStringLiteral("select ZTName from sub_list where 1=0"), QStringLiteral("读公司名")),
              std::nullopt);
    EXPECT_EQ(statements.value(QStringLiteral("select null from sub_list"), QStringLiteral("读公司名")), std::nullopt);
    try {
        (void)statements.value(QStringLiteral("select x from no_table"), QStringLiteral("查找结果表 demo_check"));
        FAIL() << "a missing table must not read as no value";
    } catch (const StatementFailure& failure) {
        EXPECT_EQ(failure.outcome.kind, RunOutcome::Kind::Failed);
        EXPECT_EQ(failure.outcome.serverError, 208);
        EXPECT_TRUE(failure.outcome.message.startsWith(QStringLiteral("查找结果表 demo_check时服务器报错：\n")))
            << failure.outcome.message.toStdString();
        EXPECT_TRUE(failure.outcome.message.contains(QStringLiteral("Invalid object name 'no_table'")))
            << failure.outcome.message.toStdString();
    }
}
