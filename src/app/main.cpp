// Start-up: one running copy at a time, the tool package beside the
// executable, the saved settings, then the login window, which hands over
// to the main window after a confirmed login.
#include "session/globals.h"
#include "app/single_instance.h"
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
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tallomar"));

    tallomar::SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.acquire()) return 0;

    tallomar::InstallChineseTranslation(app);
    tallomar::InitPaths();
    if (!tallomar::OpenToolDatabase(tallomar::gToolDbPath)) return 0;

    auto* login = new tallomar::FrmLogin(openMainWindow);
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    return app.exec();
}
