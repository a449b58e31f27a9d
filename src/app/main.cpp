// Start-up: one running copy at a time (a later start brings its window to
// the front, and refuses another package), the tool package (named on the
// command line, beside the executable, or chosen), the saved settings, then
// the login window, which hands the session over to the main window after a
// confirmed login. A start that opens no window ends with a status other
// than 0, unless it brought the running copy forward as asked.
#include "app/later_start.h"
#include "app/package_choice.h"
#include "app/package_location.h"
#include "app/package_opening.h"
#include "app/single_instance.h"
#include "app/start_request.h"
#include "platform/ui/chinese_ui.h"
#include "windows/login/frm_login.h"
#include "windows/workbench/frm_main.h"

#include <QApplication>
#include <chrono>

namespace {

using namespace std::chrono_literals;

// How long a later start waits for the running copy to answer.
constexpr auto kActivationWait = 3s;

// The main window owns the session and deletes itself when closed.
void openMainWindow(std::unique_ptr<tallomar::Session> session) {
    (new tallomar::FrmMain(std::move(session)))->show();
}

// Brings the program's window to the front: an open box first, else the
// first window shown.
void activateProgramWindow() {
    QWidget* target = QApplication::activeModalWidget();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (target) break;
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog)) target = window;
    }
    if (!target) return;
    target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
    target->show();
    target->raise();
    target->activateWindow();
}

}  // namespace

int main(int argc, char** argv) {
    const auto readRequest = tallomar::ReadStartRequest(argc, argv);
    if (const int* status = std::get_if<int>(&readRequest)) return *status;
    const auto& request = std::get<tallomar::StartRequest>(readRequest);
    tallomar::ProvideRuntimeFolder();
    QApplication app(argc, argv);

    tallomar::InstallChineseTranslation(app);

    const QString applicationFolder = QCoreApplication::applicationDirPath();
    tallomar::SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.acquire(activateProgramWindow))
        return tallomar::DeferToRunningCopy(instance, tallomar::NamedPackageFolder(request, applicationFolder),
                                            kActivationWait);

    auto session = tallomar::OpenPackage(request, applicationFolder);
    if (!session) return 1;
    instance.setPackageFolder(session->gToolFolder);
    tallomar::rememberPackageFolder(session->gToolFolder);

    auto* login = new tallomar::FrmLogin(std::move(session), openMainWindow);
    login->setAttribute(Qt::WA_DeleteOnClose);
    login->show();
    return app.exec();
}
