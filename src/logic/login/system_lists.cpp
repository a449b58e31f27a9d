#include "logic/login/system_lists.h"

#include "platform/error.h"
#include "platform/odbc/odbc.h"
#include "platform/text/sql_quoting.h"
#include "tooldb/tool_access.h"

#include <algorithm>

namespace tallomar {

namespace {

int columnNamed(const odbc::Statement& statement, const QString& name) {
    for (int column = 0; column < statement.columnCount(); ++column)
        if (statement.columnName(column).compare(name, Qt::CaseInsensitive) == 0) return column;
    throw Error(QStringLiteral("查询结果缺少列 %1").arg(name));
}

// Runs `sql` on the system connection and gives the text of the named
// columns of every row.
QList<QStringList> systemRows(odbc::Connection* system, const QString& sql, const QStringList& names) {
    if (!system) throw Error(QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！"));
    odbc::Statement statement(*system);
    statement.execute(sql);
    QList<int> columns;
    for (const QString& name : names) columns << columnNamed(statement, name);
    QList<QStringList> rows;
    while (statement.fetch()) {
        // Values are read in ascending column order, as the driver streams them.
        QList<std::pair<int, int>> order;
        for (int i = 0; i < columns.size(); ++i) order << std::pair{columns[i], i};
        std::sort(order.begin(), order.end());
        QStringList row(names.size());
        for (const auto& [column, slot] : order) row[slot] = statement.text(column).value_or(QString());
        rows << row;
    }
    return rows;
}

}  // namespace

QString AccountSet::entry() const {
    return QStringLiteral("[%1]%2").arg(id, name);
}

QList<AccountSet> listAccountSets(odbc::Connection* system, const QString& accountListSql) {
    QList<AccountSet> sets;
    for (const QStringList& row :
         systemRows(system, accountListSql, {QStringLiteral("cAcc_ID"), QStringLiteral("cAcc_Name")}))
        sets << AccountSet{row[0], row[1]};
    return sets;
}

QStringList listYears(odbc::Connection* system, const QString& accountId) {
    const QString sql =
        QStringLiteral("Select DISTINCT iYear From UA_Account_sub Where cAcc_ID=%1 and iYear<>'9999' Order by iYear")
            .arg(sqlText(accountId));
    QStringList years;
    for (const QStringList& row : systemRows(system, sql, {QStringLiteral("iYear")})) years << row[0];
    return years;
}

}  // namespace tallomar
