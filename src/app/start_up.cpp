#include "app/start_up.h"

#include "session/globals.h"
#include "platform/text/blanks.h"
#include "platform/ui/dialogs.h"
#include "platform/error.h"
#include "platform/text/windows_path.h"
#include "tooldb/tool_access.h"
#include "tooldb/tool_database.h"

namespace tallomar {

namespace {

QString loadSetting(const char* name) {
    return TrimBlanks(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                                  QStringLiteral("cName='%1'").arg(QLatin1String(name))));
}

}  // namespace

void InitPaths(const QString& applicationFolder) {
    gToolFolder = resolvePackagePath(applicationFolder, QStringLiteral("file"));
    gToolDbPath = resolvePackagePath(gToolFolder, QStringLiteral("ZOL.mdb"));
    gToolDbPassword.clear();
}

bool OpenToolDatabase(const QString& path) {
    if (!FileExists(path)) {
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringLiteral("找不到系统数据库,请与供应商联系!"));
        return false;
    }
    try {
        cnTool = tooldb::ToolDatabase::open(path);
    } catch (const Error& error) {
        showMessage(nullptr, MessageIcon::Exclamation,
                    QStringLiteral("工具数据库已损坏：%1").arg(error.message()));
        return false;
    }
    gServerName = loadSetting("ServerName");
    gUserName = loadSetting("UserName");
    gPassWord = loadSetting("PassWord");
    gZTName = loadSetting("ZTName");
    gYear = loadSetting("Year");
    gSoft = loadSetting("Soft");
    gToolName = loadSetting("ToolName");
    return true;
}

}  // namespace tallomar
