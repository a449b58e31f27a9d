// Opens the parameter window on the package list named on the command line.
#include "windows/params/frm_sql_value.h"
#include "logic/params/package_list.h"
#include "platform/ui/chinese_ui.h"
#include "platform/ui/dialogs.h"
#include "platform/error.h"

#include <QApplication>
#include <cstdio>

namespace {

int refuse(const QString& message) {
    std::fprintf(stderr, "tallomar-params: %s\n", qPrintable(message));
    tallomar::showMessage(nullptr, tallomar::MessageIcon::Critical, message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tallomar"));
    tallomar::InstallChineseTranslation(app);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return refuse(QStringLiteral("用法：tallomar-params 脚本列表.ini"));
    try {
        tallomar::OpenPackageList(arguments[1]);
    } catch (const tallomar::Error& error) {
        return refuse(error.message());
    }
    tallomar::FrmSQLValue window;
    window.show();
    return app.exec();
}
