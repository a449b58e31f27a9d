// What recording a check's findings into the run history adds to the check
// run: Workbench::check fetching a 1,000,000-row x 10-column result table
// from the sandbox server, with and without a RunRecorder between the fetch
// and the receiver. The recorder keeps the first 100,000 rows.
//
//     tallomar-bench-history-record            7 pairs, prints each pair and the median ratio
//
// The sandbox server runs as its own process (tallomar-sandbox beside this
// program). The receiver only counts rows, the cheapest thing a receiver can
// do, so the recorder's share is the largest it can be. The two ways take
// turns going first, and the ratio is the median of each pair's ratio, so
// that a slow spell of a shared machine weighs on both alike. As a machine
// shared with other work makes even that ratio wander, each pair also times
// the recorder alone taking the same 1,000,000 rows from memory, from start
// to finish: all the work recording costs, of which a check run waits for
// less, as the recorder writes on its own thread while the fetch goes on.
#include "big_table.h"
#include "logic/history/run_history.h"
#include "logic/history/run_recorder.h"
#include "logic/workbench/result_block.h"
#include "logic/workbench/result_chunk.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/workbench.h"
#include "loopback.h"
#include "measure.h"
#include "platform/odbc/odbc.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kColumns = 10;
constexpr int kPairs = 7;

// A workbench whose one check step reads table big.
tallomar::Workbench bigResultWorkbench(const tallomar::Session& session) {
    using namespace tallomar;
    return Workbench(session, bench::bigCheckReads(session.gToolFolder), [](const QString&, const RunWork& work) {
        RunContext context;
        return work(context);
    });
}

struct Timed {
    double seconds = 0;
    qint64 rows = 0;
};

// One check run; with `historyPath`, recorded there from start to finish.
Timed checkRun(const tallomar::Session& session, const QString& historyPath) {
    using namespace tallomar;
    qint64 rows = 0;
    const ResultReceiver counting{[](const QStringList&) {},
                                  [&rows](const ResultBlock& block) { rows += block.rowCount(); }};
    const Workbench workbench = bigResultWorkbench(session);
    QElapsedTimer timer;
    timer.start();
    if (historyPath.isEmpty()) {
        (void)workbench.check(counting);
    } else {
        history::RunRecorder recorder(historyPath, [](const QString& message) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::exit(1);
        });
        recorder.start({history::RunKind::Check, QStringLiteral("127.0.0.1"), QStringLiteral("sa"), QString(),
                        QString(), QString(), QStringLiteral("tempdb"), QStringLiteral("big"), QString()},
                       QString());
        const CheckOutcome outcome = workbench.check(recorder.recording(counting));
        recorder.finish({history::RunStatus::Findings, Workbench::checkStatus(outcome), outcome.findings, {}, {}});
    }
    return {timer.nsecsElapsed() / 1e9, rows};
}

// The recorder taking kRows rows of the seed's shape in blocks as the fetch
// hands them on, with no server and no receiver behind it.
double recorderAlone(const QString& historyPath) {
    using namespace tallomar;
    constexpr int kBlockRows = 4096;
    ResultChunk chunk(kColumns);
    std::vector<QString> texts(kColumns);
    std::vector<std::optional<QStringView>> cells(kColumns);
    for (int row = 0; row < kBlockRows; ++row) {
        for (int c = 0; c < kColumns; ++c) {
            texts[size_t(c)] = QStringLiteral("%1-%2").arg(row, 7, 10, QLatin1Char('0')).arg(c);
            cells[size_t(c)] =
                c == kColumns - 1 && row % 10 == 0 ? std::nullopt : std::optional<QStringView>(texts[size_t(c)]);
        }
        chunk.appendRow(cells);
    }
    const ResultBlock block = chunk.rows();
    QStringList columns;
    for (int c = 0; c < kColumns; ++c) columns << QStringLiteral("c%1").arg(c);
    QElapsedTimer timer;
    timer.start();
    history::RunRecorder recorder(historyPath, [](const QString& message) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::exit(1);
    });
    recorder.start({history::RunKind::Check, QStringLiteral("127.0.0.1"), QStringLiteral("sa"), QString(), QString(),
                    QString(), QStringLiteral("tempdb"), QStringLiteral("big"), QString()},
                   QString());
    recorder.columns(columns);
    for (int delivered = 0; delivered < kRows; delivered += kBlockRows) recorder.rows(block);
    recorder.finish({history::RunStatus::Findings, QString(), kRows, {}, {}});
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    QFile file(QDir(data.path()).filePath(QStringLiteral("tempdb.sql")));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(bench::bigTableSeed(kRows, kColumns, true));
    file.close();
    const quint16 port = bench::freePort();
    QProcess sandbox;
    sandbox.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-sandbox"),
                  {QStringLiteral("--port"), QString::number(port), QStringLiteral("--login"),
                   QStringLiteral("sa:Sandbox#1"), QStringLiteral("--data"), data.path()});
    if (!sandbox.waitForStarted()) return 1;
    tallomar::Session session;
    session.cnAccount = bench::connectWhenListening(port);  // waits until the seed has been loaded
    session.gDatabaseName = QStringLiteral("tempdb");
    session.gToolFolder = data.path();

    std::vector<double> bare, recorded, ratios, alone, shares;
    for (int pair = 0; pair < kPairs; ++pair) {
        // A fresh history each time: every recorded run pays for a new file.
        const QString historyPath = QDir(data.path()).filePath(QStringLiteral("history-%1.sqlite").arg(pair));
        Timed without, with;
        if (pair % 2 == 0) {
            without = checkRun(session, QString());
            with = checkRun(session, historyPath);
        } else {
            with = checkRun(session, historyPath);
            without = checkRun(session, QString());
        }
        if (without.rows != kRows || with.rows != kRows) {
            std::fprintf(stderr, "rows: %lld without, %lld with the recorder\n", static_cast<long long>(without.rows),
                         static_cast<long long>(with.rows));
            return 1;
        }
        alone.push_back(recorderAlone(QDir(data.path()).filePath(QStringLiteral("alone-%1.sqlite").arg(pair))));
        shares.push_back(alone.back() / without.seconds);
        bare.push_back(without.seconds);
        recorded.push_back(with.seconds);
        ratios.push_back(with.seconds / without.seconds);
        std::printf(
            "pair %d: check %.3f s, check recorded %.3f s (%.3fx), recorder alone %.3f s (%.1f %% of the check),"
            " history file %.1f MiB\n",
            pair + 1, without.seconds, with.seconds, ratios.back(), alone.back(), 100 * shares.back(),
            QFileInfo(historyPath).size() / 1048576.0);
        std::fflush(stdout);
    }
    const tallomar::history::RecordedFindings kept =
        tallomar::history::RunHistory(QDir(data.path()).filePath(QStringLiteral("history-0.sqlite"))).findings(1);
    std::printf("findings kept: %zu of %d (cut: %s)\n", kept.rows.size(), kRows, kept.cut ? "yes" : "no");
    std::printf("median: check %.3f s, check recorded %.3f s, median ratio %.3fx (target 1.10x)\n", bench::median(bare),
                bench::median(recorded), bench::median(ratios));
    std::printf("recorder alone: median %.3f s, median share of a check %.1f %% (target 10 %%)\n", bench::median(alone),
                100 * bench::median(shares));
    session.cnAccount.reset();
    sandbox.terminate();
    sandbox.waitForFinished();
    return 0;
}
