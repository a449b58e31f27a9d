#include "app/later_start.h"

#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace tallomar {

namespace {

// A folder as it can be compared with another naming the same folder: through
// links and without "..", when it exists.
QString comparableFolder(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString refusalText(const QString& runningPackage, const QString& namedPackage) {
    const QString named = QDir::toNativeSeparators(namedPackage);
    if (runningPackage.isEmpty())
        return QStringLiteral(
                   "Tallomar 已在运行，还没有打开工具包。\n要打开 %1，请在正在运行的 Tallomar 中选择这个文件夹。")
            .arg(named);
    return QStringLiteral(
               "Tallomar 已在运行，打开的工具包是：\n%1\n\n一次只能打开一个工具包。要打开 %2，请先关闭正在运行的 "
               "Tallomar。")
        .arg(QDir::toNativeSeparators(runningPackage), named);
}

}  // namespace

int DeferToRunningCopy(const SingleInstance& instance, const QString& namedPackage, std::chrono::milliseconds wait) {
    const std::optional<QString> runningPackage = instance.activateRunningCopy(wait);
    if (!runningPackage) {
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringLiteral("Tallomar 已在运行，但没有响应，无法把它的窗口切换到前面。"));
        return 1;
    }
    if (namedPackage.isEmpty()) return 0;
    if (!runningPackage->isEmpty() && comparableFolder(*runningPackage) == comparableFolder(namedPackage)) return 0;
    showMessage(nullptr, MessageIcon::Exclamation, refusalText(*runningPackage, namedPackage));
    return 1;
}

}  // namespace tallomar
