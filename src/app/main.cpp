// Start-up: one running copy at a time, the tool package beside the
// executable, the saved settings, then the login window.
#include "app/globals.h"
#include "app/single_instance.h"
#include "app/start_up.h"

#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Qt's own texts (OK, Cancel, ...) in Chinese, like the rest of the program.
void installChineseTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tallomar"));

    tallomar::SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.acquire()) return 0;

    installChineseTranslation(app);
    tallomar::InitPaths();
    if (!tallomar::OpenToolDatabase(tallomar::gToolDbPath)) return 0;

    QLabel placeholder(QStringLiteral("%1\n%2").arg(tallomar::gToolName, tallomar::gToolFolder));
    placeholder.setAttribute(Qt::WA_DeleteOnClose, false);
    placeholder.show();
    return app.exec();
}
