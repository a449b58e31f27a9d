// Runs written by other processes: one killed half-way, two writing at once.
#include "logic/history/run_history.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <set>

namespace tallomar::test {
namespace {

using history::RunStatus;

QString writerProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-history-writer");
}

TEST(HistoryProcesses, RunOfAKilledProcessReadsInterrupted) {
    QTemporaryDir data;
    const QString path = data.filePath(QStringLiteral("history.sqlite"));
    QProcess writer;
    writer.start(writerProgram(), {path, QStringLiteral("hang")});
    ASSERT_TRUE(writer.waitForReadyRead(30000)) << writer.readAllStandardError().toStdString();
    const qint64 id = writer.readLine().trimmed().toLongLong();
    ASSERT_GT(id, 0);

    history::RunHistory history(path);
    EXPECT_EQ(history.run(id).end.status, RunStatus::Running);
    // The findings reach the file from the recorder's own thread, soon after the id.
    const QDeadlineTimer deadline(30000);
    while (history.findings(id).rows.size() < 3 && !deadline.hasExpired()) QThread::msleep(10);
    EXPECT_EQ(history.findings(id).rows.size(), 3u);
    // A run still running survives pruning.
    EXPECT_EQ(history.prune(QDateTime::currentDateTimeUtc().addDays(1)), 0);

    writer.kill();  // SIGKILL: no destructor runs, the run stays "running" in the file
    ASSERT_TRUE(writer.waitForFinished(30000));
    const history::RunRecord killed = history.run(id);
    EXPECT_EQ(killed.end.status, RunStatus::Interrupted);
    EXPECT_FALSE(killed.finished.has_value());
    EXPECT_EQ(history.prune(QDateTime::currentDateTimeUtc().addDays(1)), 1);
}

TEST(HistoryProcesses, TwoWritersAtOnceLoseNothing) {
    QTemporaryDir data;
    const QString path = data.filePath(QStringLiteral("history.sqlite"));
    constexpr int kRunsEach = 200;
    QProcess first, second;
    first.start(writerProgram(), {path, QStringLiteral("runs"), QString::number(kRunsEach)});
    second.start(writerProgram(), {path, QStringLiteral("runs"), QString::number(kRunsEach)});
    for (QProcess* writer : {&first, &second}) {
        ASSERT_TRUE(writer->waitForFinished(120000));
        EXPECT_EQ(writer->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    }

    history::RunHistory history(path);
    const std::vector<history::RunRecord> runs = history.runs({QString(), QString(), 10 * kRunsEach});
    ASSERT_EQ(runs.size(), size_t(2 * kRunsEach));
    std::set<QString> tags;
    std::set<qint64> writers;
    for (const history::RunRecord& run : runs) {
        EXPECT_EQ(run.end.status, RunStatus::Findings) << run.id;
        writers.insert(run.process.pid);
        const history::RecordedFindings findings = history.findings(run.id);
        ASSERT_EQ(findings.rows.size(), 3u) << run.id;
        EXPECT_FALSE(findings.rows[1][1].has_value());
        EXPECT_EQ(findings.rows[2][1], QString());
        tags.insert(*findings.rows[0][0]);
    }
    EXPECT_EQ(writers.size(), 2u);
    EXPECT_EQ(tags.size(), size_t(2 * kRunsEach));  // each run kept its own findings
}

}  // namespace
}  // namespace tallomar::test
