// The server goes away and comes back on the same port between two checks:
// the main window opens the account-set connection again with the session's
// values before the second check, which then runs as if nothing happened.
#include "fake_tool.h"
#include "logic/login/server_connections.h"
#include "logic/login/server_failure_text.h"
#include "logic/workbench/script_runner.h"
#include "platform/odbc/odbc.h"
#include "sandbox/server.h"
#include "support/scripted_dialogs.h"
#include "windows/workbench/frm_main.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

using namespace tallomar;

namespace {

const char* kLedger =
    "CREATE TABLE IF NOT EXISTS ledger(cCode NVARCHAR(20), bad INT);"
    "DELETE FROM ledger; INSERT INTO ledger VALUES ('1001', 1), ('1002', 0), ('1122', 1);";

}  // namespace

class ServerRestart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        start(0);
        session->gServerName = QStringLiteral("127.0.0.1,%1").arg(port_);
        session->gUserName = QStringLiteral("sa");
        session->gPassWord = QStringLiteral("Sandbox#1");
        session->gDatabaseName = QStringLiteral("acct");
        session->gToolFolder = folder.path();
        session->cnAccount = odbc::Connection::open(accountLogin(*session), 5);
        QFile script(folder.filePath(QStringLiteral("check.sql")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            "if object_id('tempdb..restart_result') is not null drop table tempdb..restart_result\n"
            "GO\n"
            "select cCode into tempdb..restart_result from ledger where bad = 1\n");
        script.close();
        tool.addCheck(1, QStringLiteral("check.sql"), QStringLiteral("restart_result"));
        tool.settings[QStringLiteral("ProjectType")] = QStringLiteral("0");
        window = new FrmMain(session, tool.reads());
    }
    void TearDown() override { delete window.data(); }

    // A new server on `port` (0: a free one) with the account-set database;
    // a new server starts with an empty tempdb, as a restarted one does.
    void start(std::uint16_t port) {
        server_.reset();
        sandbox::ServerOptions options;
        options.port = port;
        options.logins = {{"sa", "Sandbox#1"}};
        server_ = std::make_unique<sandbox::Server>(options);
        server_->seedDatabase("acct", kLedger);
        port_ = server_->port();
    }
    void stop() { server_.reset(); }

    QString check() {
        dialogs.runForReal();
        window->cmdCheck_Click();
        return window->findChild<QLabel*>(QStringLiteral("labResult"))->text();
    }
    std::vector<test::ScriptedDialogs::Shown> messageBoxes() const {
        std::vector<test::ScriptedDialogs::Shown> boxes;
        for (const auto& shown : dialogs.shown())
            if (shown.kind == u"QMessageBox") boxes.push_back(shown);
        return boxes;
    }

    QTemporaryDir folder;
    test::FakeTool tool;
    test::ScriptedDialogs dialogs;
    std::shared_ptr<Session> session = std::make_shared<Session>();
    QPointer<FrmMain> window;
    std::unique_ptr<sandbox::Server> server_;
    std::uint16_t port_ = 0;
};

TEST_F(ServerRestart, TheCheckAfterARestartRunsWithoutANewLogin) {
    ASSERT_EQ(check(), QStringLiteral("共找到[2]条记录"));
    const odbc::Connection* before = session->cnAccount.get();

    stop();
    start(port_);
    EXPECT_EQ(check(), QStringLiteral("共找到[2]条记录"));
    EXPECT_TRUE(messageBoxes().empty()) << messageBoxes().front().text.toStdString();
    EXPECT_NE(session->cnAccount.get(), before);
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST_F(ServerRestart, AServerStillAwayIsReportedAndTheNextCheckTriesAgain) {
    ASSERT_EQ(check(), QStringLiteral("共找到[2]条记录"));
    stop();
    dialogs.acceptMessage();
    window->cmdCheck_Click();
    ASSERT_EQ(messageBoxes().size(), 1u);
    const QString text = messageBoxes().front().text;
    EXPECT_TRUE(text.startsWith(kServerUnreachable + QLatin1Char('\n'))) << text.toStdString();
    EXPECT_GT(text.size(), kServerUnreachable.size() + 1) << "the driver's words are missing";
    EXPECT_FALSE(text.contains(QLatin1String("[FreeTDS]"))) << text.toStdString();
    // Nothing ran: the server was not reached.
    EXPECT_NE(session->cnAccount, nullptr);

    start(port_);
    EXPECT_EQ(check(), QStringLiteral("共找到[2]条记录"));
    EXPECT_EQ(messageBoxes().size(), 1u);
}

// The connection a failed run found lost is known dead to the driver: the
// next run opens a new one without asking the server first.
TEST_F(ServerRestart, ARunThatMetTheLostConnectionIsFollowedByOneThatWorks) {
    stop();
    start(port_);
    const RunOutcome lost = RunScriptFile(*session, QStringLiteral("check.sql"));
    EXPECT_FALSE(lost.succeeded());
    EXPECT_TRUE(
        lost.message.startsWith(QStringLiteral("切换到数据库 acct时服务器报错：\n") + kServerUnreachable + u'\n'))
        << lost.message.toStdString();
    EXPECT_EQ(ReconnectIfLost(*session), QString());
    EXPECT_TRUE(RunScriptFile(*session, QStringLiteral("check.sql")).succeeded());
}
