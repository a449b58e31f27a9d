#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The server's lists the login offers, read from the system database: the
// account sets an edition's query lists and the years of one account set.
// The login window and the sweep over every account set read them alike.
namespace tallomar {

namespace odbc {
class Connection;
}

struct AccountSet {
    QString id;
    QString name;
    // The login list's entry: "[" + id + "]" + name.
    QString entry() const;
};

// The rows of `accountListSql` (columns cAcc_ID and cAcc_Name) on the system
// connection, in the server's order. Throws Error when `system` is absent or
// the query fails.
QList<AccountSet> listAccountSets(odbc::Connection* system, const QString& accountListSql);

// The years of account set `accountId` from UA_Account_sub, ascending, each
// once; the placeholder year 9999 is never listed. Throws Error like
// listAccountSets.
QStringList listYears(odbc::Connection* system, const QString& accountId);

}  // namespace tallomar
