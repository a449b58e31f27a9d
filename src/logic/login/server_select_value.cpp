#include "logic/login/server_select_value.h"

#include "platform/odbc/odbc.h"
#include "tooldb/tool_access.h"

namespace tallomar {

QString SelectValue(const QString& field, const QString& table, const QString& condition,
                    odbc::Connection& connection) {
    try {
        odbc::Statement statement(connection);
        statement.execute(selectValueStatement(field, table, condition));
        // Row counts of statements before the select carry no value.
        while (statement.columnCount() == 0)
            if (!statement.nextResult()) return {};
        const QString value = statement.fetch() ? statement.text(0).value_or(QString()) : QString();
        // Reading the batch to its end leaves the connection free for the next statement.
        while (statement.fetch()) {}
        statement.discardResults();
        return value;
    } catch (const Error&) {
        return {};
    }
}

}  // namespace tallomar
