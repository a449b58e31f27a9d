// Fetches 1,000,000 rows of 5 columns from the sandbox server on loopback,
// through the ODBC layer and through a bare SQLFetch + SQLGetData loop, and
// prints the median time of each over several runs. Both read every value
// without copying it (the layer's textView). The two take turns going first,
// and the ratio is the median of each run's ratio, so that a slow spell of a
// shared machine weighs on both alike.
#include "measure.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"

#include <sql.h>
#include <sqlext.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <vector>

namespace {

const char* kQuery = "select n, n * 2, label, n * 0.5, code from wide_rows";

qint64 throughLayer(tallomar::odbc::Connection& connection, qint64& cells) {
    QElapsedTimer clock;
    clock.start();
    tallomar::odbc::Statement statement(connection);
    statement.execute(QString::fromLatin1(kQuery));
    cells = 0;
    while (statement.fetch())
        for (int column = 0; column < 5; ++column) cells += statement.textView(column) ? 1 : 0;
    statement.discardResults();
    return clock.elapsed();
}

qint64 bareLoop(tallomar::odbc::Connection& connection, qint64& cells) {
    QElapsedTimer clock;
    clock.start();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(connection.handle()), &statement);
    SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(kQuery)), SQL_NTS);
    SQLWCHAR buffer[4096];
    cells = 0;
    while (SQL_SUCCEEDED(SQLFetch(statement)))
        for (SQLUSMALLINT column = 1; column <= 5; ++column) {
            SQLLEN indicator = 0;
            SQLGetData(statement, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            cells += indicator != SQL_NULL_DATA ? 1 : 0;
        }
    while (SQLMoreResults(statement) != SQL_NO_DATA) {
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return clock.elapsed();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tallomar::test::SandboxServer sandbox(tallomar::test::SandboxServer::Data::Empty);
    sandbox.server().seedDatabase("bench",
                                  "CREATE TABLE wide_rows(n INT, label NVARCHAR(30), code NVARCHAR(10)); "
                                  "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 1000000) "
                                  "INSERT INTO wide_rows SELECT n, '第' || n || '行的说明', 'C' || (n % 97) FROM c;");
    auto connection = tallomar::odbc::Connection::open(sandbox.odbcConnectionString(QStringLiteral("bench")));
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    std::vector<qint64> layer, bare;
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        qint64 layerCells = 0, bareCells = 0;
        if (run % 2 == 0) {
            layer.push_back(throughLayer(*connection, layerCells));
            bare.push_back(bareLoop(*connection, bareCells));
        } else {
            bare.push_back(bareLoop(*connection, bareCells));
            layer.push_back(throughLayer(*connection, layerCells));
        }
        ratios.push_back(double(layer.back()) / double(bare.back()));
        std::printf("run %d: layer %lld ms (%lld cells), bare %lld ms (%lld cells), ratio %.3f\n", run + 1,
                    static_cast<long long>(layer.back()), static_cast<long long>(layerCells),
                    static_cast<long long>(bare.back()), static_cast<long long>(bareCells), ratios.back());
    }
    std::printf("median: layer %lld ms, bare loop %lld ms, median ratio %.3f (target 1.1)\n",
                static_cast<long long>(bench::median(layer)), static_cast<long long>(bench::median(bare)),
                bench::median(ratios));
    return 0;
}
