#include "session/globals.h"

#include "platform/odbc/odbc.h"
#include "tooldb/tool_database.h"

namespace tallomar {

QString gToolFolder;
QString gToolDbPath;
QString gToolDbPassword;
QString gServerName;
QString gUserName;
QString gPassWord;
QString gZTName;
QString gYear;
QString gSoft;
QString gToolName;
QString gSystemDatabase;
QString gAccountListSQL;
QString gDatabaseName;
std::unique_ptr<odbc::Connection> cnSystem;
std::unique_ptr<odbc::Connection> cnAccount;

void ResetProcessValues() {
    for (QString* value : {&gToolFolder, &gToolDbPath, &gToolDbPassword, &gServerName,
                           &gUserName, &gPassWord, &gZTName, &gYear, &gSoft, &gToolName,
                           &gSystemDatabase, &gAccountListSQL, &gDatabaseName})
        value->clear();
    cnAccount.reset();
    cnSystem.reset();
    cnTool.reset();
}

}  // namespace tallomar
