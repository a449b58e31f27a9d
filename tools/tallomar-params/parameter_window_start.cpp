#include "parameter_window_start.h"

#include "logic/params/package_list.h"
#include "platform/error.h"
#include "platform/ui/dialogs.h"

#include <QFileDialog>
#include <cstdio>

namespace tallomar {

namespace {

void sayOnStderr(const QString& message) {
    std::fprintf(stderr, "tallomar-params: %s\n", message.toUtf8().constData());
}

// The package list picked in a file chooser; empty when it is cancelled.
QString choosePackageList() {
    QFileDialog chooser(nullptr, QStringLiteral("选择脚本列表"), QString(),
                        QStringLiteral("脚本列表 (*.ini *.INI);;所有文件 (*)"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    if (Dialogs::current().exec(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
    return chooser.selectedFiles().constFirst();
}

}  // namespace

std::variant<std::unique_ptr<FrmSQLValue>, int> OpenParameterWindow(const QString& namedList) {
    const QString listPath = namedList.isEmpty() ? choosePackageList() : namedList;
    if (listPath.isEmpty()) {
        sayOnStderr(QStringLiteral("no package list chosen"));
        return kExitNoWindow;
    }
    try {
        return std::make_unique<FrmSQLValue>(OpenPackageList(listPath));
    } catch (const Error& error) {
        sayOnStderr(error.message());
        showMessage(nullptr, MessageIcon::Critical, error.message());
        return kExitNoWindow;
    }
}

}  // namespace tallomar
