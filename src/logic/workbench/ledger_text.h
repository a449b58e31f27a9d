#pragma once

#include "session/session.h"

#include <QString>

// Which ledger a window acts on, in the operator's words: the server, the
// account set and year as the login named them, and the database.
namespace tallomar::texts {

// "服务器 127.0.0.1,1433 · 账套 [001]华北机械 · 年度 2008 · 数据库 qvdata_001_2008";
// the year is left out when the edition has none.
QString ledgerLine(const Session& session);

// "将修复 服务器 … 账套 … 年度 …（数据库 …）": what a correction changes.
QString correctionTarget(const Session& session);

}  // namespace tallomar::texts
