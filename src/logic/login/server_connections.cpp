#include "logic/login/server_connections.h"

#include "logic/login/server_failure_text.h"
#include "platform/odbc/odbc.h"

namespace tallomar {

namespace {

const QString kConnectionFailed = QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！");
const QString kConnectionFailedTitle = QStringLiteral("服务连接出错提示");
const QString kNoAccountSet = QStringLiteral("没有选择帐套，不能登录！");

std::unique_ptr<odbc::Connection> connect(const odbc::ServerLogin& login) {
    return odbc::Connection::open(login, kLoginTimeoutSeconds);
}

// Whether the connection still reaches the server: the driver may know it
// lost the link; otherwise the server must answer a trivial query, since a
// server that went away is noticed only at the next request.
bool answers(odbc::Connection& connection) {
    if (connection.isDead()) return false;
    try {
        odbc::Statement probe(connection);
        probe.setQueryTimeout(kLoginTimeoutSeconds);
        probe.execute(QStringLiteral("SELECT 1"));
        probe.discardResults();
        return true;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace

QString EditionCode(const QString& editionName) {
    static const std::pair<QString, QString> codes[] = {{QStringLiteral("QM"), QStringLiteral("R1")},
                                                        {QStringLiteral("QV"), QStringLiteral("R3")},
                                                        {QStringLiteral("R3"), QStringLiteral("R3")},
                                                        {QStringLiteral("W6"), QStringLiteral("R6")},
                                                        {QStringLiteral("R6"), QStringLiteral("R6")}};
    const QString start = editionName.left(2);
    for (const auto& [prefix, code] : codes)
        if (start == prefix) return code;
    return {};
}

std::optional<EditionRules> EditionRulesFor(const QString& editionCode) {
    if (editionCode == u"R1")
        return EditionRules{QStringLiteral("master"),
                            QStringLiteral("SELECT DBName as cAcc_ID,ZTName as cAcc_Name FROM master..sub_list"),
                            false};
    if (editionCode == u"R3" || editionCode == u"R6")
        return EditionRules{QStringLiteral("QVSystem"), QStringLiteral("SELECT cAcc_ID,cAcc_Name FROM UA_Account"),
                            true};
    return std::nullopt;
}

bool ComboContains(const QStringList& entries, const QString& text) {
    return entries.contains(text, Qt::CaseSensitive);
}

QString AccountIdOf(const QString& accountEntry) {
    const qsizetype close = accountEntry.indexOf(QLatin1Char(']'));
    if (close < 0) return {};
    return accountEntry.mid(1, close - 1);
}

odbc::ServerLogin systemLogin(const Session& session) {
    return {session.gServerName, session.gSystemDatabase, session.gUserName, session.gPassWord};
}

odbc::ServerLogin accountLogin(const Session& session) {
    return {session.gServerName, session.gDatabaseName, session.gUserName, session.gPassWord};
}

odbc::ServerLogin loginTestLogin(const Session& session, const QString& serverText) {
    return {serverText, QString(), session.gUserName, session.gPassWord};
}

ServerConnection OpenServerConnection(const odbc::ServerLogin& login) {
    try {
        return {connect(login), {}};
    } catch (const Error& error) {
        return {nullptr, kConnectionFailed + QLatin1Char('\n') + driverReason(error)};
    }
}

QString ConnectSystemDatabase(Session& session) {
    // The previous connection goes before the new one is tried, so a failed
    // attempt leaves none behind.
    session.cnSystem.reset();
    ServerConnection attempt = OpenServerConnection(systemLogin(session));
    session.cnSystem = std::move(attempt.connection);
    return attempt.failure;
}

QString TestLogin(const odbc::ServerLogin& login) {
    try {
        connect(login);
        return {};
    } catch (const Error& error) {
        return driverReason(error);
    }
}

std::optional<QString> AccountDatabaseName(const QString& editionCode, const QString& accountId, const QString& year) {
    if (editionCode == u"R3" || editionCode == u"R6")
        return QStringLiteral("qvdata_") + accountId + QStringLiteral("_") + year;
    if (editionCode == u"R1") return accountId;
    return std::nullopt;
}

AccountConnection ConnectAccountDatabase(Session& session, const QString& accountEntry, const QString& year,
                                         Prompts& prompts) {
    const std::optional<odbc::ServerLogin> login = PrepareAccountConnection(session, accountEntry, year, prompts);
    if (!login) return AccountConnection::Refused;
    return FinishAccountConnection(session, OpenServerConnection(*login), prompts);
}

std::optional<odbc::ServerLogin> PrepareAccountConnection(Session& session, const QString& accountEntry,
                                                          const QString& year, Prompts& prompts) {
    // Without an account-set entry there is no database to name; opening the
    // login's default database instead would let scripts run in the wrong place.
    if (!accountEntry.contains(QLatin1Char(']'))) {
        prompts.message(MessageIcon::Exclamation, kNoAccountSet);
        return std::nullopt;
    }
    session.gZTName = AccountIdOf(accountEntry);
    // What the run history records and the main window shows: the ledger
    // chosen, not the one saved for preselection.
    session.accountSetEntry = accountEntry;
    session.gYear = year;
    if (const auto database = AccountDatabaseName(EditionCode(session.gSoft), session.gZTName, year))
        session.gDatabaseName = *database;
    // An earlier connection must not outlive a failed new one: scripts
    // would run in the previous database.
    session.cnAccount.reset();
    return accountLogin(session);
}

AccountConnection FinishAccountConnection(Session& session, ServerConnection attempt, Prompts& prompts) {
    session.cnAccount = std::move(attempt.connection);
    if (session.cnAccount) return AccountConnection::Connected;
    prompts.message(MessageIcon::Exclamation, attempt.failure, kConnectionFailedTitle);
    return AccountConnection::Failed;
}

QString ReconnectIfLost(Session& session) {
    if (!session.cnAccount || answers(*session.cnAccount)) return {};
    try {
        session.cnAccount = connect(accountLogin(session));
        return {};
    } catch (const Error& error) {
        // The lost connection stays, so that the next run tries again.
        return kServerUnreachable + QLatin1Char('\n') + driverReason(error);
    }
}

}  // namespace tallomar
