#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <optional>
#include <vector>

namespace tallomar {

// The conventions every program of Tallomar keeps on its command line:
// --help prints the usage with every option to stdout and --version the
// version, both ending the program with status 0; an unknown option or a
// wrong number of arguments prints what is wrong and the usage to stderr and
// ends it with status 2.
inline constexpr int kExitBadUsage = 2;

// The version the programs print, the project's version.
QString programVersion();

// One argument after the options, in the order they are given.
struct PositionalArgument {
    QString name;
    QString description;
    bool optional = false;  // only the last ones may be
};

// Adds --help, --version and `positional` to `parser` (which already holds
// the program's description and options), then reads `arguments` (program
// name first) and checks the number of positional arguments. Returns the
// exit status when the program ends here, nothing when it goes on with
// `parser` filled in.
std::optional<int> readCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                   const std::vector<PositionalArgument>& positional);

// The arguments of a program's command (`tallomar-cli check ...`) as
// readCommandLine takes them: its usage then names program and command.
QStringList subcommandArguments(const QString& command, const QStringList& arguments);

// For a misuse that only the program can see (two options that exclude each
// other): prints `error` and the usage to stderr and returns kExitBadUsage.
int refuseCommandLine(const QCommandLineParser& parser, const QStringList& arguments,
                      const std::vector<PositionalArgument>& positional, const QString& error);

}  // namespace tallomar
