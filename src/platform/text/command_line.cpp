#include "platform/text/command_line.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

namespace tallomar {

namespace {

// The program's name as its users type it: its file name, without the
// ".exe" that Windows gives programs.
QString programName(const QString& programPath) {
    QString name = QFileInfo(programPath).fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) name.chop(4);
    return name;
}

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

// Qt's help, with two changes: the usage line names the program by its bare
// name (Qt writes the path it was started with, which a manual page made
// from the help must not carry), and the arguments are listed here, because
// Qt cuts names longer than its option column in two.
QString usageText(const QCommandLineParser& parser, const QString& programPath,
                  const std::vector<PositionalArgument>& positional) {
    QString text = parser.helpText();
    // Qt names the program as it was started, whatever `programPath` says.
    const QString started = QCoreApplication::arguments().value(0, programPath);
    const qsizetype at = text.indexOf(started);
    if (at >= 0) text.replace(at, started.size(), programName(programPath));
    const qsizetype arguments = text.indexOf(QLatin1String("\nArguments:\n"));
    if (arguments >= 0) text.truncate(arguments);
    if (positional.empty()) return text;
    qsizetype width = 0;
    for (const PositionalArgument& argument : positional) width = std::max(width, argument.name.size());
    text += QLatin1String("\nArguments:\n");
    for (const PositionalArgument& argument : positional)
        text += QStringLiteral("  %1  %2\n").arg(argument.name.leftJustified(width), argument.description);
    return text;
}

}  // namespace

QString programVersion() {
    return QStringLiteral(TALLOMAR_VERSION);
}

std::optional<int> readCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                   const std::vector<PositionalArgument>& positional) {
    const QString programPath = arguments.value(0);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Print the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    for (const PositionalArgument& argument : positional)
        parser.addPositionalArgument(argument.name, argument.description,
                                     argument.optional ? QStringLiteral("[%1]").arg(argument.name) : argument.name);
    const auto required = std::count_if(positional.begin(), positional.end(),
                                        [](const PositionalArgument& argument) { return !argument.optional; });

    QString error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
    } else if (parser.isSet(help)) {
        print(stdout, usageText(parser, programPath, positional));
        return 0;
    } else if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(programName(programPath), programVersion()));
        return 0;
    } else if (parser.positionalArguments().size() < required) {
        error = QStringLiteral("missing %1").arg(positional[parser.positionalArguments().size()].name);
    } else if (parser.positionalArguments().size() > qsizetype(positional.size())) {
        error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().value(positional.size()));
    } else {
        return std::nullopt;
    }
    return refuseCommandLine(parser, arguments, positional, error);
}

int refuseCommandLine(const QCommandLineParser& parser, const QStringList& arguments,
                      const std::vector<PositionalArgument>& positional, const QString& error) {
    const QString programPath = arguments.value(0);
    print(stderr,
          QStringLiteral("%1: %2\n").arg(programName(programPath), error) + usageText(parser, programPath, positional));
    return kExitBadUsage;
}

QStringList subcommandArguments(const QString& command, const QStringList& arguments) {
    return QStringList{QCoreApplication::arguments().value(0) + QLatin1Char(' ') + command} + arguments;
}

}  // namespace tallomar
