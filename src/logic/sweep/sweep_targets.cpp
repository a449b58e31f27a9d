#include "logic/sweep/sweep_targets.h"

#include "logic/login/server_connections.h"
#include "logic/login/system_lists.h"
#include "platform/error.h"
#include "platform/odbc/odbc.h"

namespace tallomar {

QString SweepTarget::accountEntry() const {
    return AccountSet{accountId, accountName}.entry();
}

QList<SweepTarget> listSweepTargets(const Session& login) {
    const QString code = EditionCode(login.gSoft);
    const std::optional<EditionRules> rules = EditionRulesFor(code);
    if (!rules) throw Error(QStringLiteral("edition \"%1\" names no account-set database").arg(login.gSoft));

    Session system;
    system.gServerName = login.gServerName;
    system.gUserName = login.gUserName;
    system.gPassWord = login.gPassWord;
    system.gSystemDatabase = rules->systemDatabase;
    std::unique_ptr<odbc::Connection> connection;
    try {
        connection = odbc::Connection::open(systemLogin(system), kLoginTimeoutSeconds);
    } catch (const Error& error) {
        throw Error(QStringLiteral("%1 on %2: %3").arg(rules->systemDatabase, login.gServerName, error.message()));
    }

    QList<SweepTarget> targets;
    for (const AccountSet& set : listAccountSets(connection.get(), rules->accountListSql)) {
        const QStringList years = rules->hasYears ? listYears(connection.get(), set.id) : QStringList{QString()};
        for (const QString& year : years)
            targets << SweepTarget{AccountDatabaseName(code, set.id, year).value(), set.id, set.name, year};
    }
    return targets;
}

QList<SweepTarget> chooseSweepTargets(const QList<SweepTarget>& listed, const std::optional<QStringList>& accountIds,
                                      const std::optional<QStringList>& years) {
    const auto refuseUnknown = [&](const QStringList& wanted, auto valueOf, const QString& what) {
        for (const QString& value : wanted) {
            if (std::none_of(listed.begin(), listed.end(), [&](const SweepTarget& t) { return valueOf(t) == value; }))
                throw Error(QStringLiteral("no account-set database on the server has %1 %2").arg(what, value));
        }
    };
    if (accountIds)
        refuseUnknown(
            *accountIds, [](const SweepTarget& t) { return t.accountId; }, QStringLiteral("account set"));
    if (years)
        refuseUnknown(
            *years, [](const SweepTarget& t) { return t.year; }, QStringLiteral("year"));
    QList<SweepTarget> chosen;
    for (const SweepTarget& target : listed) {
        if (accountIds && !accountIds->contains(target.accountId)) continue;
        if (years && !years->contains(target.year)) continue;
        chosen << target;
    }
    return chosen;
}

}  // namespace tallomar
