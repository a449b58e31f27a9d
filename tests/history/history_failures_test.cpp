// A history that cannot be written never stops a run; files of older and
// newer schemas; a finding set past what a run keeps.
#include "recorded_runs.h"

#include "logic/history/findings_view.h"
#include "logic/history/history_schema.h"
#include "logic/history/run_history.h"
#include "logic/history/run_recorder.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

using history::FindingRow;
using history::RunKind;
using history::RunStatus;

struct UnwritableCase {
    const char* name;
    void (*make)(const QString& path);
};

class UnwritableHistory : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(UnwritableHistory, RunGoesOnWithOneWarning) {
    QTemporaryDir data;
    const QString path = data.filePath(QStringLiteral("tallomar/history.sqlite"));
    GetParam().make(path);
    QStringList warnings;
    history::RunRecorder recorder(path, [&](const QString& message) { warnings << message; });
    recorder.start(demoFacts(RunKind::Check), QString());
    recorder.script(QStringLiteral("check.sql"), 1, QStringLiteral("ok"), QString());
    qint64 gridRows = 0;
    QStringList gridColumns;
    const std::vector<FindingRow> rows(10, FindingRow{QStringLiteral("a"), std::nullopt});
    deliverFindings(recorder.recording({[&](const QStringList& names) { gridColumns = names; },
                                        [&](const ResultBlock& block) { gridRows += block.rowCount(); }}),
                    {QStringLiteral("x"), QStringLiteral("y")}, rows, 3);
    recorder.finish({RunStatus::Findings, QString(), 10, {}, {}});

    EXPECT_EQ(gridColumns, (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
    EXPECT_EQ(gridRows, 10);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(path)) << warnings[0].toStdString();
    EXPECT_FALSE(recorder.runId().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnwritableHistory,
    ::testing::Values(UnwritableCase{"Damaged",
                                     [](const QString& path) {
                                         ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
                                         QFile file(path);
                                         ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                         file.write(QByteArray(8192, '\x5a'));
                                     }},
                      UnwritableCase{"FolderInTheWay", [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); }},
                      UnwritableCase{"UnderAFile",
                                     [](const QString& path) {
                                         // The history's folder cannot be made: a file holds its name.
                                         QFile file(QFileInfo(path).path());
                                         ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                     }}),
    [](const ::testing::TestParamInfo<UnwritableCase>& info) { return std::string(info.param.name); });

void runSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 10'000);  // a recorder may be writing
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(HistoryFailures, ARunTheHistoryCouldNotKeepWholeIsTakenOutAgain) {
    QTemporaryDir data;
    const QString path = data.filePath(QStringLiteral("history.sqlite"));
    QStringList warnings;
    const auto warn = [&](const QString& message) { warnings << message; };
    {
        history::RunRecorder kept(path, warn);
        kept.start(demoFacts(RunKind::Check), QString());
        kept.finish({RunStatus::Ok, QString(), 0, {}, {}});
        ASSERT_EQ(kept.runId(), 1);
    }
    history::RunRecorder recorder(path, warn);
    recorder.start(demoFacts(RunKind::Check), QString());
    ASSERT_EQ(recorder.runId(), 2);
    recorder.script(QStringLiteral("check.sql"), 1, QStringLiteral("ok"), QString());
    // Another program's write refuses the findings half-way through the run.
    runSql(path,
           "CREATE TRIGGER refuse BEFORE INSERT ON finding WHEN NEW.position > 3"
           " BEGIN SELECT RAISE(ABORT, 'no room for findings'); END;");
    qint64 gridRows = 0;
    deliverFindings(recorder.recording(
                        {[](const QStringList&) {}, [&](const ResultBlock& block) { gridRows += block.rowCount(); }}),
                    {QStringLiteral("x")}, std::vector<FindingRow>(10, FindingRow{QStringLiteral("a")}), 3);
    recorder.finish({RunStatus::Findings, QString(), 10, {}, {}});

    EXPECT_EQ(gridRows, 10);
    ASSERT_EQ(warnings.size(), 1) << warnings.join(u'\n').toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("no room for findings"))) << warnings[0].toStdString();
    EXPECT_FALSE(recorder.runId().has_value());  // "recorded in history" is not said of it
    // Neither "running" nor "interrupted": the run is not in the history at all.
    history::RunHistory history(path);
    const std::vector<history::RunRecord> runs = history.runs({});
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].id, 1);
    EXPECT_TRUE(history.scripts(2).empty());
    runSql(path, "DROP TRIGGER refuse");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM finding", -1, &count, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 0);  // the block written before the refusal went too
    sqlite3_finalize(count);
    sqlite3_close(db);
}

TEST(HistorySchema, MigratesEmptyAndFirstReleaseFilesAndRefusesNewer) {
    QTemporaryDir data;
    const QString empty = data.filePath(QStringLiteral("empty.sqlite"));
    QFile(empty).open(QIODevice::WriteOnly);
    history::RunRecorder recorder(empty, [](const QString& message) { ADD_FAILURE() << message.toStdString(); });
    recorder.start(demoFacts(RunKind::Preview), QString());
    recorder.finish({RunStatus::Cancelled, QString(), {}, {}, {}});
    {
        history::RunHistory history(empty);
        ASSERT_EQ(history.runs({}).size(), 1u);
        EXPECT_EQ(history.runs({})[0].facts.kind, RunKind::Preview);
        EXPECT_EQ(history.runs({})[0].end.status, RunStatus::Cancelled);
    }
    runSql(empty, "PRAGMA user_version");  // the file is SQLite and still opens
    EXPECT_EQ(history::currentSchemaVersion(), 2);

    const QString first = data.filePath(QStringLiteral("first.sqlite"));
    writeFirstReleaseHistory(first);
    history::RunHistory history(first);
    const history::RunRecord run = history.run(7);
    EXPECT_EQ(run.facts.tool, QStringLiteral("科目检查"));
    EXPECT_EQ(run.end.status, RunStatus::Findings);  // another host's run, finished
    EXPECT_EQ(run.durationMs, 2500);
    const history::RecordedFindings findings = history.findings(7);
    EXPECT_EQ(findings.columns, (QStringList{QStringLiteral("编码"), QStringLiteral("名称")}));
    EXPECT_EQ(findings.rows, (std::vector<FindingRow>{{QStringLiteral("1001"), std::nullopt}}));
    // Corrections rolled back after every script ran now read as undone; a
    // committed one and a cancelled one stay as they were.
    EXPECT_EQ(history.run(8).end.status, RunStatus::Undone);
    EXPECT_EQ(history.run(8).end.committed, false);
    EXPECT_EQ(history.run(9).end.status, RunStatus::Ok);
    EXPECT_EQ(history.run(10).end.status, RunStatus::Undone);
    EXPECT_EQ(history.run(10).end.recheckFindings, 1);
    EXPECT_EQ(history.run(11).end.status, RunStatus::Cancelled);
    EXPECT_FALSE(history.findings(8).cut);  // a correction keeps no findings of its own

    const QString newer = data.filePath(QStringLiteral("newer.sqlite"));
    runSql(newer, "PRAGMA user_version = 99");
    try {
        history::RunHistory refused(newer);
        ADD_FAILURE() << "a newer schema was opened";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("newer than this program"))) << error.what();
        EXPECT_TRUE(error.message().contains(newer));
    }
}

TEST(HistoryFindings, LargeFindingSetIsCutWithANote) {
    QTemporaryDir data;
    const QString path = data.filePath(QStringLiteral("history.sqlite"));
    const qint64 total = history::kMaxRecordedFindings + 5;
    std::vector<FindingRow> rows;
    rows.reserve(size_t(total));
    for (qint64 i = 0; i < total; ++i) rows.push_back({QString::number(i)});
    {
        history::RunRecorder recorder(path, [](const QString& message) { ADD_FAILURE() << message.toStdString(); });
        recorder.start(demoFacts(RunKind::Check), QString());
        deliverFindings(recorder.recording({[](const QStringList&) {}, [](const ResultBlock&) {}}),
                        {QStringLiteral("n")}, rows);
        recorder.finish({RunStatus::Findings, QString(), total, {}, {}});
    }
    history::RunHistory history(path);
    const history::RecordedFindings findings = history.findings(1);
    EXPECT_TRUE(findings.cut);
    ASSERT_EQ(qint64(findings.rows.size()), history::kMaxRecordedFindings);
    EXPECT_EQ(findings.rows.back(), FindingRow{QString::number(history::kMaxRecordedFindings - 1)});
    EXPECT_EQ(history.run(1).end.findings, total);
    EXPECT_TRUE(history::runFindingsView(history, 1).caption.endsWith(QStringLiteral("（历史只保存了前 100000 条）")));
}

}  // namespace
}  // namespace tallomar::test
