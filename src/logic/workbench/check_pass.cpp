#include "logic/workbench/check_pass.h"

#include "logic/login/server_failure_text.h"
#include "logic/login/server_select_value.h"
#include "logic/workbench/result_chunk.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_runner.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"
#include "platform/text/windows_path.h"

namespace tallomar {

namespace {

const QString kReadingResult = QStringLiteral("读取检查结果");

// Rows of a result set travel to the grid in blocks of this many.
constexpr int kRowsPerChunk = 4096;

// The result table's name as a text value between apostrophes.
QString quotedTextValue(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

// The result table's name as a bracketed identifier.
QString bracketedName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1String("]"), QLatin1String("]]"));
    return QLatin1Char('[') + doubled + QLatin1Char(']');
}

bool resultTableExists(odbc::Connection* account, const QString& name) {
    if (!account) return false;
    return !SelectValue(QStringLiteral("name"), QStringLiteral("tempdb..sysobjects"),
                        QStringLiteral("name=") + quotedTextValue(name), *account)
                .isEmpty();
}

// Streams the result table to the receiver; returns the number of rows, or
// throws odbc::Error. Stops early (returning -1) when the run is cancelled.
qint64 fetchResult(odbc::Connection& account, const QString& name, const ResultReceiver& receiver, RunContext& run) {
    odbc::Statement statement(account);
    RunContext::StatementScope scope(&run, statement);
    statement.setQueryTimeout(kScriptQueryTimeoutSeconds);
    statement.execute(QStringLiteral("select * from tempdb..") + bracketedName(name));
    while (statement.columnCount() == 0) {
        if (!statement.nextResult()) throw Error(QStringLiteral("结果表 %1 没有返回记录集").arg(name));
    }
    const int columnCount = statement.columnCount();
    QStringList columns;
    for (int c = 0; c < columnCount; ++c) columns << statement.columnName(c);
    receiver.columns(columns);

    qint64 total = 0;
    std::vector<std::optional<QStringView>> cells(static_cast<std::size_t>(columnCount));
    ResultChunk filling(columnCount);
    while (statement.fetch()) {
        for (int c = 0; c < columnCount; ++c) cells[static_cast<std::size_t>(c)] = statement.textView(c);
        filling.appendRow(cells);
        ++total;
        if (filling.rowCount() == kRowsPerChunk) {
            if (run.cancelRequested()) return -1;
            receiver.rows(filling.rows());
            filling.clear();
        }
    }
    receiver.rows(filling.rows());
    return total;
}

}  // namespace

ResultReceiver ResultReceiver::discarding() {
    return {[](const QStringList&) {}, [](const ResultBlock&) {}};
}

bool hasScript(const QVariant& path) {
    return !path.isNull() && path.toString() != u"999";
}

RunOutcome runScripts(const Session& session, const tooldb::Recordset& steps, RunContext& run) {
    for (std::size_t row = 0; row < steps.rows.size(); ++row) {
        const QVariant path = steps.value(row, QStringLiteral("cPath"));
        if (!hasScript(path)) continue;
        if (run.cancelRequested()) return RunOutcome::cancelled();
        RunOutcome script = RunScriptFile(session, path.toString(), &run);
        run.scriptEnded(resolvePackagePath(session.gToolFolder, path.toString()), script);
        if (!script.succeeded()) return script;
    }
    return {};
}

CheckOutcome runCheckPass(const Session& session, const tooldb::Recordset& checkRows, const ResultReceiver& receiver,
                          RunContext& run) {
    CheckOutcome outcome;
    const QString resultTable = checkRows.rows.empty()
                                    ? QString()
                                    : checkRows.value(checkRows.rows.size() - 1, QStringLiteral("cResult")).toString();
    outcome.failure = runScripts(session, checkRows, run);
    if (!outcome.failure.succeeded()) return outcome;
    run.showScript(kReadingResult);
    odbc::Connection* const account = session.cnAccount.get();
    if (resultTable.isEmpty() || !resultTableExists(account, resultTable)) {
        outcome.kind = CheckOutcome::Kind::NoResultTable;
        return outcome;
    }
    try {
        const qint64 findings = fetchResult(*account, resultTable, receiver, run);
        if (findings < 0) {
            outcome.failure = RunOutcome::cancelled();
            return outcome;
        }
        outcome.kind = CheckOutcome::Kind::Finished;
        outcome.findings = findings;
    } catch (const odbc::Error& error) {
        if (run.cancelRequested()) {
            outcome.failure = RunOutcome::cancelled();
        } else {
            outcome.failure = RunOutcome::failed(serverFailureText(error));
            if (error.connectionLost()) outcome.failure.kind = RunOutcome::Kind::ConnectionLost;
        }
    } catch (const Error& error) {
        outcome.failure = RunOutcome::failed(error.message());
    }
    return outcome;
}

}  // namespace tallomar
