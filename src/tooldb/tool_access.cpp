#include "tooldb/tool_access.h"

#include "platform/error.h"

namespace tallomar {

QString selectValueStatement(const QString& field, const QString& table, const QString& condition) {
    QString statement = QStringLiteral("select ") + field + QStringLiteral(" from ") + table;
    if (condition.isEmpty()) return statement + QStringLiteral(" where 1=1 ");
    return statement + QStringLiteral(" where 1=1 and ") + condition;
}

QString SelectValue(const QString& field, const QString& table, const QString& condition,
                    const tooldb::ToolDatabase& database) {
    try {
        const tooldb::Recordset result = database.query(selectValueStatement(field, table, condition));
        if (result.rows.empty()) return {};
        const QVariant value = result.value(0, field);
        return value.isValid() ? value.toString() : QString();
    } catch (const Error&) {
        return {};
    }
}

tooldb::Recordset OpenRecordset(const QString& sql, const tooldb::ToolDatabase& database) {
    return database.query(sql);
}

bool ExecuteToolSQL(tooldb::ToolDatabase& database, const QString& sql) {
    database.execute(sql);
    return true;
}

}  // namespace tallomar
