// The result grid with a 1,000,000-row x 10-column result table: the time
// from pressing cmdCheck until the count is shown, and the peak memory,
// against a bare ODBC fetch of the same rows on the same server.
//
//     tallomar-bench-result-grid            runs each way 5 times, prints medians
//     tallomar-bench-result-grid grid|bare  one run, prints "seconds peak_kib text_bytes"
//
// The sandbox server runs as its own process (tallomar-sandbox beside this
// program), so its memory does not count here.
#include "app/globals.h"
#include "platform/odbc.h"
#include "workbench/frm_main.h"
#include "workbench/result_model.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kColumns = 10;
constexpr int kRepeats = 5;

// Peak resident memory of this process so far, in KiB.
long peakKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

quint16 freePort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socket);
    return ntohs(address.sin_port);
}

// The seed of tempdb: table big with kRows rows of kColumns 9-character texts.
QByteArray seed() {
    QByteArray columns, values;
    for (int c = 0; c < kColumns; ++c) {
        columns += (c ? ", " : "") + QByteArray("c") + QByteArray::number(c) + " TEXT";
        values += (c ? ", " : "") + QByteArray("printf('%07d-") + QByteArray::number(c) + "', i)";
    }
    return "CREATE TABLE big(" + columns + ");\n"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           QByteArray::number(kRows) + ") INSERT INTO big SELECT " + values + " FROM n;\n";
}

std::unique_ptr<tallomar::odbc::Connection> connect(quint16 port) {
    const QString text = QStringLiteral("Provider=SQLOLEDB;Server=127.0.0.1,%1;Database=tempdb;Uid=sa;Pwd=Sandbox#1;").arg(port);
    for (int attempt = 0;; ++attempt) {
        try {
            return tallomar::odbc::Connection::open(tallomar::odbc::driverConnectionString(text), 5);
        } catch (const tallomar::Error&) {
            if (attempt > 600) throw;
            QThread::msleep(100);
        }
    }
}

// Fetches every row as text; returns the text's size in UTF-8 bytes.
qint64 bareFetch(tallomar::odbc::Connection& connection) {
    tallomar::odbc::Statement statement(connection);
    statement.execute(QStringLiteral("select * from tempdb..[big]"));
    qint64 bytes = 0;
    while (statement.fetch())
        for (int c = 0; c < statement.columnCount(); ++c) bytes += statement.text(c).value_or(QString()).toUtf8().size();
    return bytes;
}

// Presses cmdCheck of a main window whose one check step names table big.
qint64 gridFetch() {
    using namespace tallomar;
    ToolReads reads{
        [](const QString&, const QString&, const QString&) { return QString(); },
        [](const QString&) {
            tooldb::Recordset rows;
            rows.columns = {QStringLiteral("cPath"), QStringLiteral("cResult")};
            rows.rows.push_back({QStringLiteral("999"), QStringLiteral("big")});
            return rows;
        },
    };
    FrmMain window(reads);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.cmdCheck_Click();
    const QString status = window.findChild<QLabel*>(QStringLiteral("labResult"))->text();
    if (status != QStringLiteral("共找到[%1]条记录").arg(kRows)) {
        std::fprintf(stderr, "unexpected status: %s\n", qPrintable(status));
        std::exit(1);
    }
    return window.resultModel()->rowCount();
}

int runOnce(const QString& mode, quint16 port) {
    tallomar::cnAccount = connect(port);
    tallomar::gDatabaseName = QStringLiteral("tempdb");
    QElapsedTimer timer;
    timer.start();
    const qint64 result = mode == u"bare" ? bareFetch(*tallomar::cnAccount) : gridFetch();
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%.3f %ld %lld\n", seconds, peakKib(), static_cast<long long>(result));
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int runAll() {
    QTemporaryDir data;
    QFile file(QDir(data.path()).filePath(QStringLiteral("tempdb.sql")));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(seed());
    file.close();
    const quint16 port = freePort();
    QProcess sandbox;
    sandbox.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-sandbox"),
                  {QStringLiteral("--port"), QString::number(port), QStringLiteral("--login"),
                   QStringLiteral("sa:Sandbox#1"), QStringLiteral("--data"), data.path()});
    if (!sandbox.waitForStarted()) return 1;
    connect(port);  // waits until the seed has been loaded

    for (const QString& mode : {QStringLiteral("bare"), QStringLiteral("grid")}) {
        std::vector<double> seconds, peaks;
        qint64 text = 0;
        for (int i = 0; i < kRepeats; ++i) {
            QProcess run;
            run.start(QCoreApplication::applicationFilePath(), {mode, QString::number(port)});
            run.waitForFinished(-1);
            const QList<QByteArray> fields = run.readAllStandardOutput().trimmed().split(' ');
            if (run.exitCode() != 0 || fields.size() != 3) {
                std::fprintf(stderr, "%s run failed: %s\n", qPrintable(mode), run.readAllStandardError().constData());
                return 1;
            }
            seconds.push_back(fields[0].toDouble());
            peaks.push_back(fields[1].toDouble() / 1024.0);
            if (mode == u"bare") text = fields[2].toLongLong();
        }
        std::printf("%s: median %.3f s, median peak %.1f MiB%s\n", qPrintable(mode), median(seconds),
                    median(peaks), text ? qPrintable(QStringLiteral(" (result text %1 MiB)").arg(text / 1048576.0, 0, 'f', 1)) : "");
    }
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
