// Start-up: one running copy at a time, the tool package (named on the
// command line, beside the executable, or chosen), the saved settings, then
// the login window, which hands over to the main window after a confirmed
// login.
#include "session/globals.h"
#include "app/package_choice.h"
#include "app/package_location.h"
#include "app/single_instance.h"
#include "app/start_request.h"
#include "app/start_up.h"
#include "windows/login/frm_login.h"
#include "platform/ui/chinese_ui.h"
#include "windows/workbench/frm_main.h"

#include <QApplication>

namespace {

// The main window deletes itself when closed.
void openMainWindow() { (new tallomar::FrmMain())->show(); }

}  // namespace

int main(int argc, char** argv) {
    const auto request = tallomar::ReadStartRequest(argc, argv);
    if (const int* status = std::get_if<int>(&request)) return *status;
    tallomar::ProvideRuntimeFolder();
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tallomar"));

    tallomar::SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.acquire()) return 0;

    tallomar::InstallChineseTranslation(app);
    const QString package =
        tallomar::ChoosePackageFolder(std::get<tallomar::StartRequest>(request), QCoreApplication::applicationDirPath());
    if (package.isEmpty()) return 0;
    tallomar::InitPaths(package);
    if (!tallomar::OpenToolDatabase(tallomar::gToolDbPath)) return 0;
    tallomar::rememberPackageFolder(package);

    auto* login = new tallomar::FrmLogin(openMainWindow);
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    return app.exec();
}
