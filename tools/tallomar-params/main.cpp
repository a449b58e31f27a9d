// tallomar-params: opens the parameter window on the package list named on
// the command line.
#include "windows/params/frm_sql_value.h"
#include "logic/params/package_list.h"
#include "platform/ui/chinese_ui.h"
#include "platform/ui/dialogs.h"
#include "platform/error.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kUsage[] =
    "usage: tallomar-params [--help] [--version] PACKAGE-LIST.ini\n"
    "Edits the parameters of the scripts that a package list names.\n"
    "\n"
    "  PACKAGE-LIST.ini  the package list: section [File], entries i.1 script file,\n"
    "                    i.2 configuration file, i.3 its folder\n"
    "  --help            print this text and end\n"
    "  --version         print the version and end\n";

enum class Request { Help, Version, Open, Wrong };

struct CommandLine {
    Request request = Request::Wrong;
    QString listPath;  // Open
    QString fault;     // Wrong
};

// --help and --version win over everything else; otherwise exactly one
// package list and no options.
CommandLine readCommandLine(int argc, char** argv) {
    QStringList lists;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) return {Request::Help, {}, {}};
        if (std::strcmp(argv[i], "--version") == 0) return {Request::Version, {}, {}};
    }
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument.startsWith(QLatin1Char('-')))
            return {Request::Wrong, {}, QStringLiteral("unknown option %1").arg(argument)};
        lists << argument;
    }
    if (lists.isEmpty()) return {Request::Wrong, {}, QStringLiteral("no package list given")};
    if (lists.size() > 1)
        return {Request::Wrong, {}, QStringLiteral("one package list only, not %1").arg(lists.join(QLatin1Char(' ')))};
    return {Request::Open, lists.front(), {}};
}

int refuse(const QString& message) {
    std::fprintf(stderr, "tallomar-params: %s\n", qPrintable(message));
    tallomar::showMessage(nullptr, tallomar::MessageIcon::Critical, message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLine commandLine = readCommandLine(argc, argv);
    switch (commandLine.request) {
    case Request::Help: std::fputs(kUsage, stdout); return 0;
    case Request::Version: std::printf("tallomar-params %s\n", TALLOMAR_VERSION); return 0;
    case Request::Wrong:
        std::fprintf(stderr, "tallomar-params: %s\n%s", qPrintable(commandLine.fault), kUsage);
        return 2;
    case Request::Open: break;
    }

    QApplication app(argc, argv);
    tallomar::InstallChineseTranslation(app);
    tallomar::PackageList list;
    try {
        list = tallomar::OpenPackageList(commandLine.listPath);
    } catch (const tallomar::Error& error) {
        return refuse(error.message());
    }
    tallomar::FrmSQLValue window(std::move(list));
    window.show();
    return app.exec();
}
