// tallomar-params: opens the parameter window on a package list, named on
// the command line or picked in a file chooser.
#include "parameter_window_start.h"
#include "platform/text/command_line.h"
#include "platform/ui/chinese_ui.h"

#include <QApplication>

namespace {

// The package list named on the command line (empty when none is), or the
// exit status when the program ends here. The command line is read before
// any window system is needed, so that --help works without a display.
std::variant<QString, int> namedPackageList(int argc, char** argv) {
    const QCoreApplication reader(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the parameters of the scripts that a package list names.\n"
                       "\n"
                       "The package list is an INI file: section [File], entries i.1 script file,\n"
                       "i.2 configuration file, i.3 its folder. Each value is written to its script's\n"
                       "configuration file as soon as its cell is left. Without PACKAGE-LIST.ini a file\n"
                       "chooser asks for the package list; cancelling it ends the program with status 1."));
    const std::vector<tallomar::PositionalArgument> positional{
        {QStringLiteral("PACKAGE-LIST.ini"), QStringLiteral("The package list to open."), true}};
    if (const auto status = tallomar::readCommandLine(parser, QCoreApplication::arguments(), positional))
        return *status;
    return parser.positionalArguments().value(0);
}

}  // namespace

int main(int argc, char** argv) {
    const auto request = namedPackageList(argc, argv);
    if (const int* status = std::get_if<int>(&request)) return *status;

    QApplication app(argc, argv);
    tallomar::InstallChineseTranslation(app);
    auto opened = tallomar::OpenParameterWindow(std::get<QString>(request));
    if (const int* status = std::get_if<int>(&opened)) return *status;
    std::get<std::unique_ptr<tallomar::FrmSQLValue>>(opened)->show();
    return app.exec();
}
