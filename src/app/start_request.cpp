#include "app/start_request.h"

#include "platform/text/command_line.h"

#include <QCoreApplication>

namespace tallomar {

std::variant<StartRequest, int> ReadStartRequest(int argc, char** argv) {
    // Qt words the usage from the running application's name; this one lives
    // only while the command line is read.
    const QCoreApplication reader(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs the check and correction scripts of a tool package against Microsoft SQL Server.\n"
                       "\n"
                       "The package folder holds the tool database ZOL.mdb and the package's SQL scripts.\n"
                       "Without PACKAGE_FOLDER the folder \"file\" beside the program is opened; when there\n"
                       "is none, a folder dialog asks for the package folder and offers the folders used\n"
                       "before. A folder without ZOL.mdb is reported and the folder dialog asks again.\n"
                       "The demo package installed with the program is copied to\n"
                       "$XDG_DATA_HOME/tallomar/demo on first use, so that its settings can be saved there.\n"
                       "Recently used folders are kept in $XDG_CONFIG_HOME/tallomar/.\n"
                       "\n"
                       "One copy runs at a time: a later start brings its window to the front, and refuses\n"
                       "to open a package other than the one it has open.\n"
                       "\n"
                       "Exit status: 0 when the program ran until its last window closed, or a later start\n"
                       "brought the running copy forward; 1 when no package was opened (the folder dialog\n"
                       "was cancelled, the tool database could not be read) or a later start was refused\n"
                       "or got no answer; 2 for a bad command line."));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Open the user's copy of the demo package."));
    parser.addOption(demo);
    const std::vector<PositionalArgument> positional{
        {QStringLiteral("PACKAGE_FOLDER"), QStringLiteral("The tool package folder to open, or its ZOL.mdb."), true}};
    if (const auto status = readCommandLine(parser, QCoreApplication::arguments(), positional)) return *status;
    if (parser.isSet(demo) && !parser.positionalArguments().isEmpty())
        return refuseCommandLine(parser, QCoreApplication::arguments(), positional,
                                 QStringLiteral("give either --demo or PACKAGE_FOLDER, not both"));
    return StartRequest{parser.positionalArguments().value(0), parser.isSet(demo)};
}

}  // namespace tallomar
