// A check, a correction and a check again, recorded as the runs do, then
// read back through the history and through tallomar-cli history.
#include "recorded_runs.h"

#include "logic/history/findings_diff.h"
#include "logic/history/run_end.h"
#include "logic/history/run_history.h"
#include "logic/history/run_recorder.h"
#include "logic/workbench/correction.h"
#include "logic/workbench/correction_report.h"
#include "logic/workbench/result_export.h"
#include "logic/workbench/run_progress_context.h"
#include "platform/error.h"
#include "support/program_run.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

using history::FindingRow;
using history::RunKind;
using history::RunStatus;

const QStringList kColumns{QStringLiteral("科目编码"), QStringLiteral("名称"), QStringLiteral("ZT")};
// Longer than a one-byte cell length holds.
const QString kLongName = QStringLiteral("现金").repeated(100);
const FindingRow kCash{QStringLiteral("1001"), kLongName, std::nullopt};
const FindingRow kReceivable{QStringLiteral("1122"), QString(), QStringLiteral("x")};
const FindingRow kBank{QStringLiteral("1002"), std::nullopt, QStringLiteral("y,\"z\"")};

class HistoryRuns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(data.isValid());
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        path = history::HistoryDatabase::defaultPath();
        ASSERT_EQ(path, data.path() + QStringLiteral("/tallomar/history.sqlite"));
        writeFile(QStringLiteral("ZOL.mdb"), "tool database");
        writeFile(QStringLiteral("check.sql"), "select 1");
        writeFile(QStringLiteral("repair.sql"), "update t set a = 1");
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    QString file(const QString& name) const { return QDir(data.path()).filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const {
        QFile out(file(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    // Records a check finding `rows`; returns what the grid received.
    qint64 check(const std::vector<FindingRow>& rows) {
        history::RunRecorder recorder(path, [this](const QString& message) { warnings << message; });
        recorder.start(demoFacts(RunKind::Check), file(QStringLiteral("ZOL.mdb")));
        recorder.script(file(QStringLiteral("check.sql")), 1, QStringLiteral("ok"), QString());
        qint64 received = 0;
        QStringList gridColumns;
        deliverFindings(recorder.recording({[&](const QStringList& names) { gridColumns = names; },
                                            [&](const ResultBlock& block) { received += block.rowCount(); }}),
                        kColumns, rows, 2);
        EXPECT_EQ(gridColumns, kColumns);
        recorder.finish(history::checkRunEnd({CheckOutcome::Kind::Finished, RunOutcome(), qint64(rows.size())}));
        return received;
    }

    void correct() {
        history::RunRecorder recorder(path, [this](const QString& message) { warnings << message; });
        recorder.start(demoFacts(RunKind::Correct), file(QStringLiteral("ZOL.mdb")));
        recorder.script(file(QStringLiteral("repair.sql")), 2, QStringLiteral("ok"),
                        QStringLiteral("(2 rows affected)"));
        recorder.script(file(QStringLiteral("missing.sql")), 0, QStringLiteral("failed"),
                        QStringLiteral("no such file"));
        recorder.finish({RunStatus::Ok, QStringLiteral("恭喜您，成功修复!"), {}, true, 2});
    }

    ProgramRun cli(const QStringList& arguments) {
        return runProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"),
                          QStringList{QStringLiteral("history")} + arguments);
    }

    QTemporaryDir data;
    QString path;
    QStringList warnings;
};

QString sha256Hex(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

TEST_F(HistoryRuns, CheckCorrectionCheckAreRecordedAndCompared) {
    EXPECT_EQ(check({kCash, kReceivable, kReceivable}), 3);
    correct();
    EXPECT_EQ(check({kReceivable, kBank}), 2);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();

    history::RunHistory history(path);
    const std::vector<history::RunRecord> runs = history.runs({});
    ASSERT_EQ(runs.size(), 3u);
    const history::RunRecord& firstCheck = runs[2];
    const history::RunRecord& correction = runs[1];
    const history::RunRecord& secondCheck = runs[0];
    EXPECT_EQ(firstCheck.facts.kind, RunKind::Check);
    EXPECT_EQ(correction.facts.kind, RunKind::Correct);
    EXPECT_EQ(secondCheck.facts.kind, RunKind::Check);
    EXPECT_EQ(firstCheck.end.status, RunStatus::Findings);
    EXPECT_EQ(firstCheck.end.findings, 3);
    EXPECT_EQ(secondCheck.end.findings, 2);
    EXPECT_EQ(firstCheck.end.statusText, QStringLiteral("共找到[3]条记录"));
    EXPECT_EQ(correction.end.status, RunStatus::Ok);
    EXPECT_EQ(correction.end.committed, true);
    EXPECT_EQ(correction.end.recheckFindings, 2);
    EXPECT_FALSE(correction.end.findings.has_value());
    EXPECT_LE(firstCheck.started, *firstCheck.finished);
    EXPECT_GE(*firstCheck.durationMs, 0);
    EXPECT_EQ(firstCheck.facts.database, QStringLiteral("qvdata_001_2024"));
    EXPECT_EQ(firstCheck.facts.tool, QStringLiteral("科目检查"));
    EXPECT_EQ(firstCheck.facts.loginUser, QStringLiteral("sa"));
    EXPECT_FALSE(firstCheck.process.osUser.isEmpty());
    EXPECT_EQ(firstCheck.process.pid, QCoreApplication::applicationPid());
    EXPECT_EQ(firstCheck.toolDatabaseSha256, sha256Hex("tool database"));

    const std::vector<history::ScriptRecord> scripts = history.scripts(correction.id);
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_EQ(scripts[0].sha256, sha256Hex("update t set a = 1"));
    EXPECT_EQ(scripts[0].batches, 2);
    EXPECT_EQ(scripts[0].serverMessage, QStringLiteral("(2 rows affected)"));
    EXPECT_EQ(scripts[1].outcome, QStringLiteral("failed"));
    EXPECT_TRUE(scripts[1].sha256.isEmpty());

    const history::RecordedFindings kept = history.findings(firstCheck.id);
    EXPECT_EQ(kept.columns, kColumns);
    EXPECT_EQ(kept.rows, (std::vector<FindingRow>{kCash, kReceivable, kReceivable}));
    EXPECT_FALSE(kept.cut);

    const history::FindingsDiff diff = history::diffChecks(history, firstCheck.id, secondCheck.id);
    EXPECT_EQ(diff.columns, kColumns);
    EXPECT_EQ(diff.fixed, (std::vector<FindingRow>{kCash, kReceivable}));
    EXPECT_EQ(diff.remaining, (std::vector<FindingRow>{kReceivable}));
    EXPECT_EQ(diff.added, (std::vector<FindingRow>{kBank}));
    try {
        history::diffChecks(history, firstCheck.id, correction.id);
        ADD_FAILURE() << "a check compared with a correction";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("not a check"))) << error.what();
    }

    EXPECT_EQ(history.prune(QDateTime::currentDateTimeUtc().addSecs(1)), 3);
    EXPECT_TRUE(history.runs({}).empty());
}

TEST(HistoryRunEnd, CheckOutcomesMapToStatuses) {
    const history::RunEnd clean = history::checkRunEnd({CheckOutcome::Kind::Finished, RunOutcome(), 0});
    EXPECT_EQ(clean.status, RunStatus::Ok);
    EXPECT_EQ(clean.findings, 0);
    EXPECT_EQ(clean.statusText, texts::kStatusNoFindings);
    const history::RunEnd missing = history::checkRunEnd({CheckOutcome::Kind::NoResultTable, RunOutcome(), 0});
    EXPECT_EQ(missing.status, RunStatus::Failed);
    EXPECT_FALSE(missing.findings.has_value());
    EXPECT_EQ(missing.statusText, texts::kStatusNoResultTable);
    const history::RunEnd stopped = history::checkRunEnd({CheckOutcome::Kind::Failed, RunOutcome::cancelled(), 0});
    EXPECT_EQ(stopped.status, RunStatus::Cancelled);
    const history::RunEnd failed =
        history::checkRunEnd({CheckOutcome::Kind::Failed, RunOutcome::failed(QStringLiteral("a.sql: 语法错误")), 0});
    EXPECT_EQ(failed.status, RunStatus::Failed);
    EXPECT_EQ(failed.statusText, QStringLiteral("a.sql: 语法错误"));
}

TEST(HistoryRunEnd, CorrectionOutcomesKeepTheirCountsAndWhetherTheyWereKept) {
    CorrectionOutcome kept;
    kept.kind = CorrectionOutcome::Kind::Ran;
    kept.changes = CorrectionChanges::Kept;
    kept.before = 3;
    kept.after = 1;
    const history::RunEnd remaining = history::correctionRunEnd(kept);
    EXPECT_EQ(remaining.status, RunStatus::Findings);
    EXPECT_EQ(remaining.statusText, texts::remainingStatus(1));
    EXPECT_EQ(remaining.committed, true);
    EXPECT_EQ(remaining.findings, 3);
    EXPECT_EQ(remaining.recheckFindings, 1);

    kept.after = 0;
    EXPECT_EQ(history::correctionRunEnd(kept).status, RunStatus::Ok);
    EXPECT_EQ(history::correctionRunEnd(kept).statusText, texts::kStatusRepaired);

    CorrectionOutcome stopped;
    stopped.kind = CorrectionOutcome::Kind::Failed;
    stopped.run = RunOutcome::cancelled();
    const history::RunEnd cancelled = history::correctionRunEnd(stopped);
    EXPECT_EQ(cancelled.status, RunStatus::Cancelled);
    EXPECT_EQ(cancelled.committed, false);
    EXPECT_TRUE(cancelled.statusText.contains(texts::kReportUndone)) << cancelled.statusText.toStdString();

    stopped.changes = CorrectionChanges::MaybeKept;
    EXPECT_FALSE(history::correctionRunEnd(stopped).committed.has_value());
    EXPECT_EQ(history::correctionRunEnd(CorrectionOutcome{}).status, RunStatus::Failed);
    EXPECT_EQ(history::scriptOutcomeName({RunOutcome::Kind::ConnectionLost, {}, 2, 5, {}}),
              QStringLiteral("connection lost"));
}

TEST_F(HistoryRuns, CommandLineReadsTheRunsBack) {
    check({kCash, kReceivable, kReceivable});
    correct();
    check({kReceivable, kBank});
    {
        // A check of another tool's columns does not compare.
        history::RunRecorder recorder(path, {});
        recorder.start(demoFacts(RunKind::Check), QString());
        deliverFindings(recorder.recording({[](const QStringList&) {}, [](const ResultBlock&) {}}),
                        {QStringLiteral("other")}, {{QStringLiteral("v")}});
        recorder.finish({RunStatus::Findings, QString(), 1, {}, {}});
    }

    const ProgramRun list =
        cli({QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--limit"), QStringLiteral("3")});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QJsonArray runs = QJsonDocument::fromJson(list.out).array();
    ASSERT_EQ(runs.size(), 3);  // newest first: run 4, the second check, the correction
    const QJsonObject correction = runs[2].toObject();
    EXPECT_EQ(correction[QStringLiteral("id")].toInt(), 2);
    EXPECT_EQ(correction[QStringLiteral("kind")].toString(), QStringLiteral("correct"));
    EXPECT_EQ(correction[QStringLiteral("status")].toString(), QStringLiteral("ok"));
    EXPECT_TRUE(correction[QStringLiteral("findings")].isNull());
    EXPECT_EQ(correction[QStringLiteral("after")], QJsonValue(2));
    EXPECT_EQ(correction[QStringLiteral("committed")], QJsonValue(true));
    EXPECT_EQ(correction[QStringLiteral("operator")].toString(), history::ProcessIdentity::current().osUser);
    EXPECT_FALSE(correction[QStringLiteral("operator")].toString().isEmpty());
    EXPECT_EQ(correction[QStringLiteral("database")].toString(), QStringLiteral("qvdata_001_2024"));
    EXPECT_EQ(correction[QStringLiteral("tool")].toString(), QStringLiteral("科目检查"));
    EXPECT_EQ(correction[QStringLiteral("server")].toString(), QStringLiteral("127.0.0.1,14330"));
    EXPECT_TRUE(QDateTime::fromString(correction[QStringLiteral("finished")].toString(), Qt::ISODateWithMs).isValid());
    const QJsonObject secondCheck = runs[1].toObject();
    EXPECT_EQ(secondCheck[QStringLiteral("status")].toString(), QStringLiteral("findings"));
    EXPECT_EQ(secondCheck[QStringLiteral("findings")].toInt(), 2);
    // Neither applies to a check, and both are said to be missing.
    ASSERT_TRUE(secondCheck.contains(QStringLiteral("after")) && secondCheck.contains(QStringLiteral("committed")));
    EXPECT_TRUE(secondCheck[QStringLiteral("after")].isNull());
    EXPECT_TRUE(secondCheck[QStringLiteral("committed")].isNull());

    const ProgramRun table = cli({QStringLiteral("--database"), QStringLiteral("qvdata_001_2024")});
    ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
    const QStringList lines = table.outText().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    // Aligned as a terminal shows it: the tool's Chinese characters take two cells each.
    const auto cellsBefore = [](const QString& line, const QString& text) {
        const QString before = line.left(line.indexOf(text));
        return before.size() + before.count(QStringLiteral("科目检查")) * 4;
    };
    EXPECT_EQ(cellsBefore(lines[0], QStringLiteral("STATUS")), cellsBefore(lines[1], QStringLiteral("findings")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("FINDINGS  AFTER  COMMITTED"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[3].simplified().endsWith(QStringLiteral("ok - 2 yes"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].simplified().endsWith(QStringLiteral("findings 3 - -"))) << lines[4].toStdString();
    EXPECT_TRUE(
        lines[4].contains(QStringLiteral("  ") + history::ProcessIdentity::current().osUser + QStringLiteral("  ")));

    const ProgramRun shown = cli({QStringLiteral("show"), QStringLiteral("1")});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.outText(), csvRecord(kColumns) + QStringLiteral("1001,") + kLongName +
                                   QStringLiteral(",\r\n1122,,x\r\n1122,,x\r\n"));

    const ProgramRun diff = cli({QStringLiteral("diff"), QStringLiteral("1"), QStringLiteral("3"),
                                 QStringLiteral("--format"), QStringLiteral("json")});
    ASSERT_EQ(diff.exitCode, 0) << diff.err.toStdString();
    const QJsonObject changes = QJsonDocument::fromJson(diff.out).object();
    EXPECT_EQ(changes[QStringLiteral("columns")].toVariant().toStringList(), kColumns);
    const QJsonArray fixed = changes[QStringLiteral("fixed")].toArray();
    ASSERT_EQ(fixed.size(), 2);
    EXPECT_TRUE(fixed[0].toArray()[2].isNull());
    EXPECT_EQ(fixed[1].toArray()[1].toString(), QString());
    EXPECT_FALSE(fixed[1].toArray()[1].isNull());
    EXPECT_EQ(changes[QStringLiteral("remaining")].toArray().size(), 1);
    const QJsonArray added = changes[QStringLiteral("new")].toArray();
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0].toArray()[2].toString(), QStringLiteral("y,\"z\""));

    const ProgramRun otherColumns = cli({QStringLiteral("diff"), QStringLiteral("3"), QStringLiteral("4")});
    EXPECT_EQ(otherColumns.exitCode, 2);
    EXPECT_TRUE(otherColumns.out.isEmpty());
    EXPECT_TRUE(otherColumns.err.contains(QStringLiteral("records do not compare"))) << otherColumns.err.toStdString();

    const ProgramRun help = cli({QStringLiteral("diff"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.outText().contains(QStringLiteral("--format")));
    const ProgramRun bad = cli({QStringLiteral("prune"), QStringLiteral("--older")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("usage: tallomar-cli history prune --older-than DAYS")));
}

TEST_F(HistoryRuns, ShowSaysHowEachRunEndedAndWhereItStopped) {
    {
        // A check refused in the second batch of its second script.
        history::RunRecorder recorder(path, [this](const QString& message) { warnings << message; });
        recorder.start(demoFacts(RunKind::Check), QString());
        recorder.script(file(QStringLiteral("check.sql")), 1, QStringLiteral("ok"), QString());
        RunOutcome refused = RunOutcome::failed(QStringLiteral("Invalid object name 'no_such_ledger'."));
        refused.script = QStringLiteral("voucher.sql");
        refused.batch = 2;
        refused.line = 3;
        recorder.script(file(QStringLiteral("voucher.sql")), 2, history::scriptOutcomeName(refused), refused.message);
        recorder.finish(history::checkRunEnd({CheckOutcome::Kind::Failed, refused, 0}));
    }
    {
        // A check whose program never finished it.
        history::RunRecorder recorder(path, [this](const QString& message) { warnings << message; });
        recorder.start(demoFacts(RunKind::Check), QString());
        recorder.script(file(QStringLiteral("check.sql")), 1, QStringLiteral("ok"), QString());
    }
    {
        // A correction whose scripts all ran, rolled back at the operator's word.
        CorrectionOutcome undone;
        undone.kind = CorrectionOutcome::Kind::Ran;
        undone.changes = CorrectionChanges::Undone;
        undone.before = 3;
        undone.after = 0;
        history::RunRecorder recorder(path, [this](const QString& message) { warnings << message; });
        recorder.start(demoFacts(RunKind::Correct), QString());
        recorder.finish(history::correctionRunEnd(undone));
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();

    const ProgramRun failed = cli({QStringLiteral("show"), QStringLiteral("1")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty()) << failed.outText().toStdString();
    EXPECT_EQ(failed.err, QStringLiteral("tallomar-cli history show: run 1 (check) failed: Invalid object name "
                                         "'no_such_ledger'.\nstopped in script voucher.sql, batch 2: Invalid object "
                                         "name 'no_such_ledger'.\n"));
    const ProgramRun failedJson =
        cli({QStringLiteral("show"), QStringLiteral("1"), QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_EQ(failedJson.exitCode, 1);
    const QJsonObject failedRun = QJsonDocument::fromJson(failedJson.out).object();
    EXPECT_EQ(failedRun[QStringLiteral("status")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(failedRun[QStringLiteral("failed")][QStringLiteral("script")].toString(), QStringLiteral("voucher.sql"));
    EXPECT_EQ(failedRun[QStringLiteral("failed")][QStringLiteral("batch")], QJsonValue(2));
    EXPECT_TRUE(failedRun[QStringLiteral("rows")].toArray().isEmpty());

    const ProgramRun interrupted = cli({QStringLiteral("show"), QStringLiteral("2")});
    EXPECT_EQ(interrupted.exitCode, 1);
    EXPECT_EQ(interrupted.err, QStringLiteral("tallomar-cli history show: run 2 (check) interrupted\n"
                                              "stopped: the program running it ended before the run did\n"));

    const ProgramRun undone = cli({QStringLiteral("show"), QStringLiteral("3")});
    EXPECT_EQ(undone.exitCode, 0);
    EXPECT_TRUE(undone.out.isEmpty()) << undone.outText().toStdString();
    EXPECT_EQ(undone.err,
              QStringLiteral("tallomar-cli history show: run 3 (correct) undone: 修复前 3 条 → 修复后 0 条（已撤销）\n"
                             "findings before 3, after 0; changes undone\n"));
    const ProgramRun list = cli({QStringLiteral("--format"), QStringLiteral("json")});
    const QJsonObject undoneRun = QJsonDocument::fromJson(list.out).array()[0].toObject();
    EXPECT_EQ(undoneRun[QStringLiteral("status")].toString(), QStringLiteral("undone"));
    EXPECT_EQ(undoneRun[QStringLiteral("findings")], QJsonValue(3));
    EXPECT_EQ(undoneRun[QStringLiteral("after")], QJsonValue(0));
    EXPECT_EQ(undoneRun[QStringLiteral("committed")], QJsonValue(false));
}

}  // namespace
}  // namespace tallomar::test
