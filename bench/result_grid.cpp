// The result grid with a 1,000,000-row x 10-column result table: the time
// from pressing cmdCheck until the count is shown, and the peak memory,
// against a bare ODBC fetch of the same rows on the same server.
//
//     tallomar-bench-result-grid            runs both ways in turn 7 times, prints medians
//     tallomar-bench-result-grid grid|bare  one run, prints "seconds peak_kib result paints"
//
// The sandbox server runs as its own process (tallomar-sandbox beside this
// program), so its memory does not count here. The two ways alternate, and
// the time ratio is the median of each pair's ratio, so that a slow spell of
// a shared machine weighs on both ways alike. "paints" counts the grid's
// repaints that showed part of the rows while the rest were still coming.
#include "big_table.h"
#include "logic/workbench/result_model.h"
#include "loopback.h"
#include "measure.h"
#include "platform/odbc/odbc.h"
#include "windows/workbench/frm_main.h"

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kColumns = 10;
constexpr int kRepeats = 7;

// Fetches every row, reading each value without copying it; returns the
// text's size, which is its UTF-8 size too, as the seed's text is ASCII.
qint64 bareFetch(tallomar::odbc::Connection& connection) {
    tallomar::odbc::Statement statement(connection);
    statement.execute(QStringLiteral("select * from tempdb..[big]"));
    qint64 bytes = 0;
    while (statement.fetch())
        for (int c = 0; c < statement.columnCount(); ++c) bytes += statement.textView(c).value_or(QStringView()).size();
    return bytes;
}

// Counts the repaints of a grid that show some rows but not yet all.
class PartialPaints : public QObject {
public:
    explicit PartialPaints(QTableView& grid) : grid_(grid) { grid.viewport()->installEventFilter(this); }
    int count() const { return count_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && grid_.model()) {
            const int rows = grid_.model()->rowCount();
            if (rows > 0 && rows < kRows) ++count_;
        }
        return false;
    }

private:
    QTableView& grid_;
    int count_ = 0;
};

// Opens a main window whose one check step names table big, then times the
// press of cmdCheck; returns the rows in the grid and counts the repaints on
// the way.
qint64 gridFetch(std::shared_ptr<tallomar::Session> session, QElapsedTimer& timer, int& paints) {
    using namespace tallomar;
    const ToolReads reads = bench::bigCheckReads(session->gToolFolder);
    FrmMain window(std::move(session), reads);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QCoreApplication::processEvents();
    PartialPaints partial(*window.findChild<QTableView*>(QStringLiteral("grdCheck")));
    timer.start();
    window.cmdCheck_Click();
    paints = partial.count();
    const QString status = window.findChild<QLabel*>(QStringLiteral("labResult"))->text();
    if (status != QStringLiteral("共找到[%1]条记录").arg(kRows)) {
        std::fprintf(stderr, "unexpected status: %s\n", qPrintable(status));
        std::exit(1);
    }
    return window.resultModel()->rowCount();
}

int runOnce(const QString& mode, quint16 port) {
    auto session = std::make_shared<tallomar::Session>();
    session->cnAccount = bench::connectWhenListening(port);
    session->gDatabaseName = QStringLiteral("tempdb");
    const QTemporaryDir package;
    session->gToolFolder = package.path();
    QElapsedTimer timer;
    int paints = 0;
    qint64 result = 0;
    if (mode == u"bare") {
        timer.start();
        result = bareFetch(*session->cnAccount);
    } else {
        result = gridFetch(session, timer, paints);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%.3f %ld %lld %d\n", seconds, bench::peakResidentKib(), static_cast<long long>(result), paints);
    return 0;
}

int runAll() {
    QTemporaryDir data;
    QFile file(QDir(data.path()).filePath(QStringLiteral("tempdb.sql")));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(bench::bigTableSeed(kRows, kColumns, false));
    file.close();
    const quint16 port = bench::freePort();
    QProcess sandbox;
    sandbox.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-sandbox"),
                  {QStringLiteral("--port"), QString::number(port), QStringLiteral("--login"),
                   QStringLiteral("sa:Sandbox#1"), QStringLiteral("--data"), data.path()});
    if (!sandbox.waitForStarted()) return 1;
    bench::connectWhenListening(port);  // waits until the seed has been loaded

    struct Run {
        double seconds;
        double peakMib;
        qint64 result;
        int paints;
    };
    const auto runMode = [port](const QString& mode) -> std::optional<Run> {
        QProcess run;
        run.start(QCoreApplication::applicationFilePath(), {mode, QString::number(port)});
        run.waitForFinished(-1);
        const QList<QByteArray> fields = run.readAllStandardOutput().trimmed().split(' ');
        if (run.exitCode() != 0 || fields.size() != 4) {
            std::fprintf(stderr, "%s run failed: %s\n", qPrintable(mode), run.readAllStandardError().constData());
            return std::nullopt;
        }
        return Run{fields[0].toDouble(), fields[1].toDouble() / 1024.0, fields[2].toLongLong(), fields[3].toInt()};
    };
    std::vector<double> bareSeconds, gridSeconds, ratios, barePeaks, gridPeaks, paints;
    qint64 textBytes = 0;
    for (int i = 0; i < kRepeats; ++i) {
        const std::optional<Run> bare = runMode(QStringLiteral("bare"));
        const std::optional<Run> grid = runMode(QStringLiteral("grid"));
        if (!bare || !grid) return 1;
        textBytes = bare->result;
        bareSeconds.push_back(bare->seconds);
        gridSeconds.push_back(grid->seconds);
        ratios.push_back(grid->seconds / bare->seconds);
        barePeaks.push_back(bare->peakMib);
        gridPeaks.push_back(grid->peakMib);
        paints.push_back(grid->paints);
        std::printf("pair %d: bare %.3f s, grid %.3f s (%.2fx), grid peak %.1f MiB, %d repaints while filling\n", i + 1,
                    bare->seconds, grid->seconds, ratios.back(), grid->peakMib, grid->paints);
    }
    const double textMib = textBytes / 1048576.0;
    std::printf("bare: median %.3f s, median peak %.1f MiB (result text %.1f MiB)\n", bench::median(bareSeconds),
                bench::median(barePeaks), textMib);
    std::printf("grid: median %.3f s, median peak %.1f MiB (limit %.1f MiB), median %.0f repaints while filling\n",
                bench::median(gridSeconds), bench::median(gridPeaks), 2 * textMib, bench::median(paints));
    std::printf("grid / bare: median ratio %.2fx (target 1.30x)\n", bench::median(ratios));
    sandbox.terminate();
    sandbox.waitForFinished();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3) return runOnce(QString::fromLocal8Bit(argv[1]), static_cast<quint16>(QByteArray(argv[2]).toUInt()));
    return runAll();
}
