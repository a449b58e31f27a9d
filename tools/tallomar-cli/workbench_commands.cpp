#include "workbench_commands.h"

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

Workbench commandLineWorkbench(const Session& session) {
    return Workbench(session, [](const QString&, const RunWork& work) {
        RunContext context;
        return work(context);
    });
}

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

void writeRows(QIODevice& out, const ResultBlock& rows) {
    QStringList fields;
    for (int row = 0; row < rows.rowCount(); ++row) {
        fields.clear();
        for (int column = 0; column < rows.columnCount(); ++column) fields << rows.text(row, column);
        out.write(csvRecord(fields).toUtf8());
    }
}

}  // namespace

int checkCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addConnectionOptions(parser);
    parser.addOption({QStringLiteral("out"), QStringLiteral("write the findings to this CSV file"), QStringLiteral("FILE")});
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli check: runs a tool package's check scripts against an account-set database and prints the findings as CSV.\n"
        "Exit status: 0 nothing found, 1 findings, 2 failure (message on stderr)."));
    if (const auto status = parse(parser, arguments)) return *status;
    return guarded(QStringLiteral("check"), [&] {
        const std::unique_ptr<Session> session = openSession(parser);
        // Findings stream out as they are read; a file appears only when complete.
        QSaveFile file(parser.value(QStringLiteral("out")));
        QFile standardOutput;
        QIODevice* out = &standardOutput;
        if (parser.isSet(QStringLiteral("out"))) {
            if (!file.open(QIODevice::WriteOnly))
                throw CommandFailure{QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())};
            file.write(kUtf8Bom);
            out = &file;
        } else if (!standardOutput.open(stdout, QIODevice::WriteOnly)) {
            throw CommandFailure{QStringLiteral("cannot write to stdout")};
        }
        const CheckOutcome outcome = commandLineWorkbench(*session).check({
            [&](const QStringList& columns) { out->write(csvRecord(columns).toUtf8()); },
            [&](const ResultBlock& rows) { writeRows(*out, rows); },
        });
        if (outcome.kind != CheckOutcome::Kind::Finished) {
            file.cancelWriting();
            throw CommandFailure{outcome.kind == CheckOutcome::Kind::Failed ? texts::runFailureText(outcome.failure)
                                                                            : Workbench::checkStatus(outcome)};
        }
        if (parser.isSet(QStringLiteral("out")) && !file.commit())
            throw CommandFailure{QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())};
        standardOutput.close();
        std::fprintf(stdout, "%s\n", Workbench::checkStatus(outcome).toUtf8().constData());
        return outcome.findings > 0 ? kFindings : 0;
    });
}

int correctCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    addConnectionOptions(parser);
    parser.setApplicationDescription(QStringLiteral(
        "tallomar-cli correct: runs a tool package's correction scripts against an account-set database.\n"
        "Exit status: 0 every script ran, 2 failure (message on stderr)."));
    if (const auto status = parse(parser, arguments)) return *status;
    return guarded(QStringLiteral("correct"), [&] {
        const std::unique_ptr<Session> session = openSession(parser);
        const Workbench workbench = commandLineWorkbench(*session);
        const QString projectType = workbench.loadTool().projectType;
        const CorrectionOutcome outcome = workbench.correct(projectType);
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
