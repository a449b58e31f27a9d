// A history that cannot be written never stops a run; files of older and
// newer schemas; a finding set past what a run keeps.
#include "recorded_runs.h"

#include "logic/history/findings_view.h"
#include "logic/history/history_schema.h"
#include "logic/history/run_history.h"
#include "logic/history/run_recorder.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

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

// The schema the first release wrote, with one run in it.
const char kFirstReleaseFile[] = R"sql(
CREATE TABLE run(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, started TEXT NOT NULL, finished TEXT,
    duration_ms INTEGER, os_user TEXT NOT NULL, host TEXT NOT NULL, pid INTEGER NOT NULL, boot_id TEXT NOT NULL,
    process_start TEXT NOT NULL, server TEXT NOT NULL, login_user TEXT NOT NULL, edition TEXT NOT NULL,
    account_set TEXT NOT NULL, year TEXT NOT NULL, database_name TEXT NOT NULL, tool TEXT NOT NULL,
    package_folder TEXT NOT NULL, tool_database_sha256 TEXT NOT NULL, status TEXT NOT NULL,
    status_text TEXT NOT NULL DEFAULT '', finding_count INTEGER, columns TEXT,
    findings_kept INTEGER NOT NULL DEFAULT 0, committed INTEGER, recheck_count INTEGER);
CREATE INDEX run_by_database ON run(database_name, started);
CREATE INDEX run_by_started ON run(started);
CREATE TABLE script(run_id INTEGER NOT NULL REFERENCES run(id), position INTEGER NOT NULL, file TEXT NOT NULL,
    sha256 TEXT NOT NULL, batches INTEGER NOT NULL, outcome TEXT NOT NULL, server_message TEXT NOT NULL,
    PRIMARY KEY(run_id, position)) WITHOUT ROWID;
CREATE TABLE finding(run_id INTEGER NOT NULL REFERENCES run(id), position INTEGER NOT NULL,
    row_count INTEGER NOT NULL, cells BLOB NOT NULL, PRIMARY KEY(run_id, position)) WITHOUT ROWID;
INSERT INTO run VALUES(7, 'check', '2026-01-05T08:00:00.000Z', '2026-01-05T08:00:02.500Z', 2500, 'op', 'host-a',
    4242, 'boot', '1', 'srv', 'sa', '', '001', '2025', 'qvdata_001_2025', '科目检查', 'file/科目检查', '',
    'findings', '共找到[1]条记录', 1, '["编码","名称"]', 1, NULL, NULL);
INSERT INTO finding VALUES(7, 1, 1, X'0431303031FF');
INSERT INTO run SELECT 8, 'correct', started, finished, duration_ms, os_user, host, pid, boot_id, process_start, server,
    login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256, 'ok',
    '修复前 1 条 → 修复后 0 条（已撤销）', 1, NULL, 0, 0, 0 FROM run WHERE id = 7;
INSERT INTO run SELECT 9, 'correct', started, finished, duration_ms, os_user, host, pid, boot_id, process_start, server,
    login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256, 'ok',
    '恭喜您，成功修复!', 1, NULL, 0, 1, 0 FROM run WHERE id = 7;
INSERT INTO run SELECT 10, 'preview', started, finished, duration_ms, os_user, host, pid, boot_id, process_start,
    server, login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256,
    'findings', '修复前 1 条 → 修复后 1 条（已撤销）', 1, NULL, 0, 0, 1 FROM run WHERE id = 7;
INSERT INTO run SELECT 11, 'correct', started, finished, duration_ms, os_user, host, pid, boot_id, process_start,
    server, login_user, edition, account_set, year, database_name, tool, package_folder, tool_database_sha256,
    'cancelled', '已取消', 1, NULL, 0, 0, NULL FROM run WHERE id = 7;
PRAGMA user_version = 1;
)sql";

void runSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
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
    runSql(first, kFirstReleaseFile);
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
