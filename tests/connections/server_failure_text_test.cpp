// The operator's words for the common failures of reaching the server, each
// made to happen against the sandbox server: a Chinese first line, then the
// driver's text without its tags.
#include "logic/login/server_failure_text.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <functional>

using namespace tallomar;
using namespace std::chrono_literals;

namespace {

odbc::ServerLogin sandboxLogin(const test::SandboxServer& sandbox, const QString& password) {
    return {sandbox.serverName(), QStringLiteral("master"), QString::fromLatin1(test::SandboxServer::User), password};
}

// The error `action` fails with; none when it succeeds.
std::optional<odbc::Error> failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const odbc::Error& error) {
        return error;
    }
    return std::nullopt;
}

// Runs `sql` on a fresh connection to the sandbox.
void runOn(test::SandboxServer& sandbox, const QString& sql, int timeoutSeconds = 0) {
    auto connection =
        odbc::Connection::open(sandboxLogin(sandbox, QString::fromLatin1(test::SandboxServer::Password)), 5);
    odbc::Statement statement(*connection);
    statement.setQueryTimeout(timeoutSeconds);
    statement.execute(sql);
    statement.discardResults();
}

}  // namespace

TEST(ServerFailureText, EachCommonFailureGetsItsChineseFirstLineAndTheDriversWordsWithoutTags) {
    test::SandboxServer sandbox(test::SandboxServer::Data::Empty);
    struct Case {
        const char* what;
        std::function<void()> action;
        QString firstLine;
        QString driverWords;  // the second line on
    };
    const Case cases[] = {
        {"a wrong password", [&] { odbc::Connection::open(sandboxLogin(sandbox, QStringLiteral("wrong")), 5); },
         kLoginRefused, QStringLiteral("Login failed for user 'sa'.\nUnable to connect to data source")},
        {"nothing listening",
         [] {
             odbc::Connection::open(odbc::ServerLogin{QStringLiteral("127.0.0.1,1"), {}, QStringLiteral("sa"), {}}, 5);
         },
         kServerUnreachable,
         QStringLiteral("Unable to connect: Adaptive Server is unavailable or does not exist\n"
                        "Unable to connect to data source")},
        {"the server dropping the connection",
         [&] {
             sandbox.server().armFault(sandbox::Fault::dropAtBatch(1).whenBatchContains("dropped here"));
             runOn(sandbox, QStringLiteral("select 'dropped here'"));
         },
         kServerUnreachable, QStringLiteral("Unexpected EOF from the server")},
        {"a connection the server dropped, used again",
         [&] {
             auto connection =
                 odbc::Connection::open(sandboxLogin(sandbox, QString::fromLatin1(test::SandboxServer::Password)), 5);
             sandbox.server().armFault(sandbox::Fault::dropAtBatch(1).whenBatchContains("dropped again"));
             for (int attempt = 0; attempt < 2; ++attempt) {
                 odbc::Statement statement(*connection);
                 try {
                     statement.execute(QStringLiteral("select 'dropped again'"));
                 } catch (const odbc::Error&) {
                     if (attempt == 1) throw;
                 }
             }
         },
         kServerUnreachable, QStringLiteral("Communication link failure")},
        {"a batch outlasting its timeout",
         [&] {
             sandbox.server().armFault(sandbox::Fault::delayBatch(1, 5s).whenBatchContains("slow here"));
             runOn(sandbox, QStringLiteral("select 'slow here'"), 1);
         },
         kServerTimedOut, QStringLiteral("Timeout expired\nOperation was cancelled")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<odbc::Error> error = failureOf(c.action);
        ASSERT_TRUE(error.has_value()) << "nothing failed";
        EXPECT_TRUE(error->message().startsWith(QLatin1String("[FreeTDS][SQL Server]")))
            << error->message().toStdString();
        EXPECT_EQ(serverFailureText(*error), c.firstLine + QLatin1Char('\n') + c.driverWords)
            << error->sqlState().toStdString() << " " << error->message().toStdString();
    }
}

TEST(ServerFailureText, AScriptsOwnErrorKeepsTheDriversText) {
    test::SandboxServer sandbox(test::SandboxServer::Data::Empty);
    const std::optional<odbc::Error> error =
        failureOf([&] { runOn(sandbox, QStringLiteral("select * from no_such_table")); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(serverFailureText(*error), QStringLiteral("[FreeTDS][SQL Server]Invalid object name 'no_such_table'."));
}

TEST(ServerFailureText, TagsComeOffTheFrontOfEachLineOnly) {
    EXPECT_EQ(withoutDriverTags(QStringLiteral("[unixODBC][Driver Manager]Data source name not found\n"
                                               "[FreeTDS][SQL Server][001] a server text in brackets\n"
                                               "[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Login failed")),
              QStringLiteral("Data source name not found\n[001] a server text in brackets\nLogin failed"));
    EXPECT_EQ(withoutDriverTags(QStringLiteral("no tags [FreeTDS]")), QStringLiteral("no tags [FreeTDS]"));
}
