// A script whose one INSERT ... VALUES line holds about 200 MB (as a
// generator writes it), against the same bytes spread over many lines: the
// time of a run and its peak memory as a multiple of the file size.
//
// A run is what a check run does with a script: ResultTable::forRun reads it
// once for SQL it cannot see before it runs, then runScript sends its batches
// with the run's result table, which the INSERT fills, so that the batch is
// also renamed. The server is tallomar-sandbox in a process of its own, so
// that this process's peak memory and processor time are the client's alone
// (the ODBC driver, which keeps a UTF-8 copy of the batch while it sends it,
// is part of the client); it answers the large batch with an injected error
// instead of translating and running it, so that the server's work is
// receiving the batch and nothing more. The outcome must be that error for
// the large batch, which the server sends only once it has the batch whole.
#include "logic/workbench/result_table.h"
#include "logic/workbench/script_runner.h"
#include "measure.h"
#include "platform/odbc/odbc.h"
#include "platform/text/codepage.h"
#include "support/sandbox_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace {

constexpr qint64 kScriptBytes = 200'000'000;
constexpr int kRuns = 3;
constexpr int kFaultNumber = 50000;
const char* const kFaultMessage = "large batch received";
const char* const kPassword = "Bench#1";

// The rows of the INSERT: a number, a Chinese memo, an account code and an
// amount, about 60 bytes in GBK. In the single-line file two blanks stand
// between the rows, in the multi-line file CR LF: the files have the same
// size and the same text but for those two bytes a row.
bool writeScript(const QString& path, bool oneLine) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray memo = *tallomar::codepage::encodeGbk(QStringLiteral("收到货款，凭证号"));
    const QByteArray between = oneLine ? QByteArrayLiteral(",  ") : QByteArrayLiteral(",\r\n");
    QByteArray chunk = "-- 由导出工具生成\r\nINSERT INTO tempdb..bench_result (iNo, cMemo, cCode, md) VALUES ";
    chunk = *tallomar::codepage::encodeGbk(QString::fromUtf8(chunk));
    qint64 written = 0;
    for (qint64 row = 1; written + chunk.size() < kScriptBytes; ++row) {
        if (row > 1) chunk += between;
        chunk += '(' + QByteArray::number(row) + ", N'" + memo + QByteArray::number(row) + "', '" +
                 QByteArray::number(1001 + row % 5000) + "', " + QByteArray::number(row % 100000) + ".25)";
        if (chunk.size() >= 1 << 20) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    chunk += "\r\nGO\r\n";
    return file.write(chunk) == chunk.size();
}

// One tallomar-sandbox for one run: its batch 1 is the runner's switch to
// the database, batch 2 the script's only batch.
class SandboxProcess {
public:
    bool start(const QString& program) {
        process_.setProgram(program);
        process_.setArguments({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--login"),
                               QStringLiteral("sa:") + QString::fromLatin1(kPassword), QStringLiteral("--fail-batch"),
                               QStringLiteral("2:%1:%2").arg(kFaultNumber).arg(QString::fromLatin1(kFaultMessage))});
        process_.start();
        static const QRegularExpression listening(QStringLiteral("^listening on 127\\.0\\.0\\.1 port (\\d+)"));
        while (process_.waitForReadyRead(10'000)) {
            const auto match = listening.match(QString::fromUtf8(process_.readLine()));
            if (match.hasMatch()) {
                port_ = match.captured(1);
                return true;
            }
        }
        return false;
    }
    QString connectionString() const {
        return QStringLiteral("Driver=%1;Server=127.0.0.1;Port=%2;UID=sa;PWD=%3;Database=master;TDS_Version=7.4")
            .arg(tallomar::test::freeTdsDriverPath(), port_, QString::fromLatin1(kPassword));
    }
    ~SandboxProcess() {
        process_.terminate();
        process_.waitForFinished(10'000);
    }

private:
    QProcess process_;
    QString port_;
};

struct Figures {
    double seconds = 0;
    double processorSeconds = 0;
    double peakTimesFile = 0;
    double residentBeforeMb = 0;  // of the peak: what the process held before the run
};

double processorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// One run of the script against a fresh server; empty figures when the run
// did not end as the fault on the script's batch says.
std::optional<Figures> runOnce(const QString& sandboxProgram, const QString& script, qint64 fileBytes) {
    SandboxProcess sandbox;
    if (!sandbox.start(sandboxProgram)) {
        std::fprintf(stderr, "tallomar-sandbox did not start\n");
        return std::nullopt;
    }
    std::unique_ptr<tallomar::odbc::Connection> connection;
    try {
        connection = tallomar::odbc::Connection::open(sandbox.connectionString(), 15);
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "cannot log in to tallomar-sandbox: %s\n", error.message().toUtf8().constData());
        return std::nullopt;
    }
    if (!bench::resetPeakResident()) {
        std::fprintf(stderr, "the kernel refuses to reset the peak resident memory\n");
        return std::nullopt;
    }
    Figures figures;
    figures.residentBeforeMb = double(bench::peakResidentKib()) / 1024;
    const double processorBefore = processorSeconds();
    QElapsedTimer clock;
    clock.start();
    const tallomar::ResultTable table = tallomar::ResultTable::forRun(QStringLiteral("bench_result"), {script});
    tallomar::ScriptRun run;
    run.connection = connection.get();
    run.databaseName = QStringLiteral("master");
    run.path = script;
    run.resultTable = &table;
    const tallomar::RunOutcome outcome = tallomar::runScript(run);
    figures.seconds = double(clock.nsecsElapsed()) / 1e9;
    figures.processorSeconds = processorSeconds() - processorBefore;
    figures.peakTimesFile = double(bench::peakResidentKib()) * 1024 / double(fileBytes);
    if (outcome.batch != 1 || outcome.serverError != kFaultNumber) {
        std::fprintf(stderr, "the run did not reach the server's answer to the large batch: batch %d, %s\n",
                     outcome.batch, outcome.message.toUtf8().constData());
        return std::nullopt;
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString sandboxProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-sandbox");
    QTemporaryDir folder;
    const QString oneLine = folder.filePath(QStringLiteral("one_line.sql"));
    const QString manyLines = folder.filePath(QStringLiteral("many_lines.sql"));
    if (!folder.isValid() || !writeScript(oneLine, true) || !writeScript(manyLines, false)) {
        std::fprintf(stderr, "cannot write the scripts into a scratch folder\n");
        return 1;
    }
    const qint64 fileBytes = QFile(oneLine).size();
    if (QFile(manyLines).size() != fileBytes) {
        std::fprintf(stderr, "the two scripts differ in size\n");
        return 1;
    }
    std::printf("script: %.1f MB in GBK, one batch on one line or on many\n", double(fileBytes) / 1e6);

    std::vector<Figures> single, multi;
    for (int run = 0; run < kRuns; ++run) {
        for (auto [path, figures, name] :
             {std::tuple{manyLines, &multi, "many lines"}, std::tuple{oneLine, &single, "one line"}}) {
            const auto measured = runOnce(sandboxProgram, path, fileBytes);
            if (!measured) return 1;
            figures->push_back(*measured);
            std::printf(
                "run %d, %-10s: %.2f s (client processor %.2f s), peak memory %.2f x the file "
                "(%.0f MB of it held before the run)\n",
                run + 1, name, measured->seconds, measured->processorSeconds, measured->peakTimesFile,
                measured->residentBeforeMb);
        }
    }
    auto medianOf = [](const std::vector<Figures>& runs, double Figures::*field) {
        std::vector<double> values;
        for (const Figures& figures : runs) values.push_back(figures.*field);
        return bench::median(values);
    };
    for (auto [runs, name] : {std::pair{&multi, "many lines"}, std::pair{&single, "one line"}}) {
        std::printf("median, %-10s: %.2f s (client processor %.2f s), peak memory %.2f x the file (target < 3)\n", name,
                    medianOf(*runs, &Figures::seconds), medianOf(*runs, &Figures::processorSeconds),
                    medianOf(*runs, &Figures::peakTimesFile));
    }
    std::printf("one line / many lines: time %.2f (target < 2), client processor %.2f\n",
                medianOf(single, &Figures::seconds) / medianOf(multi, &Figures::seconds),
                medianOf(single, &Figures::processorSeconds) / medianOf(multi, &Figures::processorSeconds));
    return 0;
}
