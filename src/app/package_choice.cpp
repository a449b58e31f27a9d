#include "app/package_choice.h"

#include "app/package_location.h"
#include "platform/error.h"
#include "platform/ui/dialogs.h"
#include "windows/workbench/pick_folder.h"

#include <QFileInfo>

namespace tallomar {

namespace {

QString demoPackage(const QString& applicationFolder) {
    const QString installed = installedDemoPackage(applicationFolder);
    if (installed.isEmpty()) {
        showMessage(nullptr, MessageIcon::Exclamation, QStringLiteral("找不到随程序安装的演示工具包。"));
        return {};
    }
    try {
        return userDemoPackage(installed);
    } catch (const Error& error) {
        showMessage(nullptr, MessageIcon::Exclamation, QStringLiteral("无法复制演示工具包：%1").arg(error.message()));
        return {};
    }
}

}  // namespace

QString ChoosePackageFolder(const StartRequest& request, const QString& applicationFolder) {
    if (!request.packageFolder.isEmpty()) return QFileInfo(request.packageFolder).absoluteFilePath();
    if (request.demo) return demoPackage(applicationFolder);
    const QString bundled = bundledPackageFolder(applicationFolder);
    if (!bundled.isEmpty()) return bundled;
    const QStringList recent = recentPackageFolders();
    return PickFolder(nullptr, QStringLiteral("请选择工具包所在的文件夹（其中有 ZOL.mdb）"), recent.value(0), recent);
}

}  // namespace tallomar
