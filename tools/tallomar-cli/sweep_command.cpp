#include "sweep_command.h"

#include "server_options.h"

#include "logic/history/history_database.h"
#include "logic/sweep/sweep_html.h"
#include "logic/sweep/sweep_report.h"
#include "logic/sweep/sweep_run.h"
#include "logic/sweep/sweep_targets.h"
#include "platform/error.h"
#include "platform/process/stop_requests.h"
#include "platform/text/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <stop_token>

namespace tallomar::cli {

namespace {

constexpr int kDefaultJobs = 4;

// "all" (or the option left out): nothing to choose; else the comma-separated values.
std::optional<QStringList> chosenValues(const QCommandLineParser& parser, const QString& name) {
    const QString value = parser.value(name).trimmed();
    if (value.isEmpty() || value == u"all") return std::nullopt;
    QStringList values = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& each : values) each = each.trimmed();
    return values;
}

// The databases the filters choose; a CommandFailure naming the filters as
// given when they leave none, since a sweep of nothing would read as clean.
QList<SweepTarget> chosenTargets(const QCommandLineParser& parser, const Session& login) {
    const QList<SweepTarget> chosen =
        chooseSweepTargets(listSweepTargets(login), chosenValues(parser, QStringLiteral("accounts")),
                           chosenValues(parser, QStringLiteral("years")));
    if (chosen.isEmpty())
        throw CommandFailure{
            QStringLiteral("nothing matched: no account-set database of edition \"%1\" on %2 is chosen by "
                           "--accounts \"%3\" --years \"%4\"")
                .arg(login.gSoft, login.gServerName, parser.value(QStringLiteral("accounts")),
                     parser.value(QStringLiteral("years")))};
    return chosen;
}

int exitStatus(const QList<DatabaseCheck>& checks) {
    int status = 0;
    for (const DatabaseCheck& check : checks) {
        if (check.status == DatabaseCheck::Status::Failed || check.status == DatabaseCheck::Status::Cancelled)
            return kFailure;
        if (check.status == DatabaseCheck::Status::Findings) status = kFindings;
    }
    return status;
}

int run(const QCommandLineParser& parser, std::stop_token stop) {
    const QString format = parser.value(QStringLiteral("format"));
    if (format != u"text" && format != u"json")
        throw CommandFailure{QStringLiteral("--format is text or json, not \"%1\"").arg(format)};
    bool jobsOk = false;
    const int jobs = parser.value(QStringLiteral("jobs")).toInt(&jobsOk);
    if (!jobsOk || jobs < 1 || jobs > 64) throw CommandFailure{QStringLiteral("--jobs takes a number from 1 to 64")};

    Session login;
    readPackageAndLogin(parser, login);
    login.gSoft = required(parser, QStringLiteral("edition"));
    openPackage(parser, login);

    const QList<SweepTarget> targets = chosenTargets(parser, login);
    SweepReport report{login.gServerName,
                       login.gToolName.isEmpty() ? login.gToolFolder : login.gToolName,
                       QDateTime::currentDateTime(),
                       {}};
    SweepRun sweep(login, targets, jobs);
    sweep.recordInto(history::HistoryDatabase::defaultPath(), [](const QString& message) {
        std::fprintf(stderr, "tallomar-cli sweep: the run history is not kept: %s\n", message.toUtf8().constData());
    });
    {
        const std::stop_callback cancelOnStop(stop, [&sweep] { sweep.cancel(); });
        report.checks = sweep.run();
    }
    if (parser.isSet(QStringLiteral("report"))) writeSweepHtml(report, parser.value(QStringLiteral("report")));
    const QByteArray out = format == u"json" ? sweepJson(report) : sweepTextTable(report).toUtf8();
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return exitStatus(report.checks);
}

}  // namespace

int sweepCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addPackageAndLoginOptions(parser);
    parser.addOptions({
        {QStringLiteral("edition"),
         QStringLiteral("the software edition name; it decides where the account sets are listed"),
         QStringLiteral("NAME")},
        {QStringLiteral("accounts"), QStringLiteral("all, or the account-set ids to check, comma-separated"),
         QStringLiteral("all|ID,ID..."), QStringLiteral("all")},
        {QStringLiteral("years"), QStringLiteral("all, or the years to check, comma-separated"),
         QStringLiteral("all|YYYY,YYYY..."), QStringLiteral("all")},
        {QStringLiteral("jobs"), QStringLiteral("databases checked at a time (default 4)"), QStringLiteral("N"),
         QString::number(kDefaultJobs)},
        {QStringLiteral("report"), QStringLiteral("also write an HTML report to this file"),
         QStringLiteral("FILE.html")},
        {QStringLiteral("format"), QStringLiteral("text (an aligned table, the default) or json"),
         QStringLiteral("text|json"), QStringLiteral("text")},
    });
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli sweep: runs a tool package's check run on every account-set database of an edition on a server, "
        "several at a time, and prints the status and finding count of each.\n"
        "Ctrl+C, SIGTERM or the terminal closing (SIGHUP) stops the sweep: the running checks are cancelled, the "
        "databases not checked are reported as cancelled and the report is still written.\n"
        "Exit status: 0 nothing found anywhere, 1 findings, 2 a database failed or was not checked, the filters "
        "chose no database, or failure (message on stderr)."));
    const QStringList all = subcommandArguments(QStringLiteral("sweep"), arguments);
    if (const auto status = readCommandLine(parser, all, {})) return *status;
    const StopRequests stops;
    try {
        return run(parser, stops.token());
    } catch (const CommandFailure& failure) {
        std::fprintf(stderr, "tallomar-cli sweep: %s\n", failure.message.toUtf8().constData());
    } catch (const Error& error) {
        std::fprintf(stderr, "tallomar-cli sweep: %s\n", error.message().toUtf8().constData());
    }
    return kFailure;
}

}  // namespace tallomar::cli
