#include "workbench_commands.h"

#include "findings_output.h"

#include "logic/history/history_database.h"
#include "logic/history/run_end.h"
#include "logic/history/run_recorder.h"
#include "logic/history/session_recording.h"
#include "logic/login/server_connections.h"
#include "platform/error.h"
#include "platform/text/blanks.h"
#include "platform/text/command_line.h"
#include "platform/odbc/odbc.h"
#include "tooldb/tool_access.h"
#include "logic/workbench/result_export.h"
#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/workbench.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>

namespace tallomar::cli {

namespace {

constexpr int kFindings = 1;
constexpr int kFailure = 2;

// A failure of the command: its message goes to stderr, the exit status is 2.
struct CommandFailure {
    QString message;
};

void addConnectionOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("package"), QStringLiteral("the tool package folder (ZOL.mdb and scripts)"), QStringLiteral("DIR")},
        {QStringLiteral("server"), QStringLiteral("the SQL Server, e.g. (local) or host,port"), QStringLiteral("NAME")},
        {QStringLiteral("user"), QStringLiteral("the SQL Server login"), QStringLiteral("NAME")},
        {QStringLiteral("password-stdin"), QStringLiteral("read the login's password from the first line of stdin")},
        {QStringLiteral("database"), QStringLiteral("the account-set database"), QStringLiteral("NAME")},
        {QStringLiteral("edition"), QStringLiteral("the software edition name (with --account and --year)"), QStringLiteral("NAME")},
        {QStringLiteral("account"), QStringLiteral("the account-set id"), QStringLiteral("ID")},
        {QStringLiteral("year"), QStringLiteral("the accounting year"), QStringLiteral("YYYY")},
    });
}

QString required(const QCommandLineParser& parser, const QString& name) {
    const QString value = parser.value(name);
    if (value.isEmpty()) throw CommandFailure{QStringLiteral("missing --%1").arg(name)};
    return value;
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
    if (!rules)
        throw CommandFailure{QStringLiteral("edition \"%1\" names no account-set database").arg(session.gSoft)};
    session.gZTName = required(parser, QStringLiteral("account"));
    session.gYear = rules->hasYears ? required(parser, QStringLiteral("year")) : QString();
    session.gDatabaseName = AccountDatabaseName(code, session.gZTName, session.gYear).value();
}

QString readPassword() {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QString::fromStdString(line);
}

// A session on the package's tool database and the account-set connection.
std::unique_ptr<Session> openSession(const QCommandLineParser& parser) {
    auto session = std::make_unique<Session>();
    const QString package = required(parser, QStringLiteral("package"));
    session->gServerName = required(parser, QStringLiteral("server"));
    session->gUserName = required(parser, QStringLiteral("user"));
    chooseDatabase(parser, *session);
    session->gPassWord = parser.isSet(QStringLiteral("password-stdin")) ? readPassword() : QString();
    session->gToolFolder = QDir(package).absolutePath();
    session->gToolDbPath = QDir(session->gToolFolder).filePath(QStringLiteral("ZOL.mdb"));
    session->cnTool = tooldb::ToolDatabase::open(session->gToolDbPath);
    session->gToolName = TrimBlanks(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                                                QStringLiteral("cName='ToolName'"), *session->cnTool));
    session->cnAccount = odbc::Connection::open(odbc::driverConnectionString(accountConnectionText(*session)),
                                                kLoginTimeoutSeconds);
    return session;
}

// Runs the work on the calling thread, each script's end going into the history.
Workbench commandLineWorkbench(const Session& session, history::RunRecorder& recorder) {
    return Workbench(session, [&recorder](const QString&, const RunWork& work) {
        RunContext context;
        context.setScriptEnded(history::scriptRecording(recorder));
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
std::optional<int> parse(QCommandLineParser& parser, const QStringList& arguments) {
    QStringList all = arguments;
    all.prepend(QCoreApplication::arguments().constFirst());
    return readCommandLine(parser, all, {});
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

void printStatus(const QString& status) { std::fprintf(stderr, "%s\n", status.toUtf8().constData()); }

}  // namespace

int checkCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addConnectionOptions(parser);
    parser.addOptions({
        {QStringLiteral("format"), QStringLiteral("the findings as csv (default) or json"), QStringLiteral("FORMAT"),
         QStringLiteral("csv")},
        {QStringLiteral("out"), QStringLiteral("write the findings to FILE instead of stdout, whole or not at all (a CSV file starts with a UTF-8 byte-order mark)"),
         QStringLiteral("FILE")},
    });
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli check: runs a tool package's check scripts against an account-set database and prints the findings.\n"
        "stdout carries only the findings: CSV with CR LF line ends, header first, NULL as an empty field; or with\n"
        "--format json one object {\"columns\": [...], \"rows\": [[...], ...], \"status\": \"...\", \"count\": N}, NULL as null.\n"
        "The status line and the id of the run recorded in the history go to stderr.\n"
        "The history is $XDG_DATA_HOME/tallomar/history.sqlite (~/.local/share/tallomar/... when unset); see tallomar-cli history.\n"
        "Give the database with --database, or with --edition, --account and --year as the login names it.\n"
        "Exit status: 0 nothing found, 1 findings, 2 failure (message on stderr)."));
    if (const auto status = parse(parser, arguments)) return *status;
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
        const CheckOutcome outcome =
            commandLineWorkbench(*session, recorder.recorder()).check(recorder.recorder().recording(findings.receiver()));
        recorder.finish(history::checkRunEnd(outcome));
        const QString status = Workbench::checkStatus(outcome);
        if (outcome.kind != CheckOutcome::Kind::Finished) {
            file.cancelWriting();
            throw CommandFailure{status};
        }
        findings.finish(status, outcome.findings);
        if (parser.isSet(QStringLiteral("out")) && !file.commit())
            throw CommandFailure{QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())};
        standardOutput.close();
        printStatus(status);
        return outcome.findings > 0 ? kFindings : 0;
    });
}

int correctCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addConnectionOptions(parser);
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli correct: runs a tool package's correction scripts against an account-set database.\n"
        "The id of the run recorded in the history ($XDG_DATA_HOME/tallomar/history.sqlite) goes to stderr.\n"
        "Exit status: 0 every script ran, 2 failure (message on stderr)."));
    if (const auto status = parse(parser, arguments)) return *status;
    return guarded(QStringLiteral("correct"), [&] {
        const std::unique_ptr<Session> session = openSession(parser);
        CommandRecorder recorder(QStringLiteral("correct"), *session, history::RunKind::Correct);
        const Workbench workbench = commandLineWorkbench(*session, recorder.recorder());
        const QString projectType = workbench.loadTool().projectType;
        const CorrectionOutcome outcome = workbench.correct(projectType);
        recorder.finish(history::correctionRunEnd(outcome));
        switch (outcome.kind) {
        case CorrectionOutcome::Kind::NotOffered:
            throw CommandFailure{QStringLiteral("the tool's project type \"%1\" offers no correction run").arg(projectType)};
        case CorrectionOutcome::Kind::Failed: throw CommandFailure{outcome.run.message};
        case CorrectionOutcome::Kind::Finished: break;
        }
        if (!outcome.run.succeeded()) throw CommandFailure{texts::runErrorsReport(outcome.run)};
        std::fprintf(stdout, "%s\n", texts::kReportRepaired.toUtf8().constData());
        return 0;
    });
}

}  // namespace tallomar::cli
