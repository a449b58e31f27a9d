#pragma once

#include "tooldb/tool_database.h"

#include <QString>

// The read and write helpers through which all tool-database access goes.
namespace tallomar {

// "select " + field + " from " + table + " where 1=1 and " + condition, or
// " where 1=1 " when the condition is empty. Shared with the server form of
// SelectValue.
QString selectValueStatement(const QString& field, const QString& table, const QString& condition);

// One value as text: the first row's `field`, or empty text for no row, a
// NULL or any failure. Never fails visibly.
QString SelectValue(const QString& field, const QString& table, const QString& condition,
                    const tooldb::ToolDatabase& database);

// Runs a SELECT on the tool database; failures reach the caller as Error.
tooldb::Recordset OpenRecordset(const QString& sql, const tooldb::ToolDatabase& database);

// Runs a statement on the tool database; failures (including a failed save)
// reach the caller as Error. Returns true.
bool ExecuteToolSQL(tooldb::ToolDatabase& database, const QString& sql);

}  // namespace tallomar
