// tallomar-cli: checks for tool package authors, one subcommand each.
#include "batches_command.h"
#include "history_command.h"
#include "sweep_command.h"
#include "workbench_commands.h"

#include "platform/text/command_line.h"
#include "platform/text/standard_streams.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

const Command kCommands[] = {
    {"batches", "batches FILE   print each batch of a script as the runner sends it (JSON strings)",
     tallomar::cli::batchesCommand},
    {"check", "check OPTIONS  run a package's check scripts; findings as CSV or JSON (exit 1 with findings)",
     tallomar::cli::checkCommand},
    {"correct",
     "correct OPTIONS  run a package's correction scripts in one transaction and re-check (exit 1 when findings "
     "remain)",
     tallomar::cli::correctCommand},
    {"history", "history ...    list the recorded runs, show a run's findings, compare two checks, prune",
     tallomar::cli::historyCommand},
    {"sweep", "sweep OPTIONS  run the check on every account set and year of a server, several at a time",
     tallomar::cli::sweepCommand},
};

void printUsage(std::FILE* stream) {
    std::fputs(
        "Usage: tallomar-cli COMMAND [OPTIONS]\n"
        "Checks and corrections of tool packages without a window.\n\n"
        "Commands:\n",
        stream);
    for (const Command& command : kCommands) std::fprintf(stream, "  %s\n", command.summary);
    std::fputs(
        "\nOptions:\n"
        "  -h, --help  Print this help and exit.\n"
        "  --version   Print the version and exit.\n\n"
        "tallomar-cli COMMAND --help lists the options of a command.\n",
        stream);
}

int refuse(const char* problem, const QString& what) {
    std::fprintf(stderr, "tallomar-cli: %s%s\n", problem, what.toUtf8().constData());
    printUsage(stderr);
    return tallomar::kExitBadUsage;
}

}  // namespace

int main(int argc, char** argv) {
    tallomar::useUtf8StandardStreams();
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) return refuse("missing COMMAND", QString());
    const QString name = arguments.takeFirst();
    if (name == u"--help" || name == u"-h") {
        printUsage(stdout);
        return 0;
    }
    if (name == u"--version") {
        std::printf("tallomar-cli %s\n", qPrintable(tallomar::programVersion()));
        return 0;
    }
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) return command.run(arguments);
    }
    return refuse("unknown command ", name);
}
