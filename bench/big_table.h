#pragma once

// The tempdb table the result benchmarks read, and a connection to the
// benchmark's own sandbox once it listens.

#include "logic/workbench/workbench.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QThread>
#include <memory>

namespace bench {

// The seed of tempdb: table big with `rows` rows of `columns` 9-character
// texts; with `someNulls`, every tenth cell of the last column is NULL.
inline QByteArray bigTableSeed(int rows, int columns, bool someNulls) {
    QByteArray names, values;
    for (int c = 0; c < columns; ++c) {
        const bool nulls = someNulls && c == columns - 1;
        names += (c ? ", " : "") + QByteArray("c") + QByteArray::number(c) + " TEXT";
        values += (c ? ", " : "") + (nulls ? QByteArray("CASE WHEN i % 10 = 0 THEN NULL ELSE ") : "") +
                  QByteArray("printf('%07d-") + QByteArray::number(c) + "', i)" + (nulls ? " END" : "");
    }
    return "CREATE TABLE big(" + names +
           ");\n"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           QByteArray::number(rows) + ") INSERT INTO big SELECT " + values + " FROM n;\n";
}

// A tempdb connection to the sandbox on `port`, waiting (up to a minute)
// until it listens, which it does once its seed is loaded.
inline std::unique_ptr<tallomar::odbc::Connection> connectWhenListening(quint16 port) {
    const tallomar::odbc::ServerLogin login{QStringLiteral("127.0.0.1,%1").arg(port), QStringLiteral("tempdb"),
                                            QStringLiteral("sa"), QStringLiteral("Sandbox#1")};
    for (int attempt = 0;; ++attempt) {
        try {
            return tallomar::odbc::Connection::open(login, 5);
        } catch (const tallomar::Error&) {
            if (attempt > 600) throw;
            QThread::msleep(100);
        }
    }
}

// The tool reads of a package whose one check step reads table big. Its
// script, written into `folder` (the session's gToolFolder), runs a text the
// program cannot see into before it runs: such a run reads the package's own
// table under an application lock instead of a private copy, which a script
// would first have to fill with all the rows, so the benchmarks time the
// reading alone.
inline tallomar::ToolReads bigCheckReads(const QString& folder) {
    QFile script(QDir(folder).filePath(QStringLiteral("check_big.sql")));
    if (!script.open(QIODevice::WriteOnly) || script.write("exec ('select 1')\r\n") < 0)
        throw tallomar::Error(QStringLiteral("cannot write %1").arg(script.fileName()));
    return {
        [](const QString&, const QString&, const QString&) { return QString(); },
        [](const QString&) {
            tallomar::tooldb::Recordset rows;
            rows.columns = {QStringLiteral("cPath"), QStringLiteral("cResult")};
            rows.rows.push_back({QStringLiteral("check_big.sql"), QStringLiteral("big")});
            return rows;
        },
    };
}

}  // namespace bench
