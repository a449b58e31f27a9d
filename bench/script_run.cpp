// Running a 10,000-batch script on the sandbox server through the runner,
// against bsqldb (FreeTDS's batch client) running the same file against the
// same server. Both times include logging in.
#include "logic/workbench/script_runner.h"
#include "measure.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBatches = 10'000;
constexpr int kRuns = 5;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using tallomar::test::SandboxServer;
    SandboxServer sandbox(SandboxServer::Data::Empty);
    sandbox.server().seedDatabase("shop", "CREATE TABLE t(a INT, b NVARCHAR(40));");

    QTemporaryDir folder;
    const QString script = folder.filePath(QStringLiteral("run.sql"));
    {
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly)) return 1;
        for (int i = 0; i < kBatches; ++i)
            file.write("insert into t values(" + QByteArray::number(i) +
                       ", 'row')\r\nselect count(*) from t\r\nGO\r\n");
    }
    // bsqldb finds the server through a configuration file of its own.
    const QString config = folder.filePath(QStringLiteral("freetds.conf"));
    {
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) return 1;
        file.write(QStringLiteral("[sandbox]\n\thost = 127.0.0.1\n\tport = %1\n\ttds version = 7.4\n")
                       .arg(sandbox.port())
                       .toUtf8());
    }

    std::vector<double> runner, bsqldb;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        auto connection = tallomar::odbc::Connection::open(sandbox.odbcConnectionString(), 15);
        tallomar::ScriptRun scriptRun;
        scriptRun.connection = connection.get();
        scriptRun.databaseName = QStringLiteral("shop");
        scriptRun.path = script;
        const tallomar::RunOutcome outcome = tallomar::runScript(scriptRun);
        runner.push_back(double(clock.nsecsElapsed()) / 1e9);
        if (!outcome.succeeded()) {
            std::fprintf(stderr, "runner failed: %s\n", outcome.message.toUtf8().constData());
            return 1;
        }
        std::printf("runner run %d: %.2f s\n", run + 1, runner.back());
    }

    const QString program = QStandardPaths::findExecutable(QStringLiteral("bsqldb"));
    if (program.isEmpty()) {
        std::printf("bsqldb is not installed (package freetds-bin): no comparison\n");
        std::printf("runner median: %.2f s (%.0f batches/s)\n", bench::median(runner),
                    kBatches / bench::median(runner));
        return 0;
    }
    for (int run = 0; run < kRuns; ++run) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("FREETDSCONF"), config);
        process.setProcessEnvironment(environment);
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        process.start(program, {QStringLiteral("-S"), QStringLiteral("sandbox"), QStringLiteral("-U"),
                                QString::fromLatin1(SandboxServer::User), QStringLiteral("-P"),
                                QString::fromLatin1(SandboxServer::Password), QStringLiteral("-D"),
                                QStringLiteral("shop"), QStringLiteral("-i"), script});
        process.waitForFinished(-1);
        bsqldb.push_back(double(clock.nsecsElapsed()) / 1e9);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            std::fprintf(stderr, "bsqldb failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        std::printf("bsqldb run %d: %.2f s\n", run + 1, bsqldb.back());
    }
    // Both clients must have run every batch: each run inserts one row per batch.
    auto connection = tallomar::odbc::Connection::open(sandbox.odbcConnectionString(), 15);
    tallomar::odbc::Statement count(*connection);
    count.execute(QStringLiteral("select count(*) from shop..t"));
    const QString rows = count.fetch() ? count.text(0).value_or(QString()) : QString();
    if (rows != QString::number(2 * kRuns * kBatches)) {
        std::fprintf(stderr, "expected %d rows, found %s\n", 2 * kRuns * kBatches, rows.toUtf8().constData());
        return 1;
    }
    std::printf("median for %d batches: runner %.2f s, bsqldb %.2f s (target: runner not slower)\n", kBatches,
                bench::median(runner), bench::median(bsqldb));
    return 0;
}
