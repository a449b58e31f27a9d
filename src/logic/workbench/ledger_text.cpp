#include "logic/workbench/ledger_text.h"

namespace tallomar::texts {

namespace {

// The account set as the login listed it; the id alone where no login did.
QString accountSet(const Session& session) {
    return session.accountSetEntry.isEmpty() ? session.gZTName : session.accountSetEntry;
}

}  // namespace

QString ledgerLine(const Session& session) {
    QStringList parts{QStringLiteral("服务器 ") + session.gServerName};
    if (!accountSet(session).isEmpty()) parts << QStringLiteral("账套 ") + accountSet(session);
    if (!session.gYear.isEmpty()) parts << QStringLiteral("年度 ") + session.gYear;
    parts << QStringLiteral("数据库 ") + session.gDatabaseName;
    return parts.join(QStringLiteral(" · "));
}

QString correctionTarget(const Session& session) {
    QString target = QStringLiteral("将修复 服务器 ") + session.gServerName;
    if (!accountSet(session).isEmpty()) target += QStringLiteral(" 账套 ") + accountSet(session);
    if (!session.gYear.isEmpty()) target += QStringLiteral(" 年度 ") + session.gYear;
    return target + QStringLiteral("（数据库 %1）").arg(session.gDatabaseName);
}

}  // namespace tallomar::texts
