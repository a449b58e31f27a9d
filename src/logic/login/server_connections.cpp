#include "logic/login/server_connections.h"

#include "platform/odbc/odbc.h"

namespace tallomar {

namespace {

const QString kConnectionFailed = QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！");
const QString kConnectionFailedTitle = QStringLiteral("服务连接出错提示");
const QString kNoAccountSet = QStringLiteral("没有选择帐套，不能登录！");

std::unique_ptr<odbc::Connection> connect(const QString& connectionText) {
    return odbc::Connection::open(odbc::driverConnectionString(connectionText), kLoginTimeoutSeconds);
}

}  // namespace

QString EditionCode(const QString& editionName) {
    static const std::pair<QString, QString> codes[] = {
        {QStringLiteral("QM"), QStringLiteral("R1")}, {QStringLiteral("QV"), QStringLiteral("R3")},
        {QStringLiteral("R3"), QStringLiteral("R3")}, {QStringLiteral("W6"), QStringLiteral("R6")},
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

QString systemConnectionText(const Session& session) {
    return QStringLiteral("Driver={SQL Server};Server=") + session.gServerName + QStringLiteral(";Uid=") +
           session.gUserName + QStringLiteral(";Pwd=") + session.gPassWord + QStringLiteral(";Database=") +
           session.gSystemDatabase;
}

QString accountConnectionText(const Session& session) {
    return QStringLiteral("Provider=SQLOLEDB;") + QStringLiteral("Server=") + session.gServerName +
           QStringLiteral(";") + QStringLiteral("Database=") + session.gDatabaseName + QStringLiteral(";") +
           QStringLiteral("Uid=") + session.gUserName + QStringLiteral(";") + QStringLiteral("Pwd=") +
           session.gPassWord + QStringLiteral(";");
}

QString loginTestConnectionText(const Session& session, const QString& serverText) {
    return QStringLiteral("Driver={SQL Server};Server=") + serverText + QStringLiteral(";Uid=") +
           session.gUserName + QStringLiteral(";Pwd=") + session.gPassWord;
}

SystemConnection OpenSystemConnection(const QString& connectionText) {
    try {
        return {connect(connectionText), {}};
    } catch (const Error&) {
        return {nullptr, kConnectionFailed};
    }
}

QString ConnectSystemDatabase(Session& session) {
    // The previous connection goes before the new one is tried, so a failed
    // attempt leaves none behind.
    session.cnSystem.reset();
    SystemConnection attempt = OpenSystemConnection(systemConnectionText(session));
    session.cnSystem = std::move(attempt.connection);
    return attempt.failure;
}

bool TestLogin(const Session& session, const QString& serverText) {
    try {
        connect(loginTestConnectionText(session, serverText));
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::optional<QString> AccountDatabaseName(const QString& editionCode, const QString& accountId,
                                           const QString& year) {
    if (editionCode == u"R3" || editionCode == u"R6")
        return QStringLiteral("qvdata_") + accountId + QStringLiteral("_") + year;
    if (editionCode == u"R1") return accountId;
    return std::nullopt;
}

AccountConnection ConnectAccountDatabase(Session& session, const QString& accountEntry, const QString& year,
                                         Prompts& prompts) {
    // Without an account-set entry there is no database to name; opening the
    // login's default database instead would let scripts run in the wrong place.
    if (!accountEntry.contains(QLatin1Char(']'))) {
        prompts.message(MessageIcon::Exclamation, kNoAccountSet);
        return AccountConnection::Refused;
    }
    session.gZTName = AccountIdOf(accountEntry);
    if (const auto database = AccountDatabaseName(EditionCode(session.gSoft), session.gZTName, year))
        session.gDatabaseName = *database;

    session.cnAccount.reset();
    try {
        session.cnAccount = connect(accountConnectionText(session));
        return AccountConnection::Connected;
    } catch (const Error&) {
        prompts.message(MessageIcon::Exclamation, kConnectionFailed, kConnectionFailedTitle);
        return AccountConnection::Failed;
    }
}

}  // namespace tallomar
