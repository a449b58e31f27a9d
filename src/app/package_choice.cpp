#include "app/package_choice.h"

#include "app/package_location.h"
#include "platform/error.h"
#include "platform/ui/dialogs.h"
#include "windows/workbench/pick_folder.h"

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

QString NamedPackageFolder(const StartRequest& request, const QString& applicationFolder) {
    if (!request.packageFolder.isEmpty()) return packageFolderNamedBy(request.packageFolder);
    if (request.demo) return userDemoFolder();
    return bundledPackageFolder(applicationFolder);
}

QString ChoosePackageFolder(const StartRequest& request, const QString& applicationFolder) {
    if (request.demo) return demoPackage(applicationFolder);
    const QString named = NamedPackageFolder(request, applicationFolder);
    return named.isEmpty() ? PickPackageFolder(QString()) : named;
}

QString PickPackageFolder(const QString& startFolder) {
    const QStringList recent = recentPackageFolders();
    return PickFolder(nullptr, QStringLiteral("请选择工具包所在的文件夹（其中有 ZOL.mdb）"),
                      startFolder.isEmpty() ? recent.value(0) : startFolder, recent);
}

}  // namespace tallomar
