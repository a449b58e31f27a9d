// RunScriptFile against the sandbox server: what is sent, in which order,
// and what a failure leaves behind.
#include "logic/workbench/script_runner.h"
#include "sandbox_account.h"
#include "script_files.h"

#include <QElapsedTimer>
#include <chrono>

namespace tallomar {
namespace {

using namespace std::chrono_literals;
using sandbox::Fault;
using test::gbk;

class ScriptRunner : public test::SandboxAccount {
protected:
    // The runner's outcome for the script, keeping the last one.
    QString run(const QByteArray& script) {
        folder.write(QStringLiteral("s.sql"), script);
        return runFile(QStringLiteral("s.sql"));
    }
    QString runFile(const QString& name) {
        session.gToolFolder = folder.path();
        outcome = RunScriptFile(session, name);
        EXPECT_EQ(outcome.succeeded(), outcome.message.isEmpty());
        return outcome.message;
    }
    RunOutcome outcome;
    const QString use = QStringLiteral("Use shop");
    test::ScriptFolder folder;
};

QByteArray fiveInserts() {
    QByteArray script;
    for (int i = 1; i <= 5; ++i) script += "insert into t values(" + QByteArray::number(i) + ")\r\nGO\r\n";
    return script;
}

TEST_F(ScriptRunner, EmptyScriptRunsOnlyTheDatabaseSwitch) {
    EXPECT_EQ(run(""), QString());
    EXPECT_EQ(received(), QStringList{use});
}

TEST_F(ScriptRunner, BatchesAreSentInFileOrderExactlyAsCollected) {
    EXPECT_EQ(run("select 1\r\nGO\r\nselect 2"), QString());
    EXPECT_EQ(received(), QStringList({use, QStringLiteral("select 1 \r\n"), QStringLiteral("select 2 \r\n")}));
}

TEST_F(ScriptRunner, BatchesRunInTheAccountDatabase) {
    EXPECT_EQ(run(fiveInserts()), QString());
    EXPECT_EQ(tableValues(), QStringList({"1", "2", "3", "4", "5"}));
}

TEST_F(ScriptRunner, ChineseTextReachesTheServerIntact) {
    EXPECT_EQ(run(gbk(QStringLiteral("-- 插入一行\r\nselect '凭证'\r\n"))), QString());
    EXPECT_EQ(received(), QStringList({use, QStringLiteral("-- 插入一行 \r\nselect '凭证' \r\n")}));
}

TEST_F(ScriptRunner, WindowsStyleNameFindsTheFile) {
    folder.write(QStringLiteral("check/First.sql"), "select 1\r\n");
    EXPECT_EQ(runFile(QStringLiteral("CHECK\\first.SQL")), QString());
    EXPECT_EQ(received(), QStringList({use, QStringLiteral("select 1 \r\n")}));
}

TEST_F(ScriptRunner, ThirdOfFiveFailingKeepsTheFirstTwoAndSaysWhere) {
    server().armFault(Fault::failBatch(1, 50000, "batch three refused").whenBatchContains("values(3)"));
    const QString result = run(fiveInserts());
    const QStringList sent = received();
    EXPECT_TRUE(result.endsWith(QStringLiteral("batch three refused"))) << result.toStdString();
    EXPECT_EQ(outcome.kind, RunOutcome::Kind::Failed);
    EXPECT_EQ(outcome.script, QStringLiteral("s.sql"));
    EXPECT_EQ(outcome.batch, 3);
    EXPECT_EQ(outcome.line, 5);
    EXPECT_EQ(sent.size(), 4) << sent.join(u'|').toStdString();
    EXPECT_TRUE(sent.last().contains(QStringLiteral("values(3)")));
    EXPECT_EQ(tableValues(), QStringList({"1", "2"}));
}

TEST_F(ScriptRunner, ErrorInALaterResultOfTheBatchFailsIt) {
    const QString result =
        run("insert into t values(1)\r\nselect * from no_such_table\r\nGO\r\ninsert into t values(2)\r\n");
    EXPECT_TRUE(result.contains(QStringLiteral("no_such_table"))) << result.toStdString();
    EXPECT_EQ(received().size(), 2);
    EXPECT_EQ(tableValues(), QStringList{"1"});
}

TEST_F(ScriptRunner, MissingFileAfterTheSwitchRan) {
    EXPECT_EQ(runFile(QStringLiteral("none.sql")),
              folder.path() + QStringLiteral("/none.sql：No such file or directory"));
    EXPECT_EQ(outcome.batch, 0);
    EXPECT_EQ(received(), QStringList{use});
}

// The switch comes first: with the connection absent its failure is the
// result even though the file is missing too, so the file was never opened.
TEST_F(ScriptRunner, AbsentConnectionFailsTheSwitchBeforeTheFile) {
    session.cnAccount.reset();
    const QString result = runFile(QStringLiteral("none.sql"));
    EXPECT_TRUE(result.contains(QStringLiteral("Use shop"))) << result.toStdString();
    EXPECT_TRUE(received().isEmpty());
}

TEST_F(ScriptRunner, FailedSwitchStopsBeforeTheFile) {
    session.gDatabaseName = QStringLiteral("no_such_db");
    const QString result = runFile(QStringLiteral("none.sql"));
    EXPECT_TRUE(result.contains(QStringLiteral("no_such_db"))) << result.toStdString();
    EXPECT_FALSE(result.contains(QStringLiteral("No such file or directory"))) << result.toStdString();
    EXPECT_EQ(received(), QStringList{QStringLiteral("Use no_such_db")});
}

TEST_F(ScriptRunner, ADatabaseNameThatIsNoPlainNameIsSwitchedToBracketedAndAddsNothing) {
    session.gDatabaseName = QStringLiteral("shop]; drop table t --");
    const QString result = runFile(QStringLiteral("none.sql"));
    EXPECT_EQ(received(), QStringList{QStringLiteral("Use [shop]]; drop table t --]")});
    EXPECT_TRUE(result.contains(QStringLiteral("shop]; drop table t --"))) << result.toStdString();
    EXPECT_EQ(useStatement(QStringLiteral("账套_001")), QStringLiteral("Use 账套_001"));
    EXPECT_EQ(useStatement(QStringLiteral("acct 2008")), QStringLiteral("Use [acct 2008]"));
}

TEST_F(ScriptRunner, InvalidBytesStopTheRunBeforeTheirBatch) {
    const QString result =
        run("insert into t values(1)\r\nGO\r\ninsert into t values(2)\r\nselect '\x81\x7F'\r\nGO\r\n"
            "insert into t values(3)\r\n");
    EXPECT_TRUE(result.contains(QStringLiteral("s.sql"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("第 4 行"))) << result.toStdString();
    EXPECT_EQ(received(), QStringList({use, QStringLiteral("insert into t values(1) \r\n")}));
    EXPECT_EQ(tableValues(), QStringList{"1"});
}

TEST_F(ScriptRunner, BatchPastTheTimeoutFails) {
    server().armFault(Fault::delayBatch(1, 4000ms).whenBatchContains("values(2)"));
    ScriptRun run;
    run.connection = session.cnAccount.get();
    run.databaseName = session.gDatabaseName;
    run.path = folder.write(QStringLiteral("s.sql"), fiveInserts());
    run.queryTimeoutSeconds = 1;
    QElapsedTimer clock;
    clock.start();
    const RunOutcome result = runScript(run);
    EXPECT_LT(clock.elapsed(), 3500);
    EXPECT_EQ(result.kind, RunOutcome::Kind::Failed);
    EXPECT_EQ(result.batch, 2);
    EXPECT_EQ(received().size(), 3) << received().join(u'|').toStdString();
    EXPECT_EQ(tableValues(), QStringList{"1"});
}

TEST_F(ScriptRunner, DroppedConnectionEndsTheRunWithAFailure) {
    server().armFault(Fault::dropAtBatch(1).whenBatchContains("values(3)"));
    const QString result = run(fiveInserts());
    EXPECT_FALSE(result.isEmpty());
    EXPECT_EQ(outcome.kind, RunOutcome::Kind::ConnectionLost);
    EXPECT_EQ(outcome.batch, 3);
    EXPECT_EQ(received().size(), 4) << received().join(u'|').toStdString();
    EXPECT_EQ(tableValues(), QStringList({"1", "2"}));
    // A later run on the lost connection fails cleanly too.
    EXPECT_FALSE(run("select 1\r\n").isEmpty());
}

}  // namespace
}  // namespace tallomar
