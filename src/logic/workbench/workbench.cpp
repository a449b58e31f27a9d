#include "logic/workbench/workbench.h"

#include "logic/login/server_select_value.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"
#include "tooldb/tool_access.h"
#include "logic/workbench/result_chunk.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/script_runner.h"

#include <cmath>

namespace tallomar {

namespace {

const QString kCheckRowsSql = QStringLiteral("select * from File where cSign='校验' order by iOrder");
const QString kCorrectionRowsSql = QStringLiteral("select * from File where cSign='订正' order by iOrder");
const QString kReadingResult = QStringLiteral("读取检查结果");

// Rows of a result set travel to the grid in blocks of this many.
constexpr int kRowsPerChunk = 4096;

// A step without a script: the marker "999", or no file name at all.
bool hasScript(const QVariant& path) {
    return !path.isNull() && path.toString() != u"999";
}

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
qint64 fetchResult(odbc::Connection& account, const QString& name, const ResultReceiver& receiver,
                   RunContext& run) {
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

// Runs the scripts of the step rows in their order, skipping steps without
// one, until the first that does not succeed.
RunOutcome runScripts(const Session& session, const tooldb::Recordset& steps, RunContext& run) {
    for (std::size_t row = 0; row < steps.rows.size(); ++row) {
        const QVariant path = steps.value(row, QStringLiteral("cPath"));
        if (!hasScript(path)) continue;
        if (run.cancelRequested()) return RunOutcome::cancelled();
        RunOutcome script = RunScriptFile(session, path.toString(), &run);
        if (!script.succeeded()) return script;
    }
    return {};
}

}  // namespace

ToolReads ToolReads::of(const tooldb::ToolDatabase& database) {
    return {
        [&database](const QString& field, const QString& table, const QString& condition) {
            return SelectValue(field, table, condition, database);
        },
        [&database](const QString& sql) { return OpenRecordset(sql, database); },
    };
}

Workbench::Workbench(const Session& session, LongRun longRun)
    : Workbench(session, ToolReads::of(*session.cnTool), std::move(longRun)) {}

Workbench::Workbench(const Session& session, ToolReads reads, LongRun longRun)
    : session_(session), reads_(std::move(reads)), longRun_(std::move(longRun)) {}

ToolOffer Workbench::loadTool() const {
    ToolOffer offer;
    offer.check = !reads_.selectValue(QStringLiteral("cName"), QStringLiteral("File"),
                                      QStringLiteral("cSign='校验' and cType='sql'"))
                       .isEmpty();
    if (!offer.check) {
        offer.runCaptioned = true;
        offer.run = !reads_.selectValue(QStringLiteral("cName"), QStringLiteral("File"),
                                        QStringLiteral("cSign='订正' and cType='sql'"))
                         .isEmpty();
    }
    offer.bewrite = !reads_.selectValue(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString()).isEmpty();
    offer.projectType = reads_.selectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                                           QStringLiteral("cName='ProjectType'"));
    offer.title = session_.gToolName.isEmpty() ? texts::kFallbackTitle : session_.gToolName;
    return offer;
}

QString Workbench::readme() const {
    return reads_.selectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                              QStringLiteral("cSys='TDB' and cName='Readme'"));
}

QString Workbench::solution() const {
    return reads_.selectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                              QStringLiteral("cSys='TDB' and cName='ProjectDes'"));
}

CheckOutcome Workbench::check(const ResultReceiver& receiver) const {
    CheckOutcome outcome;
    tooldb::Recordset rows;
    try {
        rows = reads_.openRecordset(kCheckRowsSql);
    } catch (const Error& error) {
        outcome.failure = RunOutcome::failed(error.message());
        return outcome;
    }
    const QString resultTable =
        rows.rows.empty() ? QString() : rows.value(rows.rows.size() - 1, QStringLiteral("cResult")).toString();

    auto work = [&](RunContext& run) -> RunOutcome {
        if (RunOutcome scripts = runScripts(session_, rows, run); !scripts.succeeded()) return scripts;
        run.showScript(kReadingResult);
        odbc::Connection* const account = session_.cnAccount.get();
        if (resultTable.isEmpty() || !resultTableExists(account, resultTable)) {
            outcome.kind = CheckOutcome::Kind::NoResultTable;
            return {};
        }
        try {
            const qint64 findings = fetchResult(*account, resultTable, receiver, run);
            if (findings < 0) return RunOutcome::cancelled();
            outcome.kind = CheckOutcome::Kind::Finished;
            outcome.findings = findings;
            return {};
        } catch (const odbc::Error& error) {
            if (run.cancelRequested()) return RunOutcome::cancelled();
            RunOutcome failed = RunOutcome::failed(error.message());
            if (error.connectionLost()) failed.kind = RunOutcome::Kind::ConnectionLost;
            return failed;
        } catch (const Error& error) {
            return RunOutcome::failed(error.message());
        }
    };
    try {
        outcome.failure = longRun_(texts::kCheckTitle, work);
    } catch (const Error& error) {
        outcome.failure = RunOutcome::failed(error.message());
    }
    if (!outcome.failure.succeeded()) outcome.kind = CheckOutcome::Kind::Failed;
    return outcome;
}

CorrectionOutcome Workbench::correct(const QString& projectType) const {
    CorrectionOutcome outcome;
    if (projectTypeNumber(projectType) != 0.0) return outcome;
    tooldb::Recordset rows;
    try {
        rows = reads_.openRecordset(kCorrectionRowsSql);
    } catch (const Error& error) {
        outcome.kind = CorrectionOutcome::Kind::Failed;
        outcome.run = RunOutcome::failed(error.message());
        return outcome;
    }
    auto work = [&](RunContext& run) { return runScripts(session_, rows, run); };
    outcome.kind = CorrectionOutcome::Kind::Finished;
    try {
        outcome.run = longRun_(texts::kCorrectionTitle, work);
    } catch (const Error& error) {
        outcome.run = RunOutcome::failed(error.message());
    }
    return outcome;
}

std::optional<double> Workbench::projectTypeNumber(const QString& projectType) {
    if (projectType.trimmed().isEmpty()) return 0.0;
    bool ok = false;
    const double number = projectType.toDouble(&ok);
    if (!ok || !std::isfinite(number)) return std::nullopt;
    return number;
}

FollowUp Workbench::followUp(const QString& projectType, qint64 findings) {
    if (findings <= 0) return FollowUp::None;
    const std::optional<double> number = projectTypeNumber(projectType);
    if (number == 0.0) return FollowUp::Correction;
    if (number == 1.0) return FollowUp::Solution;
    return FollowUp::None;
}

QString Workbench::checkStatus(const CheckOutcome& outcome) {
    switch (outcome.kind) {
    case CheckOutcome::Kind::NoResultTable: return texts::kStatusNoResultTable;
    case CheckOutcome::Kind::Finished:
        return outcome.findings > 0 ? texts::findingsStatus(outcome.findings) : texts::kStatusNoFindings;
    case CheckOutcome::Kind::Failed: break;
    }
    return outcome.failure.message;
}

namespace {

// The failure's text with the place it stopped on a line of its own.
QString withStopPlace(const QString& text, const RunOutcome& outcome, const QString& lineBreak) {
    const QString place = texts::runStopPlace(outcome);
    return place.isEmpty() ? text : text + lineBreak + place;
}

}  // namespace

QString texts::runStopPlace(const RunOutcome& outcome) {
    if (outcome.script.isEmpty() || outcome.batch <= 0) return {};
    return QStringLiteral("脚本 %1 第 %2 批（第 %3 行起）").arg(outcome.script).arg(outcome.batch).arg(outcome.line);
}

QString texts::runFailureText(const RunOutcome& outcome) {
    // A cancel may come between two batches or inside one: the batch it
    // names may have run to its end, so no place is given.
    if (outcome.kind == RunOutcome::Kind::Cancelled) return kCancelledHeading + RunContext::cancelledText();
    return withStopPlace(outcome.message, outcome, QStringLiteral("\n"));
}

QString texts::runErrorsReport(const RunOutcome& failure) {
    if (failure.kind == RunOutcome::Kind::Cancelled) return runFailureText(failure);
    return withStopPlace(kReportRunErrors + QStringLiteral("\r\n") + failure.message, failure, QStringLiteral("\r\n"));
}

QString texts::findingsStatus(qint64 count) {
    return QStringLiteral("共找到[") + QString::number(count) + QStringLiteral("]条记录");
}

}  // namespace tallomar
