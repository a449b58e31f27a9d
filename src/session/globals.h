#pragma once

#include "tooldb/tool_access.h"

#include <QString>
#include <memory>

namespace tallomar {

namespace tooldb { class ToolDatabase; }
namespace odbc { class Connection; }

// Process-wide values: set at start-up and by the login, read by the
// workbench; they live until the process ends.

// Paths of the tool package.
extern QString gToolFolder;      // application folder + "/file"
extern QString gToolDbPath;      // gToolFolder + "/ZOL.mdb"
extern QString gToolDbPassword;  // always empty: the tool database has no password

// Saved settings, trimmed of blanks when loaded.
extern QString gServerName;
extern QString gUserName;
extern QString gPassWord;
extern QString gZTName;
extern QString gYear;
extern QString gSoft;
extern QString gToolName;

// Values derived from the chosen edition, account set and year.
extern QString gSystemDatabase;
extern QString gAccountListSQL;
extern QString gDatabaseName;

// Connections: the tool database, the server's system database (login lists
// only) and the chosen account-set database (every script runs there).
// An absent connection is a null pointer.
// cnTool is declared in tooldb/tool_access.h.
extern std::unique_ptr<odbc::Connection> cnSystem;
extern std::unique_ptr<odbc::Connection> cnAccount;

// Puts every value back to its start-up state (tests run many start-ups in one process).
void ResetProcessValues();

}  // namespace tallomar
