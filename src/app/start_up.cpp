#include "app/start_up.h"

#include "logic/failure_text.h"
#include "platform/error.h"
#include "platform/text/blanks.h"
#include "platform/text/windows_path.h"
#include "platform/ui/dialogs.h"
#include "tooldb/tool_access.h"
#include "tooldb/tool_database.h"

namespace tallomar {

namespace {

QString loadSetting(const tooldb::ToolDatabase& database, const char* name) {
    return TrimBlanks(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                                  QStringLiteral("cName='%1'").arg(QLatin1String(name)), database));
}

}  // namespace

void InitPaths(Session& session, const QString& packageFolder) {
    session.gToolFolder = packageFolder;
    session.gToolDbPath = resolvePackagePath(session.gToolFolder, QStringLiteral("ZOL.mdb"));
}

bool OpenToolDatabase(Session& session, const QString& path) {
    if (!FileExists(path)) {
        showMessage(nullptr, MessageIcon::Exclamation, QStringLiteral("找不到系统数据库,请与供应商联系!"));
        return false;
    }
    try {
        session.cnTool = tooldb::ToolDatabase::open(path);
    } catch (const Error& error) {
        showMessage(nullptr, MessageIcon::Exclamation, operatorText(error, path));
        return false;
    }
    const tooldb::ToolDatabase& database = *session.cnTool;
    session.gServerName = loadSetting(database, "ServerName");
    session.gUserName = loadSetting(database, "UserName");
    session.gPassWord = loadSetting(database, "PassWord");
    session.gZTName = loadSetting(database, "ZTName");
    session.gYear = loadSetting(database, "Year");
    session.gSoft = loadSetting(database, "Soft");
    session.gToolName = loadSetting(database, "ToolName");
    return true;
}

}  // namespace tallomar
