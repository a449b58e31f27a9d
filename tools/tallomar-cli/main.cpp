// tallomar-cli: checks for tool package authors, one subcommand each.
#include "batches_command.h"
#include "history_command.h"
#include "workbench_commands.h"

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
    {"check", "check OPTIONS  run a package's check scripts; findings as CSV (exit 1 with findings)",
     tallomar::cli::checkCommand},
    {"correct", "correct OPTIONS  run a package's correction scripts",
     tallomar::cli::correctCommand},
    {"history", "history ...    list the recorded runs, show a run's findings, compare two checks, prune",
     tallomar::cli::historyCommand},
};

int usage() {
    std::fputs("usage: tallomar-cli COMMAND ...\n", stderr);
    for (const Command& command : kCommands) std::fprintf(stderr, "  %s\n", command.summary);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) return usage();
    const QString name = arguments.takeFirst();
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) return command.run(arguments);
    }
    std::fprintf(stderr, "tallomar-cli: unknown command \"%s\"\n", name.toUtf8().constData());
    return usage();
}
