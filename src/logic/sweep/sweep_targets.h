#pragma once

#include "session/session.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tallomar {

// One account-set database of a sweep: where the check runs.
struct SweepTarget {
    QString database;  // named as the login names it
    QString accountId;
    QString accountName;
    QString year;  // empty for an edition without years

    // The login list's entry of the account set: "[" + id + "]" + name.
    QString accountEntry() const;
};

// Every account-set database of the session's edition (gSoft) on its server,
// listed as the login window lists them: the edition's account-set query on
// its system database, then each account set's years (9999 never), and each
// database named from edition, account set and year. Opens a system
// connection of its own; the session is not changed. Throws Error naming the
// edition, the system database or the query that failed.
QList<SweepTarget> listSweepTargets(const Session& login);

// The targets whose account set is one of `accountIds` and whose year is one
// of `years` (nothing: every one), in listed order; none when no listed
// database has both. Throws Error naming an account set or a year that no
// listed database has.
QList<SweepTarget> chooseSweepTargets(const QList<SweepTarget>& listed, const std::optional<QStringList>& accountIds,
                                      const std::optional<QStringList>& years);

}  // namespace tallomar
