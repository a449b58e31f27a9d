// tallomar-cli check and correct on the demo package, run as processes
// against a sandbox server holding the demo ledger: findings, repair, clean,
// each run recorded in the history.
#include "jet4writer/damage.h"
#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "logic/history/findings_diff.h"
#include "logic/history/run_history.h"
#include "platform/access/mdb_reader.h"
#include "sandbox/faults.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstring>

namespace tallomar::test {
namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class DemoCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(package.isValid());
        ASSERT_TRUE(dataHome.isValid());
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        const QDir demo(QStringLiteral(TALLOMAR_DEMO_SOURCE));
        const QByteArray description = readFile(demo.filePath(QStringLiteral("ZOL.json")));
        jet4::writeDatabase(jet4::parseDescription(description, QStringLiteral("ZOL.json")),
                            package.filePath(QStringLiteral("ZOL.mdb")));
        for (const QString& script :
             QDir(demo.filePath(QStringLiteral("scripts"))).entryList({QStringLiteral("*.sql")}))
            ASSERT_TRUE(QFile::copy(demo.filePath(QStringLiteral("scripts/") + script), package.filePath(script)));
    }

    void TearDown() override { qputenv("XDG_DATA_HOME", savedDataHome); }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Result run(const QString& command, QStringList extra = {}, const QByteArray& password = "Sandbox#1\n") {
        QProcess cli;
        QStringList arguments = {command,
                                 QStringLiteral("--package"),
                                 package.path(),
                                 QStringLiteral("--server"),
                                 sandbox.serverName(),
                                 QStringLiteral("--user"),
                                 QStringLiteral("sa"),
                                 QStringLiteral("--password-stdin")};
        arguments += extra;
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"), arguments);
        cli.write(password);
        cli.closeWriteChannel();
        EXPECT_TRUE(cli.waitForFinished(60000));
        return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
    }

    const QStringList byEdition = {QStringLiteral("--edition"), QStringLiteral("R6 财务标准版"),
                                   QStringLiteral("--account"), QStringLiteral("001"),
                                   QStringLiteral("--year"),    QStringLiteral("2008")};
    QTemporaryDir package;
    QTemporaryDir dataHome;  // the history of the runs goes here
    QByteArray savedDataHome;
    // The demo data holds the ledger whose faults the demo package finds.
    SandboxServer sandbox;
};

TEST_F(DemoCommandLine, CheckFindsCorrectRepairsCheckIsCleanAndTheHistoryKeepsAll) {
    const Result found = run(QStringLiteral("check"), byEdition);
    EXPECT_EQ(found.exitCode, 1) << found.err.toStdString();
    // stdout is the findings alone, every record ended by CR LF.
    ASSERT_TRUE(found.out.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = found.out.chopped(2).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << found.out.toStdString();
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')));
    EXPECT_EQ(lines[0], QStringLiteral("凭证号,行号,科目编码,摘要,借方金额,贷方金额"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2,1, 1001,提取备用金"))) << lines[1].toStdString();
    EXPECT_TRUE(found.err.contains(QStringLiteral("共找到[3]条记录"))) << found.err.toStdString();
    EXPECT_TRUE(found.err.contains(QStringLiteral("run 1 recorded in history"))) << found.err.toStdString();

    const Result corrected =
        run(QStringLiteral("correct"), {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")});
    EXPECT_EQ(corrected.exitCode, 0) << corrected.err.toStdString();
    EXPECT_EQ(corrected.out.trimmed(), QStringLiteral("成功执行！\n恭喜您，成功修复!"));
    EXPECT_TRUE(corrected.err.contains(QStringLiteral("run 2 recorded in history"))) << corrected.err.toStdString();

    QTemporaryDir outFolder;
    const QString out = outFolder.filePath(QStringLiteral("clean.csv"));
    const Result clean = run(QStringLiteral("check"), byEdition + QStringList{QStringLiteral("--out"), out});
    EXPECT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    EXPECT_TRUE(clean.out.isEmpty()) << clean.out.toStdString();
    EXPECT_TRUE(clean.err.contains(QStringLiteral("恭喜您，没有发现问题!"))) << clean.err.toStdString();
    EXPECT_EQ(readFile(out),
              QByteArray("\xEF\xBB\xBF") + QStringLiteral("凭证号,行号,科目编码,摘要,借方金额,贷方金额\r\n").toUtf8());

    history::RunHistory history(dataHome.filePath(QStringLiteral("tallomar/history.sqlite")));
    const std::vector<history::RunRecord> runs = history.runs({});
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[2].facts.kind, history::RunKind::Check);
    EXPECT_EQ(runs[2].end.status, history::RunStatus::Findings);
    EXPECT_EQ(runs[2].end.findings, 3);
    EXPECT_EQ(runs[2].facts.database, QStringLiteral("qvdata_001_2008"));
    EXPECT_EQ(runs[2].facts.edition, QStringLiteral("R6 财务标准版"));
    EXPECT_EQ(runs[1].facts.kind, history::RunKind::Correct);
    EXPECT_EQ(runs[1].end.status, history::RunStatus::Ok);
    EXPECT_EQ(runs[1].end.findings, 3);
    EXPECT_EQ(runs[1].end.recheckFindings, 0);
    EXPECT_EQ(runs[1].end.committed, true);
    EXPECT_EQ(runs[0].facts.kind, history::RunKind::Check);
    EXPECT_EQ(runs[0].end.status, history::RunStatus::Ok);
    EXPECT_EQ(runs[0].end.findings, 0);

    const std::vector<history::ScriptRecord> checkScripts = history.scripts(runs[2].id);
    ASSERT_EQ(checkScripts.size(), 2u);
    EXPECT_TRUE(checkScripts[0].file.endsWith(QStringLiteral("check_prepare.sql")))
        << checkScripts[0].file.toStdString();
    EXPECT_EQ(checkScripts[0].batches, 1);
    EXPECT_EQ(checkScripts[0].outcome, QStringLiteral("ok"));
    EXPECT_EQ(checkScripts[0].sha256.size(), 64);
    // The correction counts with the check scripts before and after its own.
    const std::vector<history::ScriptRecord> correctionScripts = history.scripts(runs[1].id);
    ASSERT_EQ(correctionScripts.size(), 5u);
    EXPECT_TRUE(correctionScripts[2].file.endsWith(QStringLiteral("correct_voucher.sql")))
        << correctionScripts[2].file.toStdString();

    const history::FindingsDiff diff = history::diffChecks(history, runs[2].id, runs[0].id);
    EXPECT_EQ(diff.columns.size(), 6);
    ASSERT_EQ(diff.fixed.size(), 3u);
    EXPECT_EQ(diff.fixed[0][2], QStringLiteral(" 1001"));
    EXPECT_TRUE(diff.remaining.empty());
    EXPECT_TRUE(diff.added.empty());
}

TEST_F(DemoCommandLine, CheckWritesFindingsAsOneJsonObject) {
    // A NULL and text that JSON must escape among the findings.
    sandbox.server().seedDatabase(
        "qvdata_001_2008",
        "UPDATE ledger_entry SET cDigest = NULL WHERE cCode = ' 1001';"
        "UPDATE ledger_entry SET cDigest = 'a \"b\" \\ c' || char(10) || 'd' WHERE cCode <> ' 1001'"
        " AND cCode NOT IN (SELECT cCode FROM ledger_account);");
    const Result csv = run(QStringLiteral("check"), byEdition);
    EXPECT_TRUE(csv.out.contains(QStringLiteral("2,1, 1001,,"))) << csv.out.toStdString();
    EXPECT_TRUE(csv.out.contains(QStringLiteral(",\"a \"\"b\"\" \\ c\nd\","))) << csv.out.toStdString();
    const Result found =
        run(QStringLiteral("check"), byEdition + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_EQ(found.exitCode, 1) << found.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(found.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << found.out.toStdString();
    const QJsonObject object = document.object();
    EXPECT_EQ(object.value(QStringLiteral("status")).toString(), QStringLiteral("共找到[3]条记录"));
    EXPECT_EQ(object.value(QStringLiteral("count")).toInteger(), 3);
    EXPECT_EQ(object.value(QStringLiteral("columns")).toArray().size(), 6);
    EXPECT_EQ(object.value(QStringLiteral("columns")).toArray().at(3).toString(), QStringLiteral("摘要"));
    const QJsonArray rows = object.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(0).toArray().at(2).toString(), QStringLiteral(" 1001"));
    EXPECT_TRUE(rows.at(0).toArray().at(3).isNull());
    EXPECT_EQ(rows.at(1).toArray().at(3).toString(), QStringLiteral("a \"b\" \\ c\nd"));

    const Result refused =
        run(QStringLiteral("check"), byEdition + QStringList{QStringLiteral("--format"), QStringLiteral("xml")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_TRUE(refused.err.contains(QStringLiteral("xml"))) << refused.err.toStdString();
}

TEST_F(DemoCommandLine, AHistoryThatCannotBeWrittenIsToldOnceAndTheCheckGoesOn) {
    // A file where the history's folder should be.
    QFile blocker(dataHome.filePath(QStringLiteral("tallomar")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Result found = run(QStringLiteral("check"), byEdition);
    EXPECT_EQ(found.exitCode, 1) << found.err.toStdString();
    EXPECT_EQ(found.out.count(QStringLiteral("\r\n")), 4);
    EXPECT_EQ(found.err.count(QStringLiteral("the run history is not being written")), 1) << found.err.toStdString();
    EXPECT_FALSE(found.err.contains(QStringLiteral("recorded in history")));
    EXPECT_TRUE(found.err.contains(QStringLiteral("共找到[3]条记录")));
}

QJsonObject jsonOf(const QString& out) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out.toStdString();
    return document.object();
}

TEST_F(DemoCommandLine, PreviewRollsBackAndTheRecheckDecidesTheStatus) {
    const QStringList json = {QStringLiteral("--format"), QStringLiteral("json")};
    const QStringList ledger2008 = {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")};
    const Result preview = run(QStringLiteral("correct"), ledger2008 + json + QStringList{QStringLiteral("--preview")});
    EXPECT_EQ(preview.exitCode, 0) << preview.err.toStdString();
    const QJsonObject previewed = jsonOf(preview.out);
    EXPECT_EQ(previewed.value(QStringLiteral("committed")), QJsonValue(false));
    EXPECT_EQ(previewed.value(QStringLiteral("before")), QJsonValue(3));
    EXPECT_EQ(previewed.value(QStringLiteral("after")), QJsonValue(0));
    EXPECT_EQ(previewed.value(QStringLiteral("failed")), QJsonValue());
    EXPECT_EQ(run(QStringLiteral("check"), byEdition).exitCode, 1);  // still three findings

    // The 2007 ledger keeps a finding no trim repairs.
    const Result remaining =
        run(QStringLiteral("correct"), {QStringLiteral("--database"), QStringLiteral("qvdata_001_2007")});
    EXPECT_EQ(remaining.exitCode, 1) << remaining.err.toStdString();
    EXPECT_EQ(remaining.out, QStringLiteral("成功执行！\n修复前 1 条 → 修复后 1 条\n修复后仍有[1]条记录\n"));

    // A ledger the check cannot read: nothing runs, nothing changes.
    const Result broken = run(QStringLiteral("correct"),
                              QStringList{QStringLiteral("--database"), QStringLiteral("qvdata_006_2008")} + json);
    EXPECT_EQ(broken.exitCode, 2);
    const QJsonObject failed = jsonOf(broken.out);
    EXPECT_EQ(failed.value(QStringLiteral("status")), QJsonValue(QStringLiteral("所有修改已撤销，数据未被改动。")));
    EXPECT_EQ(failed.value(QStringLiteral("committed")), QJsonValue(false));
    EXPECT_EQ(failed.value(QStringLiteral("before")), QJsonValue());
    const QJsonObject where = failed.value(QStringLiteral("failed")).toObject();
    EXPECT_EQ(where.value(QStringLiteral("script")), QJsonValue(QStringLiteral("check_voucher.sql")));
    EXPECT_EQ(where.value(QStringLiteral("batch")), QJsonValue(1));
    EXPECT_TRUE(where.value(QStringLiteral("message")).toString().contains(QStringLiteral("ledger_account")));
}

// The lookups of the result table are the program's own statements: a
// failure of either, or a lost connection, stops the correction, keeps
// nothing and says what the server said.
TEST_F(DemoCommandLine, AFailedOrLostResultTableLookupRollsTheCorrectionBackAndSaysWhy) {
    const QStringList ledger2008 = {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008"),
                                    QStringLiteral("--format"), QStringLiteral("json")};
    struct Case {
        sandbox::Fault fault;
        QString phase;
        QString serverWords;
    };
    const Case cases[] = {
        {sandbox::Fault::failBatch(1, 50001, "injected lookup failure").whenBatchContains("tempdb..sysobjects"),
         QStringLiteral("修复前检查：查找结果表 demo_check"), QStringLiteral("injected lookup failure")},
        {sandbox::Fault::failBatch(2, 50001, "injected recheck failure").whenBatchContains("tempdb..sysobjects"),
         QStringLiteral("修复后重新检查：查找结果表 demo_check"), QStringLiteral("injected recheck failure")},
        {sandbox::Fault::dropAtBatch(2).whenBatchContains("tempdb..sysobjects"),
         QStringLiteral("修复后重新检查：查找结果表 demo_check"), QStringLiteral("无法连接服务器")},
    };
    for (const Case& fault : cases) {
        SCOPED_TRACE(fault.serverWords.toStdString());
        sandbox.server().armFault(fault.fault);
        const Result corrected = run(QStringLiteral("correct"), ledger2008);
        EXPECT_EQ(corrected.exitCode, 2) << corrected.out.toStdString() << corrected.err.toStdString();
        const QJsonObject json = jsonOf(corrected.out);
        EXPECT_EQ(json.value(QStringLiteral("committed")), QJsonValue(false));
        const QString message =
            json.value(QStringLiteral("failed")).toObject().value(QStringLiteral("message")).toString();
        EXPECT_TRUE(message.startsWith(fault.phase)) << message.toStdString();
        EXPECT_TRUE(message.contains(fault.serverWords)) << message.toStdString();
        EXPECT_EQ(run(QStringLiteral("check"), byEdition).exitCode, 1) << "the ledger changed";
    }
}

TEST_F(DemoCommandLine, AStatementATransactionRefusesNeedsNoTransaction) {
    const QStringList ledger2008 = {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")};
    sandbox.server().armFault(
        sandbox::Fault::failBatch(1, 3021, "Cannot perform a backup or restore operation within a transaction.")
            .whenBatchContains("ltrim"));
    const Result refused = run(QStringLiteral("correct"), ledger2008);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("所有修改已撤销，数据未被改动。"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--no-transaction"))) << refused.err.toStdString();
    EXPECT_EQ(run(QStringLiteral("check"), byEdition).exitCode, 1);

    const Result oldWay = run(QStringLiteral("correct"), ledger2008 + QStringList{QStringLiteral("--no-transaction")});
    EXPECT_EQ(oldWay.exitCode, 0) << oldWay.err.toStdString();
    EXPECT_EQ(run(QStringLiteral("check"), byEdition).exitCode, 0);
    EXPECT_EQ(run(QStringLiteral("correct"),
                  ledger2008 + QStringList{QStringLiteral("--no-transaction"), QStringLiteral("--preview")})
                  .exitCode,
              2);
}

TEST_F(DemoCommandLine, FailingScriptNamesStepScriptAndBatchOnStderr) {
    QFile script(package.filePath(QStringLiteral("check_voucher.sql")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("select 1\r\nGO\r\n\r\nselect * from no_such_ledger\r\n");
    script.close();

    const Result failed = run(QStringLiteral("check"), byEdition);
    EXPECT_EQ(failed.exitCode, 2);
    const QStringList lines = failed.err.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << failed.err.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("tallomar-cli check: run 1 recorded in history"));
    EXPECT_TRUE(lines[1].startsWith(
                    QStringLiteral("tallomar-cli check: step \"查找失配的分录\" (script check_voucher.sql): ")) &&
                lines[1].contains(QStringLiteral("no_such_ledger")))
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("脚本 check_voucher.sql 第 2 批（第 3 行起）"));

    // A missing script: the step, the script as the package names it and the file's full path.
    ASSERT_TRUE(script.remove());
    const Result missing = run(QStringLiteral("check"), byEdition);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty()) << missing.out.toStdString();
    EXPECT_EQ(missing.err, QStringLiteral("tallomar-cli check: run 2 recorded in history\n"
                                          "tallomar-cli check: step \"查找失配的分录\" (script check_voucher.sql): "
                                          "%1/check_voucher.sql：No such file or directory\n")
                               .arg(QDir(package.path()).absolutePath()));
}

TEST_F(DemoCommandLine, AStopRequestCancelsACheckAndRollsACorrectionBack) {
    // Starts the command and, once the batch holding `marker` has stalled on
    // the server, sends it `signal`; returns how it ended.
    const auto stoppedAt = [&](const QString& command, const QStringList& extra, const char* marker, int signal) {
        sandbox.server().clearReceivedBatches();
        sandbox.server().armFault(sandbox::Fault::delayBatch(1, std::chrono::seconds(60)).whenBatchContains(marker));
        QProcess cli;
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"),
                  QStringList{command, QStringLiteral("--package"), package.path(), QStringLiteral("--server"),
                              sandbox.serverName(), QStringLiteral("--user"), QStringLiteral("sa"),
                              QStringLiteral("--password-stdin")} +
                      extra);
        EXPECT_TRUE(cli.waitForStarted());
        cli.write("Sandbox#1\n");
        EXPECT_TRUE(cli.waitForBytesWritten());
        cli.closeWriteChannel();
        const auto stalled = [&] {
            for (const std::string& batch : sandbox.server().receivedBatches())
                if (batch.find(marker) != std::string::npos) return true;
            return false;
        };
        for (int wait = 0; wait < 600 && !stalled() && cli.state() == QProcess::Running; ++wait) QThread::msleep(50);
        EXPECT_TRUE(stalled()) << cli.readAllStandardError().toStdString();
        ::kill(pid_t(cli.processId()), signal);
        EXPECT_TRUE(cli.waitForFinished(20000)) << "the stop request did not end the run early";
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        return Result{cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                      QString::fromUtf8(cli.readAllStandardError())};
    };
    history::RunHistory history(dataHome.filePath(QStringLiteral("tallomar/history.sqlite")));

    QTemporaryDir outFolder;
    const Result check =
        stoppedAt(QStringLiteral("check"),
                  byEdition + QStringList{QStringLiteral("--out"), outFolder.filePath(QStringLiteral("findings.csv"))},
                  "into tempdb..demo_check", SIGTERM);
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_TRUE(check.err.contains(QStringLiteral("已取消：操作员已取消执行。"))) << check.err.toStdString();
    EXPECT_EQ(QDir(outFolder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    EXPECT_EQ(history.runs({}).front().end.status, history::RunStatus::Cancelled);

    // The correction's update has run in its transaction when the stop comes.
    QFile correction(package.filePath(QStringLiteral("correct_voucher.sql")));
    ASSERT_TRUE(correction.open(QIODevice::Append));
    correction.write("select 1 -- the update has run\r\n");
    correction.close();
    for (const int signal : {SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        const Result corrected =
            stoppedAt(QStringLiteral("correct"), {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")},
                      "the update has run", signal);
        EXPECT_EQ(corrected.exitCode, 2);
        EXPECT_TRUE(corrected.err.contains(QStringLiteral("已取消：操作员已取消执行。")))
            << corrected.err.toStdString();
        EXPECT_TRUE(corrected.err.contains(QStringLiteral("所有修改已撤销，数据未被改动。")))
            << corrected.err.toStdString();
        EXPECT_EQ(history.runs({}).front().end.status, history::RunStatus::Cancelled);
        const Result after = run(QStringLiteral("check"), byEdition);
        EXPECT_EQ(after.exitCode, 1);
        EXPECT_TRUE(after.err.contains(QStringLiteral("共找到[3]条记录"))) << after.err.toStdString();
    }
}

TEST_F(DemoCommandLine, WrongPasswordFailsWithMessage) {
    const Result refused = run(QStringLiteral("check"), byEdition, "wrong\n");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_FALSE(refused.err.isEmpty());
    EXPECT_TRUE(refused.out.isEmpty());
}

TEST_F(DemoCommandLine, CorrectRefusesADamagedToolDatabaseAndRunsNothing) {
    const QString database = package.filePath(QStringLiteral("ZOL.mdb"));
    const quint32 filePage = [&] {
        for (const mdb::Table& table : mdb::readTables(database))
            if (table.name == u"File") return table.locations.front().page;
        return quint32(0);
    }();
    ASSERT_NE(filePage, 0u);
    QByteArray damaged = readFile(database);
    jet4::zeroPage(damaged, filePage);
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    const Result refused =
        run(QStringLiteral("correct"), {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
    EXPECT_TRUE(
        refused.err.startsWith(QStringLiteral("tallomar-cli correct: ZOL.mdb: the file is damaged: table File")))
        << refused.err.toStdString();
    EXPECT_EQ(readFile(database), damaged);
}

TEST_F(DemoCommandLine, MissingOptionsAndUnknownEditionFail) {
    const Result noDatabase = run(QStringLiteral("check"));
    EXPECT_EQ(noDatabase.exitCode, 2);
    EXPECT_TRUE(noDatabase.err.contains(QStringLiteral("--edition"))) << noDatabase.err.toStdString();
    const Result unknown = run(QStringLiteral("check"), {QStringLiteral("--edition"), QStringLiteral("X9"),
                                                         QStringLiteral("--account"), QStringLiteral("001")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("X9")));
}

}  // namespace
}  // namespace tallomar::test
