#include "history_command.h"

#include "logic/history/findings_diff.h"
#include "logic/history/run_history.h"
#include "logic/workbench/result_export.h"
#include "platform/error.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace tallomar::cli {

namespace {

constexpr int kFailure = 2;
// `history show` of a run that failed, was cancelled or interrupted.
constexpr int kRunDidNotEnd = 1;

const char kListUsage[] =
    "usage: tallomar-cli history [--database NAME] [--tool NAME] [--limit N] [--format table|json]\n"
    "  lists the recorded runs, newest first\n"
    "  --database NAME   only runs on this account-set database\n"
    "  --tool NAME       only runs of this tool\n"
    "  --limit N         at most N runs (default 50)\n"
    "  --format FORMAT   table (default) or json\n"
    "  each run: its id, kind, times, server, database, tool, operator (who ran it),\n"
    "  status (ok, findings, undone, failed, cancelled, interrupted or running),\n"
    "  findings (a correction's: before it ran), after (a correction's re-check)\n"
    "  and committed (a correction's changes kept: true, false, or null for a check\n"
    "  and where only the server knows)\n";
const char kShowUsage[] =
    "usage: tallomar-cli history show ID [--format csv|json]\n"
    "  prints the findings run ID kept, and on stderr how it ended: its status line,\n"
    "  for a correction the findings before and after and whether it was committed,\n"
    "  for a run that failed, was cancelled or interrupted where it stopped\n"
    "  --format FORMAT   csv (default) or json (one object: the run as the list gives it,\n"
    "                    \"text\", \"failed\": null or {\"script\", \"batch\", \"message\"},\n"
    "                    \"columns\", \"rows\", \"cut\")\n"
    "  exit status 0 when the run ended (or is running), 1 when it failed, was\n"
    "  cancelled or interrupted, 2 when the history cannot be read or has no run ID\n";
const char kDiffUsage[] =
    "usage: tallomar-cli history diff ID1 ID2 [--format csv|json]\n"
    "  compares two checks of one tool on one database: the records fixed,\n"
    "  remaining and new in ID2 against ID1\n"
    "  --format FORMAT   csv (default; a first column says fixed, remaining or new) or json\n";
const char kPruneUsage[] =
    "usage: tallomar-cli history prune --older-than DAYS\n"
    "  deletes the runs started more than DAYS days ago (runs still running stay)\n"
    "  --older-than DAYS  the age in days\n";
// The list's help shows every subcommand, as "history" is where one starts.
QByteArray allUsages() {
    return QByteArray(kListUsage) + kShowUsage + kDiffUsage + kPruneUsage;
}

const char kHistoryFile[] =
    "The history is $XDG_DATA_HOME/tallomar/history.sqlite (~/.local/share/tallomar/... when unset).\n";

// Bad usage: the message and the usage go to stderr, the exit status is 2.
struct UsageError {
    QString message;
};

// What the command line asked of one subcommand.
struct Request {
    QCommandLineParser parser;
    QStringList positional;
};

void writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// Parses `arguments` with `options` plus --help; true when help was asked
// for and printed.
bool parse(Request& request, const QStringList& arguments, const QList<QCommandLineOption>& options,
           const QByteArray& usage, int positionalCount) {
    request.parser.addOptions(options);
    request.parser.addOption({QStringLiteral("help"), QStringLiteral("this text")});
    QStringList all = arguments;
    all.prepend(QStringLiteral("tallomar-cli"));
    if (!request.parser.parse(all)) throw UsageError{request.parser.errorText()};
    if (request.parser.isSet(QStringLiteral("help"))) {
        writeOut(usage + kHistoryFile);
        return true;
    }
    request.positional = request.parser.positionalArguments();
    if (request.positional.size() != positionalCount)
        throw UsageError{
            QStringLiteral("expected %1 argument(s), got %2").arg(positionalCount).arg(request.positional.size())};
    return false;
}

QString format(const Request& request, const QStringList& formats) {
    const QString value = request.parser.isSet(QStringLiteral("format"))
                              ? request.parser.value(QStringLiteral("format"))
                              : formats.first();
    if (!formats.contains(value))
        throw UsageError{QStringLiteral("--format must be %1, not \"%2\"").arg(formats.join(QLatin1Char('|')), value)};
    return value;
}

qint64 positiveNumber(const QString& text, const QString& what) {
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < 0) throw UsageError{QStringLiteral("%1 must be a whole number, not \"%2\"").arg(what, text)};
    return number;
}

QCommandLineOption formatOption() {
    return {QStringLiteral("format"), QStringLiteral("output format"), QStringLiteral("FORMAT")};
}

QJsonValue jsonOptional(const std::optional<qint64>& value) {
    return value ? QJsonValue(static_cast<double>(*value)) : QJsonValue(QJsonValue::Null);
}

QJsonArray jsonRow(const history::FindingRow& row) {
    QJsonArray cells;
    for (const auto& cell : row) cells.append(cell ? QJsonValue(*cell) : QJsonValue(QJsonValue::Null));
    return cells;
}

QJsonArray jsonRows(const std::vector<history::FindingRow>& rows) {
    QJsonArray array;
    for (const auto& row : rows) array.append(jsonRow(row));
    return array;
}

// A NULL is written as an empty field, as the check command writes it.
QByteArray csvRow(const history::FindingRow& row, const QString& first = {}) {
    QStringList fields;
    if (!first.isEmpty()) fields << first;
    for (const auto& cell : row) fields << cell.value_or(QString());
    return csvRecord(fields).toUtf8();
}

QString timeText(const std::optional<QDateTime>& time) {
    return time ? time->toString(Qt::ISODateWithMs) : QString();
}

QJsonValue jsonCommitted(const std::optional<bool>& committed) {
    return committed ? QJsonValue(*committed) : QJsonValue(QJsonValue::Null);
}

// One run as the list gives it.
QJsonObject runJson(const history::RunRecord& run) {
    return {
        {QStringLiteral("id"), static_cast<double>(run.id)},
        {QStringLiteral("kind"), history::kindName(run.facts.kind)},
        {QStringLiteral("started"), run.started.toString(Qt::ISODateWithMs)},
        {QStringLiteral("finished"), run.finished ? QJsonValue(timeText(run.finished)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("server"), run.facts.server},
        {QStringLiteral("database"), run.facts.database},
        {QStringLiteral("tool"), run.facts.tool},
        {QStringLiteral("operator"), run.process.osUser},
        {QStringLiteral("status"), history::statusName(run.end.status)},
        {QStringLiteral("findings"), jsonOptional(run.end.findings)},
        {QStringLiteral("after"), jsonOptional(run.end.recheckFindings)},
        {QStringLiteral("committed"), jsonCommitted(run.end.committed)},
    };
}

QString countText(const std::optional<qint64>& count) {
    return count ? QString::number(*count) : QStringLiteral("-");
}

QString committedText(const std::optional<bool>& committed) {
    if (!committed) return QStringLiteral("-");
    return *committed ? QStringLiteral("yes") : QStringLiteral("no");
}

// Where a run that failed, was cancelled or interrupted stopped: the first
// script that did not end well, or what is known without one.
struct Stop {
    QString script;  // the file's name; empty when no script failed
    qint64 batch = 0;
    QString message;
};

std::optional<Stop> stopOf(history::RunHistory& runs, const history::RunRecord& run) {
    using history::RunStatus;
    if (run.end.status != RunStatus::Failed && run.end.status != RunStatus::Cancelled &&
        run.end.status != RunStatus::Interrupted)
        return std::nullopt;
    for (const history::ScriptRecord& script : runs.scripts(run.id))
        if (script.outcome != u"ok")
            return Stop{QFileInfo(script.file).fileName(), script.batches,
                        script.serverMessage.isEmpty() ? script.outcome : script.serverMessage};
    if (run.end.status == RunStatus::Interrupted)
        return Stop{{}, 0, QStringLiteral("the program running it ended before the run did")};
    return Stop{{}, 0, run.end.statusText};
}

QString unixLines(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// How the run ended, for stderr: its status line, a correction's counts and
// whether it was kept, and where a run that did not end well stopped.
QByteArray endReport(const history::RunRecord& run, const std::optional<Stop>& stop) {
    QString report = QStringLiteral("tallomar-cli history show: run %1 (%2) %3")
                         .arg(run.id)
                         .arg(history::kindName(run.facts.kind), history::statusName(run.end.status));
    if (!run.end.statusText.isEmpty()) report += QStringLiteral(": ") + unixLines(run.end.statusText);
    report += QLatin1Char('\n');
    if (run.facts.kind != history::RunKind::Check) {
        const QString changes = !run.end.committed   ? QStringLiteral("only the server knows whether they were kept")
                                : *run.end.committed ? QStringLiteral("committed")
                                                     : QStringLiteral("undone");
        report += QStringLiteral("findings before %1, after %2; changes %3\n")
                      .arg(countText(run.end.findings), countText(run.end.recheckFindings), changes);
    }
    if (stop) {
        report += stop->script.isEmpty() ? QStringLiteral("stopped: %1\n").arg(unixLines(stop->message))
                                         : QStringLiteral("stopped in script %1, batch %2: %3\n")
                                               .arg(stop->script)
                                               .arg(stop->batch)
                                               .arg(unixLines(stop->message));
    }
    return report.toUtf8();
}

QJsonValue stopJson(const std::optional<Stop>& stop) {
    if (!stop) return QJsonValue::Null;
    return QJsonObject{
        {QStringLiteral("script"), stop->script.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(stop->script)},
        {QStringLiteral("batch"),
         stop->script.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(double(stop->batch))},
        {QStringLiteral("message"), stop->message}};
}

// Columns as wide as a terminal shows them: East Asian characters take two cells.
int displayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

QByteArray alignedTable(const std::vector<QStringList>& lines) {
    std::vector<int> widths;
    for (const QStringList& line : lines)
        for (int c = 0; c < line.size(); ++c) {
            if (widths.size() <= size_t(c)) widths.push_back(0);
            widths[size_t(c)] = std::max(widths[size_t(c)], displayWidth(line[c]));
        }
    QByteArray out;
    for (const QStringList& line : lines) {
        QString text;
        for (int c = 0; c < line.size(); ++c) {
            text += line[c];
            if (c + 1 < line.size()) text += QString(widths[size_t(c)] - displayWidth(line[c]) + 2, QLatin1Char(' '));
        }
        out += text.toUtf8() + '\n';
    }
    return out;
}

int listRuns(const QStringList& arguments) {
    Request request;
    if (parse(request, arguments,
              {{QStringLiteral("database"), QStringLiteral("database"), QStringLiteral("NAME")},
               {QStringLiteral("tool"), QStringLiteral("tool"), QStringLiteral("NAME")},
               {QStringLiteral("limit"), QStringLiteral("limit"), QStringLiteral("N")},
               formatOption()},
              allUsages(), 0))
        return 0;
    const QString output = format(request, {QStringLiteral("table"), QStringLiteral("json")});
    history::RunFilter filter{request.parser.value(QStringLiteral("database")),
                              request.parser.value(QStringLiteral("tool"))};
    if (request.parser.isSet(QStringLiteral("limit")))
        filter.limit = int(
            std::min<qint64>(positiveNumber(request.parser.value(QStringLiteral("limit")), QStringLiteral("--limit")),
                             std::numeric_limits<int>::max()));
    history::RunHistory runs(history::HistoryDatabase::defaultPath());
    const std::vector<history::RunRecord> records = runs.runs(filter);
    if (output == u"json") {
        QJsonArray list;
        for (const history::RunRecord& run : records) list.append(runJson(run));
        writeOut(QJsonDocument(list).toJson(QJsonDocument::Indented));
        return 0;
    }
    std::vector<QStringList> lines{{QStringLiteral("ID"), QStringLiteral("KIND"), QStringLiteral("STARTED"),
                                    QStringLiteral("FINISHED"), QStringLiteral("SERVER"), QStringLiteral("DATABASE"),
                                    QStringLiteral("TOOL"), QStringLiteral("OPERATOR"), QStringLiteral("STATUS"),
                                    QStringLiteral("FINDINGS"), QStringLiteral("AFTER"), QStringLiteral("COMMITTED")}};
    for (const history::RunRecord& run : records)
        lines.push_back({QString::number(run.id), history::kindName(run.facts.kind),
                         run.started.toString(Qt::ISODateWithMs), timeText(run.finished), run.facts.server,
                         run.facts.database, run.facts.tool, run.process.osUser, history::statusName(run.end.status),
                         countText(run.end.findings), countText(run.end.recheckFindings),
                         committedText(run.end.committed)});
    writeOut(alignedTable(lines));
    return 0;
}

int showRun(const QStringList& arguments) {
    Request request;
    if (parse(request, arguments, {formatOption()}, kShowUsage, 1)) return 0;
    const QString output = format(request, {QStringLiteral("csv"), QStringLiteral("json")});
    const qint64 id = positiveNumber(request.positional.first(), QStringLiteral("ID"));
    history::RunHistory runs(history::HistoryDatabase::defaultPath());
    const history::RunRecord run = runs.run(id);
    const history::RecordedFindings findings = runs.findings(id);
    const std::optional<Stop> stop = stopOf(runs, run);
    const QByteArray report = endReport(run, stop);
    std::fwrite(report.constData(), 1, size_t(report.size()), stderr);
    if (findings.cut)
        std::fprintf(stderr, "tallomar-cli history show: run %lld kept the first %lld of its %lld findings\n",
                     static_cast<long long>(id), static_cast<long long>(run.findingsKept),
                     static_cast<long long>(run.end.findings.value_or(0)));
    if (output == u"json") {
        QJsonObject object = runJson(run);
        object.insert(QStringLiteral("text"), run.end.statusText);
        object.insert(QStringLiteral("failed"), stopJson(stop));
        object.insert(QStringLiteral("columns"), QJsonArray::fromStringList(findings.columns));
        object.insert(QStringLiteral("rows"), jsonRows(findings.rows));
        object.insert(QStringLiteral("cut"), findings.cut);
        writeOut(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    } else if (!findings.columns.isEmpty()) {  // a correction, or a check that failed before its result, has none
        writeOut(csvRecord(findings.columns).toUtf8());
        for (const history::FindingRow& row : findings.rows) writeOut(csvRow(row));
    }
    return stop ? kRunDidNotEnd : 0;
}

int diffRuns(const QStringList& arguments) {
    Request request;
    if (parse(request, arguments, {formatOption()}, kDiffUsage, 2)) return 0;
    const QString output = format(request, {QStringLiteral("csv"), QStringLiteral("json")});
    const qint64 before = positiveNumber(request.positional[0], QStringLiteral("ID1"));
    const qint64 after = positiveNumber(request.positional[1], QStringLiteral("ID2"));
    history::RunHistory runs(history::HistoryDatabase::defaultPath());
    const history::FindingsDiff diff = history::diffChecks(runs, before, after);
    if (diff.cut)
        std::fputs(
            "tallomar-cli history diff: a run kept only part of its findings; the records past the cut "
            "are not compared\n",
            stderr);
    if (output == u"json") {
        writeOut(QJsonDocument(QJsonObject{{QStringLiteral("columns"), QJsonArray::fromStringList(diff.columns)},
                                           {QStringLiteral("fixed"), jsonRows(diff.fixed)},
                                           {QStringLiteral("remaining"), jsonRows(diff.remaining)},
                                           {QStringLiteral("new"), jsonRows(diff.added)}})
                     .toJson(QJsonDocument::Compact) +
                 '\n');
        return 0;
    }
    writeOut(csvRecord(QStringList{QStringLiteral("change")} + diff.columns).toUtf8());
    for (const auto& [change, rows] :
         {std::pair{QStringLiteral("fixed"), &diff.fixed}, std::pair{QStringLiteral("remaining"), &diff.remaining},
          std::pair{QStringLiteral("new"), &diff.added}})
        for (const history::FindingRow& row : *rows) writeOut(csvRow(row, change));
    return 0;
}

int pruneRuns(const QStringList& arguments) {
    Request request;
    if (parse(request, arguments, {{QStringLiteral("older-than"), QStringLiteral("days"), QStringLiteral("DAYS")}},
              kPruneUsage, 0))
        return 0;
    if (!request.parser.isSet(QStringLiteral("older-than"))) throw UsageError{QStringLiteral("missing --older-than")};
    const qint64 days =
        positiveNumber(request.parser.value(QStringLiteral("older-than")), QStringLiteral("--older-than"));
    history::RunHistory runs(history::HistoryDatabase::defaultPath());
    const int pruned = runs.prune(QDateTime::currentDateTimeUtc().addDays(-days));
    std::printf("deleted %d run(s)\n", pruned);
    return 0;
}

struct Subcommand {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments);
};

const Subcommand kSubcommands[] = {
    {"show", kShowUsage, showRun},
    {"diff", kDiffUsage, diffRuns},
    {"prune", kPruneUsage, pruneRuns},
};

}  // namespace

int historyCommand(const QStringList& arguments) {
    QStringList rest = arguments;
    const Subcommand* chosen = nullptr;
    if (!rest.isEmpty())
        for (const Subcommand& subcommand : kSubcommands)
            if (rest.first() == QLatin1String(subcommand.name)) chosen = &subcommand;
    if (chosen) rest.removeFirst();
    const QByteArray name = chosen ? QByteArray("history ") + chosen->name : QByteArray("history");
    const QByteArray usage = chosen ? QByteArray(chosen->usage) : allUsages();
    try {
        return chosen ? chosen->run(rest) : listRuns(rest);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "tallomar-cli %s: %s\n%s", name.constData(), error.message.toUtf8().constData(),
                     usage.constData());
        return kFailure;
    } catch (const Error& error) {
        std::fprintf(stderr, "tallomar-cli %s: %s\n", name.constData(), error.message().toUtf8().constData());
        return kFailure;
    }
}

}  // namespace tallomar::cli
