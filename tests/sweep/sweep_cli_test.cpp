// tallomar-cli sweep against the sandbox's demo ledgers, compared with
// tallomar-cli check run on each database alone.
#include "sweep_fixture.h"

#include "logic/history/history_database.h"
#include "logic/history/run_history.h"
#include "logic/sweep/sweep_report.h"
#include "platform/odbc/odbc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <cstring>
#include <map>

namespace tallomar::test {
namespace {

int terminalWidthBefore(const QString& line, const QString& text) {
    return terminalWidth(line.left(line.indexOf(text)));
}

class SweepCommandLine : public SweepFixture {
protected:
    struct Result {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };

    Result cli(const QString& command, const QStringList& extra) {
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"),
                      QStringList{command, QStringLiteral("--package"), package.path(), QStringLiteral("--server"),
                                  sandbox.serverName(), QStringLiteral("--user"), QStringLiteral("sa"),
                                  QStringLiteral("--password-stdin")} +
                          extra);
        process.write(QByteArray(SandboxServer::Password) + '\n');
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

    Result sweep(const QStringList& extra) {
        return cli(QStringLiteral("sweep"), QStringList{QStringLiteral("--edition"), kEdition} + extra);
    }

    // The findings `tallomar-cli check` reports for one database; none when it fails.
    std::optional<qint64> checkAlone(const QString& database) {
        const Result check = cli(QStringLiteral("check"), {QStringLiteral("--database"), database});
        if (check.exitCode == 2) return std::nullopt;
        // The status line goes to stderr, the findings alone to stdout.
        const QString& status = check.err;
        if (status.contains(QStringLiteral("恭喜您，没有发现问题!"))) return 0;
        const QRegularExpressionMatch count =
            QRegularExpression(QStringLiteral("共找到\\[(\\d+)\\]条记录")).match(status);
        EXPECT_TRUE(count.hasMatch()) << status.toStdString();
        return count.captured(1).toLongLong();
    }

    QStringList sweepTablesLeft() {
        auto tempdb = odbc::Connection::open(sandbox.odbcConnectionString(QStringLiteral("tempdb")), 15);
        odbc::Statement statement(*tempdb);
        statement.execute(QStringLiteral("select name from tempdb..sysobjects where name like '%sweep%'"));
        QStringList names;
        while (statement.fetch()) names << statement.text(0).value_or(QString());
        return names;
    }
};

TEST_F(SweepCommandLine, CountsEqualSeparateChecksAndAFailingDatabaseStopsNoOther) {
    const Result swept =
        sweep({QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--jobs"), QStringLiteral("4")});
    EXPECT_EQ(swept.exitCode, 2) << swept.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(swept.out).object();
    EXPECT_EQ(root.value(QStringLiteral("server")).toString(), sandbox.serverName());
    const QJsonArray databases = root.value(QStringLiteral("databases")).toArray();

    // As the login window lists them: 003 has only the year 9999.
    QStringList names;
    for (const QJsonValue& database : databases) names << database[QStringLiteral("database")].toString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("qvdata_001_2007"), QStringLiteral("qvdata_001_2008"),
                                  QStringLiteral("qvdata_002_2008"), QStringLiteral("qvdata_005_2008"),
                                  QStringLiteral("qvdata_005_2009"), QStringLiteral("qvdata_006_2008")}));
    EXPECT_TRUE(sweepTablesLeft().isEmpty());

    // Each database's check is a run of its own in the run history.
    std::map<QString, history::RunRecord> recorded;
    for (const history::RunRecord& run : history::RunHistory(history::HistoryDatabase::defaultPath()).runs({}))
        recorded[run.facts.database] = run;
    ASSERT_EQ(recorded.size(), 6u);

    qint64 total = 0;
    for (const QJsonValue& database : databases) {
        const QString name = database[QStringLiteral("database")].toString();
        const std::optional<qint64> alone = checkAlone(name);
        if (!alone) {
            EXPECT_EQ(database[QStringLiteral("status")].toString(), QStringLiteral("failed")) << name.toStdString();
            EXPECT_TRUE(database[QStringLiteral("findings")].isNull());
            EXPECT_TRUE(database[QStringLiteral("error")].toString().contains(QStringLiteral("ledger_account")));
            EXPECT_EQ(recorded[name].end.status, history::RunStatus::Failed);
            continue;
        }
        EXPECT_EQ(database[QStringLiteral("findings")].toInteger(-1), *alone) << name.toStdString();
        EXPECT_EQ(database[QStringLiteral("status")].toString(),
                  *alone > 0 ? QStringLiteral("findings") : QStringLiteral("ok"))
            << name.toStdString();
        EXPECT_TRUE(database[QStringLiteral("error")].isNull());
        EXPECT_EQ(recorded[name].facts.kind, history::RunKind::Check);
        EXPECT_EQ(recorded[name].end.findings, *alone) << name.toStdString();
        EXPECT_EQ(recorded[name].findingsKept, *alone);
        total += *alone;
    }
    EXPECT_EQ(total, 7);
    EXPECT_EQ(root.value(QStringLiteral("total")).toInteger(), total);
}

TEST_F(SweepCommandLine, OneJobAndFourJobsGiveTheSameResultsAndReport) {
    QTemporaryDir reports;
    const QString oneReport = reports.filePath(QStringLiteral("one.html"));
    const Result one = sweep({QStringLiteral("--jobs"), QStringLiteral("1"), QStringLiteral("--format"),
                              QStringLiteral("json"), QStringLiteral("--report"), oneReport});
    const Result four =
        sweep({QStringLiteral("--jobs"), QStringLiteral("4"), QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_EQ(one.exitCode, 2);
    EXPECT_EQ(four.exitCode, 2);
    EXPECT_FALSE(one.out.isEmpty());
    EXPECT_EQ(one.out, four.out);

    QFile report(oneReport);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(report.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("[005]西山建材有限公司")));
    EXPECT_TRUE(html.contains(QStringLiteral("<svg")));
    EXPECT_TRUE(html.contains(QStringLiteral("Invalid object name 'ledger_account'")));
    // Nothing is loaded from elsewhere.
    EXPECT_FALSE(html.contains(QStringLiteral("src=")));
    EXPECT_FALSE(html.contains(QStringLiteral("href=")));
    EXPECT_EQ(html.count(QStringLiteral("<rect ")), 6);

    const Result text =
        sweep({QStringLiteral("--accounts"), QStringLiteral("005"), QStringLiteral("--years"), QStringLiteral("2009")});
    EXPECT_EQ(text.exitCode, 1) << text.err.toStdString();
    const QStringList lines = QString::fromUtf8(text.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << text.out.toStdString();
    // Columns line up on a terminal: the status column starts at the same width in every line.
    EXPECT_EQ(terminalWidthBefore(lines[0], QStringLiteral("状态")),
              terminalWidthBefore(lines[1], QStringLiteral("findings")));

    const Result unknown = sweep({QStringLiteral("--accounts"), QStringLiteral("004")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("004"))) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.out.isEmpty());
}

TEST_F(SweepCommandLine, FiltersThatChooseNoDatabaseFailAndSaySo) {
    const QList<QStringList> choosingNothing = {
        {QStringLiteral("--accounts"), QStringLiteral(",")},
        {QStringLiteral("--years"), QStringLiteral(",")},
        // Both exist, but not together: 001 has 2007 and 2008, 2009 is 005's.
        {QStringLiteral("--accounts"), QStringLiteral("001"), QStringLiteral("--years"), QStringLiteral("2009")},
    };
    for (const QStringList& filters : choosingNothing) {
        SCOPED_TRACE(filters.join(QLatin1Char(' ')).toStdString());
        const Result swept = sweep(filters + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
        EXPECT_EQ(swept.exitCode, 2);
        EXPECT_TRUE(swept.out.isEmpty()) << swept.out.toStdString();
        EXPECT_TRUE(swept.err.startsWith(QStringLiteral("tallomar-cli sweep: nothing matched: ")))
            << swept.err.toStdString();
        for (int value = 1; value < filters.size(); value += 2)
            EXPECT_TRUE(swept.err.contains(QStringLiteral("%1 \"%2\"").arg(filters[value - 1], filters[value])))
                << swept.err.toStdString();
    }
    EXPECT_TRUE(history::RunHistory(history::HistoryDatabase::defaultPath()).runs({}).empty());
}

TEST_F(SweepCommandLine, CtrlCTerminationAndHangUpCancelTheRunningCheckAndLeaveNothingBehind) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        // Nothing of the sweep may be left in the temporary folder.
        QTemporaryDir temporary;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temporary.path());
        const auto leftInTemporary = [&] {
            return QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        };
        // The second database's check stalls for a minute: only the stop request ends it early.
        sandbox.server().clearReceivedBatches();
        sandbox.server().armFault(
            sandbox::Fault::delayBatch(1, std::chrono::seconds(60)).whenBatchContains("Use qvdata_001_2008"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"),
            {QStringLiteral("sweep"), QStringLiteral("--package"), package.path(), QStringLiteral("--server"),
             sandbox.serverName(), QStringLiteral("--user"), QStringLiteral("sa"), QStringLiteral("--password-stdin"),
             QStringLiteral("--edition"), kEdition, QStringLiteral("--jobs"), QStringLiteral("1"),
             QStringLiteral("--format"), QStringLiteral("json")});
        ASSERT_TRUE(process.waitForStarted());
        process.write(QByteArray(SandboxServer::Password) + '\n');
        ASSERT_TRUE(process.waitForBytesWritten());
        process.closeWriteChannel();
        const auto stalled = [&] {
            for (const std::string& batch : sandbox.server().receivedBatches())
                if (batch.find("Use qvdata_001_2008") != std::string::npos) return true;
            return false;
        };
        for (int wait = 0; wait < 600 && !stalled(); ++wait) QThread::msleep(50);
        ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
        ASSERT_TRUE(stalled());
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_LT(clock.elapsed(), 20000);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_EQ(leftInTemporary(), QStringList());

        const QJsonArray databases = QJsonDocument::fromJson(process.readAllStandardOutput())
                                         .object()
                                         .value(QStringLiteral("databases"))
                                         .toArray();
        ASSERT_EQ(databases.size(), 6);
        EXPECT_EQ(databases[0][QStringLiteral("status")].toString(), QStringLiteral("findings"));
        EXPECT_EQ(databases[0][QStringLiteral("findings")].toInteger(), 1);
        for (int index = 1; index < 6; ++index) {
            EXPECT_EQ(databases[index][QStringLiteral("status")].toString(), QStringLiteral("cancelled")) << index;
            EXPECT_TRUE(databases[index][QStringLiteral("findings")].isNull());
        }
        // The stopped check was ended, not cut off: the history says so.
        const std::vector<history::RunRecord> runs =
            history::RunHistory(history::HistoryDatabase::defaultPath()).runs({});
        ASSERT_FALSE(runs.empty());
        EXPECT_EQ(runs.front().facts.database, QStringLiteral("qvdata_001_2008"));
        EXPECT_EQ(runs.front().end.status, history::RunStatus::Cancelled);
    }
}

}  // namespace
}  // namespace tallomar::test
