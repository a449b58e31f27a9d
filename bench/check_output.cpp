// What tallomar-cli check costs in time and memory when the check finds
// 1,000,000 records of 6 columns (every seventh cell of one column NULL, a
// quote in every other): the findings stream to stdout as CSV and as JSON,
// and the first 100,000 go into the run history as well.
//
//     tallomar-bench-check-output      one run per format, prints time, output size and peak memory
//
// The sandbox server (tallomar-sandbox) and tallomar-cli run beside this
// program as processes of their own. The package's one check step runs no
// script and names the result table that the sandbox's tempdb is seeded
// with, so the figures are the fetch and the writing alone. Peak memory is
// the largest resident size any tallomar-cli run reached (getrusage of the
// waited-for children), which shows whether the output is held in memory.
#include "loopback.h"

#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"

#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kRows = 1'000'000;

const char kToolDatabase[] = R"({"tables": [
 {"name": "ZOL", "columns": [{"name": "cName", "kind": "text", "length": 50}, {"name": "cValue", "kind": "memo"},
                             {"name": "cSys", "kind": "text", "length": 10}],
  "rows": [["ToolName", "big result", null], ["ProjectType", "0", null]]},
 {"name": "File", "columns": [{"name": "cSign", "kind": "text", "length": 10}, {"name": "cType", "kind": "text", "length": 10},
                              {"name": "cName", "kind": "text", "length": 50}, {"name": "cPath", "kind": "text", "length": 255},
                              {"name": "iOrder", "kind": "long"}, {"name": "cResult", "kind": "text", "length": 128}],
  "rows": [["校验", "sql", "big", "999", 1, "big"]]},
 {"name": "Version", "columns": [{"name": "cItem", "kind": "text", "length": 50}, {"name": "iGrade", "kind": "long"},
                                 {"name": "bsign", "kind": "boolean"}, {"name": "ID", "kind": "long"}], "rows": []},
 {"name": "Bewrite", "columns": [{"name": "ID", "kind": "long"}, {"name": "cOperate", "kind": "memo"},
                                 {"name": "cResult", "kind": "memo"}, {"name": "cPath", "kind": "text", "length": 255}],
  "rows": []}]})";

QByteArray tempdbSeed() {
    return "CREATE TABLE big(iNo INT, iLine INT, cCode TEXT, cDigest TEXT, mDebit FLOAT, mCredit FLOAT);\n"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           QByteArray::number(kRows) +
           ") INSERT INTO big SELECT i, i % 5, printf('%06d', i % 9973),"
           " CASE WHEN i % 7 = 0 THEN NULL WHEN i % 2 = 0 THEN '摘要\"' || i ELSE '提取备用金' END, i * 1.5, 0 FROM "
           "n;\n";
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

long childrenPeakKib() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QDir folder(work.path());
    folder.mkpath(QStringLiteral("data"));
    folder.mkpath(QStringLiteral("package"));
    folder.mkpath(QStringLiteral("home"));
    if (!writeFile(folder.filePath(QStringLiteral("data/tempdb.sql")), tempdbSeed())) return 1;
    tallomar::jet4::writeDatabase(tallomar::jet4::parseDescription(kToolDatabase, QStringLiteral("bench")),
                                  folder.filePath(QStringLiteral("package/ZOL.mdb")));

    const QString programs = QCoreApplication::applicationDirPath();
    const quint16 port = bench::freePort();
    QProcess sandbox;
    sandbox.start(programs + QStringLiteral("/tallomar-sandbox"),
                  {QStringLiteral("--port"), QString::number(port), QStringLiteral("--login"),
                   QStringLiteral("sa:Sandbox#1"), QStringLiteral("--data"), folder.filePath(QStringLiteral("data"))});
    if (!sandbox.waitForReadyRead(120000)) {
        std::fprintf(stderr, "tallomar-sandbox did not start: %s\n", qPrintable(sandbox.readAllStandardError()));
        return 1;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("home")));
    std::printf("tallomar-cli check, %d findings x 6 columns\n", kRows);
    // Outputs are read back only after both runs: a child forked from this
    // process while it holds a big output would count that memory as its own.
    const QStringList formats{QStringLiteral("csv"), QStringLiteral("json")};
    QStringList lines;
    for (const QString& format : formats) {
        QProcess cli;
        cli.setProcessEnvironment(environment);
        cli.setStandardOutputFile(folder.filePath(QStringLiteral("findings.") + format));
        QElapsedTimer clock;
        clock.start();
        cli.start(programs + QStringLiteral("/tallomar-cli"),
                  {QStringLiteral("check"), QStringLiteral("--package"), folder.filePath(QStringLiteral("package")),
                   QStringLiteral("--server"), QStringLiteral("127.0.0.1,%1").arg(port), QStringLiteral("--user"),
                   QStringLiteral("sa"), QStringLiteral("--password-stdin"), QStringLiteral("--database"),
                   QStringLiteral("master"), QStringLiteral("--format"), format});
        cli.write("Sandbox#1\n");
        cli.closeWriteChannel();
        if (!cli.waitForFinished(600000) || cli.exitCode() != 1) {
            std::fprintf(stderr, "tallomar-cli check --format %s failed: %s\n", qPrintable(format),
                         qPrintable(cli.readAllStandardError()));
            return 1;
        }
        lines << QStringLiteral("  %1 %2 s  peak tallomar-cli memory so far %3 KiB")
                     .arg(format, -4)
                     .arg(double(clock.elapsed()) / 1000.0, 7, 'f', 2)
                     .arg(childrenPeakKib());
    }
    for (qsizetype i = 0; i < formats.size(); ++i) {
        // The output must be whole: the CSV has a record per row, the JSON parses with every row.
        QFile written(folder.filePath(QStringLiteral("findings.") + formats[i]));
        if (!written.open(QIODevice::ReadOnly)) return 1;
        const QByteArray bytes = written.readAll();
        const qint64 rows =
            formats[i] == u"csv"
                ? bytes.count("\r\n") - 1
                : QJsonDocument::fromJson(bytes).object().value(QStringLiteral("rows")).toArray().size();
        std::printf("%s  %6.1f MB out  %lld rows\n", qPrintable(lines[i]), double(bytes.size()) / 1e6,
                    static_cast<long long>(rows));
        if (rows != kRows) return 1;
    }
    sandbox.terminate();
    sandbox.waitForFinished();
    return 0;
}
