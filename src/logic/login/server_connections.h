#pragma once

#include "logic/prompts.h"
#include "session/session.h"

#include <QString>
#include <QStringList>
#include <optional>

// The edition rules and the three ways the program reaches the server: the
// login test, the session's system connection cnSystem (login lists) and
// its account-set connection cnAccount (every script runs there).
namespace tallomar {

// "R1", "R3", "R6" or empty, from the first two characters of a software
// edition name, compared case-sensitively.
QString EditionCode(const QString& editionName);

// What an edition decides: the system database, the query listing its
// account sets and whether account sets have years.
struct EditionRules {
    QString systemDatabase;
    QString accountListSql;
    bool hasYears = false;
};
// The rules of an edition code; none for the empty code (and anything
// unknown), which changes nothing.
std::optional<EditionRules> EditionRulesFor(const QString& editionCode);

// True when one of the entries equals `text` exactly (case-sensitively).
bool ComboContains(const QStringList& entries, const QString& text);

// The account-set id of an account-set entry "[id]name": the characters from
// the second up to the first "]"; empty when the entry has no "]".
QString AccountIdOf(const QString& accountEntry);

// The account-set database of account set `accountId` in `year` for an
// edition: "qvdata_<id>_<year>" for R3 and R6, the id itself for R1;
// nothing for an edition without rules.
std::optional<QString> AccountDatabaseName(const QString& editionCode, const QString& accountId, const QString& year);

// Where and as whom each connection logs in, from the session's values:
// cnSystem on gSystemDatabase, cnAccount on gDatabaseName, and the login
// test on the server box's text and the login's default database.
odbc::ServerLogin systemLogin(const Session& session);
odbc::ServerLogin accountLogin(const Session& session);
odbc::ServerLogin loginTestLogin(const Session& session, const QString& serverText);

// Seconds a connection attempt waits for the server before giving up.
inline constexpr int kLoginTimeoutSeconds = 15;

// One attempt to reach the server: the connection, or the failure text for
// the operator: "可能由于服务器断开或设置不正确,未能连接服务器,请查看！" and
// on a second line the driver's reason, which tells a refused login from a
// server that cannot be reached.
struct ServerConnection {
    std::unique_ptr<odbc::Connection> connection;
    QString failure;
};
// Opens a connection for `login`. It touches no session, so it may run on a
// thread of its own; the connection then belongs to the thread that takes it.
ServerConnection OpenServerConnection(const odbc::ServerLogin& login);

// Makes cnSystem on gSystemDatabase on the calling thread. Empty text on
// success; otherwise the failure text for the login window's status line,
// and cnSystem is absent.
QString ConnectSystemDatabase(Session& session);

// Empty text when the server accepts `login` (see loginTestLogin);
// otherwise the driver's reason. The test connection is closed at once. It
// touches no session, so it may run on a thread of its own.
QString TestLogin(const odbc::ServerLogin& login);

enum class AccountConnection {
    Connected,  // cnAccount is open on gDatabaseName
    Failed,     // the warning was shown; cnAccount is absent and the login goes on
    Refused,    // no account set is selected: a message was shown, nothing changed, the login stops
};
// Sets gZTName and gDatabaseName from the selected account-set entry and year
// (by the edition of gSoft) and makes cnAccount on the calling thread,
// telling the operator through `prompts` what went wrong.
AccountConnection ConnectAccountDatabase(Session& session, const QString& accountEntry, const QString& year,
                                         Prompts& prompts);
// ConnectAccountDatabase in the three parts a window runs apart, the
// connection off its thread: the names, and the login to open (none when
// the login is refused, after saying so); the attempt, OpenServerConnection;
// and taking its outcome into the session (a failure shown as the warning).
std::optional<odbc::ServerLogin> PrepareAccountConnection(Session& session, const QString& accountEntry,
                                                          const QString& year, Prompts& prompts);
AccountConnection FinishAccountConnection(Session& session, ServerConnection attempt, Prompts& prompts);

// Before a run: when cnAccount has lost the server (the driver says so, or
// a trivial query fails), opens it again once with the session's values.
// Empty text when cnAccount is usable, or absent (the run then says so);
// otherwise the operator's text: the server cannot be reached, then the
// driver's words; the lost connection stays for the next attempt.
QString ReconnectIfLost(Session& session);

}  // namespace tallomar
