#include "workbench_commands.h"

#include "findings_output.h"
#include "server_options.h"

#include "logic/history/history_database.h"
#include "logic/history/run_end.h"
#include "logic/history/run_recorder.h"
#include "logic/history/session_recording.h"
#include "logic/login/server_connections.h"
#include "logic/workbench/correction_report.h"
#include "logic/workbench/result_export.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/workbench.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"
#include "platform/process/stop_requests.h"
#include "platform/text/blanks.h"
#include "platform/text/command_line.h"
#include "platform/text/sql_quoting.h"
#include "tooldb/tool_access.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <stop_token>

namespace tallomar::cli {

namespace {

void addConnectionOptions(QCommandLineParser& parser) {
    addPackageAndLoginOptions(parser);
    parser.addOptions({
        {QStringLiteral("database"), QStringLiteral("the account-set database"), QStringLiteral("NAME")},
        {QStringLiteral("edition"), QStringLiteral("the software edition name (with --account and --year)"),
         QStringLiteral("NAME")},
        {QStringLiteral("account"), QStringLiteral("the account-set id"), QStringLiteral("ID")},
        {QStringLiteral("year"), QStringLiteral("the accounting year"), QStringLiteral("YYYY")},
    });
}

// The account-set database named the way the login names it from the
// edition, account set and year, which the session records.
void chooseDatabase(const QCommandLineParser& parser, Session& session) {
    if (parser.isSet(QStringLiteral("database"))) {
        if (parser.isSet(QStringLiteral("edition")))
            throw CommandFailure{QStringLiteral("give either --database or --edition, not both")};
        session.gDatabaseName = required(parser, QStringLiteral("database"));
        return;
    }
    session.gSoft = required(parser, QStringLiteral("edition"));
    const QString code = EditionCode(session.gSoft);
    const auto rules = EditionRulesFor(code);
    if (!rules) throw CommandFailure{QStringLiteral("edition \"%1\" names no account-set database").arg(session.gSoft)};
    session.gZTName = required(parser, QStringLiteral("account"));
    session.gYear = rules->hasYears ? required(parser, QStringLiteral("year")) : QString();
    session.gDatabaseName = AccountDatabaseName(code, session.gZTName, session.gYear).value();
}

// A session on the package's tool database and the account-set connection.
std::unique_ptr<Session> openSession(const QCommandLineParser& parser) {
    auto session = std::make_unique<Session>();
    readPackageAndLogin(parser, *session);
    chooseDatabase(parser, *session);
    openPackage(parser, *session);
    session->cnAccount = odbc::Connection::open(accountLogin(*session), kLoginTimeoutSeconds);
    return session;
}

// Runs the work on the calling thread, each script's end going into the
// history; a stop request cancels it as the window's Cancel does, also one
// that came before the work began.
Workbench commandLineWorkbench(const Session& session, history::RunRecorder& recorder, std::stop_token stop) {
    return Workbench(session, [&recorder, stop](const QString&, const RunWork& work) {
        RunContext context;
        context.setScriptEnded(history::scriptRecording(recorder));
        const std::stop_callback cancelOnStop(stop, [&context] { context.cancel(); });
        return work(context);
    });
}

// A recorder of one run whose history failure is told once on stderr; the
// run goes on unrecorded.
class CommandRecorder {
public:
    CommandRecorder(const QString& command, const Session& session, history::RunKind kind)
        : command_(command), recorder_(history::HistoryDatabase::defaultPath(), [this](const QString& message) {
              std::fprintf(stderr, "tallomar-cli %s: %s\n", qPrintable(command_), message.toUtf8().constData());
          }) {
        history::startRecording(recorder_, session, kind);
    }

    history::RunRecorder& recorder() { return recorder_; }

    // Ends the run and says on stderr under which id the history keeps it.
    void finish(const history::RunEnd& end) {
        recorder_.finish(end);
        if (const auto id = recorder_.runId())
            std::fprintf(stderr, "tallomar-cli %s: run %lld recorded in history\n", qPrintable(command_),
                         static_cast<long long>(*id));
    }

private:
    QString command_;
    history::RunRecorder recorder_;
};

// Reads the subcommand's options; the exit status when the command ends
// here (--help, --version, a bad option).
std::optional<int> parse(QCommandLineParser& parser, const QString& command, const QStringList& arguments) {
    return readCommandLine(parser, subcommandArguments(command, arguments), {});
}

int fail(const QString& command, const QString& message) {
    std::fprintf(stderr, "tallomar-cli %s: %s\n", qPrintable(command), message.toUtf8().constData());
    return kFailure;
}

// Runs `body`, turning every failure into a message and exit status 2.
template <typename Body>
int guarded(const QString& command, Body body) {
    try {
        return body();
    } catch (const CommandFailure& failure) {
        return fail(command, failure.message);
    } catch (const Error& error) {
        return fail(command, error.message());
    }
}

FindingsOutput::Format findingsFormat(const QCommandLineParser& parser) {
    const QString format = parser.value(QStringLiteral("format"));
    if (format == u"csv") return FindingsOutput::Format::Csv;
    if (format == u"json") return FindingsOutput::Format::Json;
    throw CommandFailure{QStringLiteral("--format must be csv or json, not \"%1\"").arg(format)};
}

void printStatus(const QString& status) {
    std::fprintf(stderr, "%s\n", status.toUtf8().constData());
}

// A failed check as stderr tells it: the step it stopped in, by its name in
// the tool database and its script as the package names it, then the
// failure with, for a batch, where it stopped.
QString checkFailureText(const Session& session, const RunOutcome& failure) {
    const QString text = texts::runFailureText(failure);
    if (failure.script.isEmpty() || failure.kind == RunOutcome::Kind::Cancelled) return text;
    const QString step = TrimBlanks(
        SelectValue(QStringLiteral("cName"), QStringLiteral("File"),
                    QStringLiteral("cSign='校验' and cPath=%1").arg(sqlText(failure.script)), *session.cnTool));
    const QString script = QStringLiteral("script %1").arg(failure.script);
    return (step.isEmpty() ? script : QStringLiteral("step \"%1\" (%2)").arg(step, script)) + QStringLiteral(": ") +
           text;
}

}  // namespace

int checkCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addConnectionOptions(parser);
    parser.addOptions({
        {QStringLiteral("format"), QStringLiteral("the findings as csv (default) or json"), QStringLiteral("FORMAT"),
         QStringLiteral("csv")},
        {QStringLiteral("out"),
         QStringLiteral("write the findings to FILE instead of stdout, whole or not at all (a CSV file starts with a "
                        "UTF-8 byte-order mark)"),
         QStringLiteral("FILE")},
    });
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli check: runs a tool package's check scripts against an account-set database and prints the "
        "findings.\n"
        "stdout carries only the findings: CSV with CR LF line ends, header first, NULL as an empty field; or with\n"
        "--format json one object {\"columns\": [...], \"rows\": [[...], ...], \"status\": \"...\", \"count\": N}, "
        "NULL as null.\n"
        "The status line and the id of the run recorded in the history go to stderr.\n"
        "The history is $XDG_DATA_HOME/tallomar/history.sqlite (~/.local/share/tallomar/... when unset); see "
        "tallomar-cli history.\n"
        "Give the database with --database, or with --edition, --account and --year as the login names it.\n"
        "Ctrl+C, SIGTERM or the terminal closing (SIGHUP) cancels the check: nothing is written to --out.\n"
        "Exit status: 0 nothing found, 1 findings, 2 failure or cancelled (message on stderr)."));
    if (const auto status = parse(parser, QStringLiteral("check"), arguments)) return *status;
    const StopRequests stops;
    return guarded(QStringLiteral("check"), [&] {
        const FindingsOutput::Format format = findingsFormat(parser);
        const std::unique_ptr<Session> session = openSession(parser);
        // Findings stream out as they are read; a file appears only when complete.
        QSaveFile file(parser.value(QStringLiteral("out")));
        QFile standardOutput;
        QIODevice* out = &standardOutput;
        if (parser.isSet(QStringLiteral("out"))) {
            if (!file.open(QIODevice::WriteOnly))
                throw CommandFailure{QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())};
            if (format == FindingsOutput::Format::Csv) file.write(kUtf8Bom);
            out = &file;
        } else if (!standardOutput.open(stdout, QIODevice::WriteOnly)) {
            throw CommandFailure{QStringLiteral("cannot write to stdout")};
        }
        FindingsOutput findings(*out, format);
        CommandRecorder recorder(QStringLiteral("check"), *session, history::RunKind::Check);
        const CheckOutcome outcome = commandLineWorkbench(*session, recorder.recorder(), stops.token())
                                         .check(recorder.recorder().recording(findings.receiver()));
        recorder.finish(history::checkRunEnd(outcome));
        const QString status = Workbench::checkStatus(outcome);
        if (outcome.kind != CheckOutcome::Kind::Finished) {
            file.cancelWriting();
            throw CommandFailure{
                outcome.kind == CheckOutcome::Kind::Failed ? checkFailureText(*session, outcome.failure) : status};
        }
        findings.finish(status, outcome.findings);
        if (parser.isSet(QStringLiteral("out")) && !file.commit())
            throw CommandFailure{QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())};
        standardOutput.close();
        printStatus(status);
        return outcome.findings > 0 ? kFindings : 0;
    });
}

namespace {

constexpr int kKeptAfterFailure = 3;

// The exit status of a decided correction: 0 nothing (would be) left to
// find, 1 findings remain or could not be counted, 2 failed with nothing
// changed, 3 failed after something was kept.
int exitStatusOf(const CorrectionOutcome& outcome) {
    if (outcome.kind == CorrectionOutcome::Kind::Ran && outcome.changes != CorrectionChanges::MaybeKept)
        return outcome.after == 0 ? 0 : kFindings;
    return outcome.changes == CorrectionChanges::MaybeKept ? kKeptAfterFailure : kFailure;
}

QJsonValue jsonCount(const std::optional<qint64>& count) {
    return count ? QJsonValue(double(*count)) : QJsonValue();
}

QByteArray correctionJson(const QString& status, const CorrectionOutcome& outcome) {
    QJsonValue failed;
    if (outcome.kind != CorrectionOutcome::Kind::Ran)
        failed = QJsonObject{{QStringLiteral("script"), outcome.run.script},
                             {QStringLiteral("batch"), outcome.run.batch},
                             {QStringLiteral("message"), outcome.run.message}};
    const QJsonObject object{{QStringLiteral("status"), status},
                             {QStringLiteral("committed"), outcome.changes == CorrectionChanges::Kept},
                             {QStringLiteral("before"), jsonCount(outcome.before)},
                             {QStringLiteral("after"), jsonCount(outcome.after)},
                             {QStringLiteral("failed"), failed}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// The report as lines for a terminal.
QByteArray lines(const QString& text) {
    QString unix = text;
    unix.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return unix.toUtf8() + '\n';
}

}  // namespace

int correctCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addConnectionOptions(parser);
    parser.addOptions({
        {QStringLiteral("no-transaction"),
         QStringLiteral("run without a transaction: each batch is kept as it runs, a failure undoes nothing "
                        "(for packages with statements a transaction refuses, such as ALTER DATABASE or BACKUP)")},
        {QStringLiteral("preview"),
         QStringLiteral("run the scripts and the re-check, report, and roll everything back")},
        {QStringLiteral("format"), QStringLiteral("text (the default) or json: one object on stdout"),
         QStringLiteral("FORMAT"), QStringLiteral("text")},
    });
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli correct: runs a tool package's correction scripts against an account-set database, in one "
        "transaction between a check before and a re-check after them, and commits only when every script ran.\n"
        "JSON: {\"status\", \"committed\", \"before\", \"after\", \"failed\": null or {\"script\", \"batch\", "
        "\"message\"}}.\n"
        "Ctrl+C, SIGTERM or the terminal closing (SIGHUP) cancels the correction, which then rolls back; one that "
        "comes after the scripts ran still rolls back instead of committing.\n"
        "Exit status: 0 committed (with --preview: would leave) no findings; 1 findings remain or could not be "
        "counted; 2 failure or cancelled, nothing changed (message on stderr); 3 failure after something was kept."));
    const QStringList all = subcommandArguments(QStringLiteral("correct"), arguments);
    if (const auto status = readCommandLine(parser, all, {})) return *status;
    const QString format = parser.value(QStringLiteral("format"));
    if (format != u"text" && format != u"json")
        return refuseCommandLine(parser, all, {},
                                 QStringLiteral("--format takes text or json, not \"%1\"").arg(format));
    const bool preview = parser.isSet(QStringLiteral("preview"));
    const CorrectionMode mode =
        parser.isSet(QStringLiteral("no-transaction")) ? CorrectionMode::EachBatchKept : CorrectionMode::Transaction;
    if (preview && mode == CorrectionMode::EachBatchKept)
        return refuseCommandLine(parser, all, {},
                                 QStringLiteral("--preview needs the transaction: leave out --no-transaction"));
    const bool json = format == u"json";
    const StopRequests stops;

    // A failure before any script ran: nothing changed.
    auto failBeforeRun = [&](const QString& message) {
        if (!json) return fail(QStringLiteral("correct"), message);
        CorrectionOutcome refused;
        refused.kind = CorrectionOutcome::Kind::Failed;
        refused.run = RunOutcome::failed(message);
        std::fputs(correctionJson(message, refused).constData(), stdout);
        return kFailure;
    };
    std::unique_ptr<Session> session;
    std::optional<CommandRecorder> recorder;
    std::optional<Correction> correction;
    try {
        session = openSession(parser);
        recorder.emplace(QStringLiteral("correct"), *session,
                         preview ? history::RunKind::Preview : history::RunKind::Correct);
        const Workbench workbench = commandLineWorkbench(*session, recorder->recorder(), stops.token());
        const QString projectType = workbench.loadTool().projectType;
        correction.emplace(workbench.correct(projectType, ResultReceiver::discarding(), mode));
        if (correction->outcome().kind == CorrectionOutcome::Kind::NotOffered) {
            recorder->finish(history::correctionRunEnd(correction->outcome()));
            return failBeforeRun(
                QStringLiteral("the tool's project type \"%1\" offers no correction run").arg(projectType));
        }
    } catch (const CommandFailure& failure) {
        return failBeforeRun(failure.message);
    } catch (const Error& error) {
        return failBeforeRun(error.message());
    }
    const bool stopped = stops.requested();
    const bool awaitedDecision = correction->awaitsDecision();
    if (awaitedDecision) {
        if (preview || stopped)
            correction->rollback();
        else
            correction->commit();
    }
    CorrectionOutcome outcome = correction->outcome();
    // A stop that came once the scripts had run undid them: it reads as a
    // cancel, as one during the scripts does.
    if (awaitedDecision && stopped) {
        outcome.kind = CorrectionOutcome::Kind::Failed;
        outcome.run = RunOutcome::cancelled();
    }
    recorder->finish(history::correctionRunEnd(outcome));
    const int status = exitStatusOf(outcome);
    if (json) {
        std::fputs(correctionJson(texts::correctionStatus(outcome), outcome).constData(), stdout);
        return status;
    }
    if (status == kFailure || status == kKeptAfterFailure) {
        QString report = texts::correctionReport(outcome);
        if (outcome.kind == CorrectionOutcome::Kind::NeedsNoTransaction)
            report += QStringLiteral("\r\n(run again with --no-transaction to run it batch by batch)");
        std::fputs(("tallomar-cli correct: " + lines(report)).constData(), stderr);
        return status;
    }
    std::fputs(lines(texts::correctionReport(outcome)).constData(), stdout);
    if (outcome.changes == CorrectionChanges::Kept)
        std::fputs(lines(texts::correctionStatus(outcome)).constData(), stdout);
    return status;
}

}  // namespace tallomar::cli
