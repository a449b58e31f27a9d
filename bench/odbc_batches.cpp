// Sends 10,000 one-row batches to the sandbox server on loopback through the
// ODBC layer, and the same batches (GO-separated in a file) through FreeTDS's
// bsqldb -q, and prints the median time of each over several runs.
#include "measure.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBatches = 10000;

QString batch(int index) {
    return QStringLiteral("select %1 as n").arg(index);
}

qint64 throughLayer(tallomar::odbc::Connection& connection) {
    QElapsedTimer clock;
    clock.start();
    tallomar::odbc::Statement statement(connection);
    for (int index = 0; index < kBatches; ++index) {
        statement.execute(batch(index));
        statement.discardResults();
    }
    return clock.elapsed();
}

qint64 throughBsqldb(const QString& script, std::uint16_t port) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TDSPORT"), QString::number(port));
    environment.insert(QStringLiteral("TDSVER"), QStringLiteral("7.4"));
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral("bsqldb"),
                  {QStringLiteral("-q"), QStringLiteral("-S"), QStringLiteral("127.0.0.1"), QStringLiteral("-U"),
                   QString::fromLatin1(tallomar::test::SandboxServer::User), QStringLiteral("-P"),
                   QString::fromLatin1(tallomar::test::SandboxServer::Password), QStringLiteral("-i"), script});
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        std::fprintf(stderr, "bsqldb failed: %s\n", process.readAllStandardError().constData());
    return clock.elapsed();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tallomar::test::SandboxServer sandbox(tallomar::test::SandboxServer::Data::Empty);
    QTemporaryDir folder;
    const QString script = folder.filePath(QStringLiteral("batches.sql"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    for (int index = 0; index < kBatches; ++index) file.write((batch(index) + QStringLiteral("\ngo\n")).toUtf8());
    file.close();

    auto connection = tallomar::odbc::Connection::open(sandbox.odbcConnectionString());
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<qint64> layer, bsqldb;
    for (int run = 0; run < runs; ++run) {
        layer.push_back(throughLayer(*connection));
        bsqldb.push_back(throughBsqldb(script, sandbox.port()));
        std::printf("run %d: layer %lld ms, bsqldb %lld ms\n", run + 1, static_cast<long long>(layer.back()),
                    static_cast<long long>(bsqldb.back()));
    }
    std::printf("median of %d batches: layer %lld ms, bsqldb -q %lld ms\n", kBatches,
                static_cast<long long>(bench::median(layer)), static_cast<long long>(bench::median(bsqldb)));
    return 0;
}
