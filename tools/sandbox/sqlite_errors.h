#pragma once

#include "sandbox/tds_tokens.h"
#include "sandbox/tsql_translator.h"

#include <string>

// SQLite's failures told the way SQL Server tells them (number and text), so
// that clients meet the messages they would meet on a real server.
namespace tallomar::sandbox {

ServerMessage serverMessageFor(const std::string& sqliteMessage, const TsqlStatement& statement);

}  // namespace tallomar::sandbox
