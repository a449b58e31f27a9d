// Logging in to the sandbox server through unixODBC and the FreeTDS driver.
#include "odbc_client.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>

namespace tallomar::test {
namespace {

std::string connectionText(const SandboxServer& sandbox, const std::string& user, const std::string& password,
                           const std::string& database) {
    return QStringLiteral("Driver=%1;Server=127.0.0.1;Port=%2;UID=%3;PWD=%4;Database=%5;TDS_Version=7.4")
        .arg(freeTdsDriverPath())
        .arg(sandbox.port())
        .arg(QString::fromStdString(user), QString::fromStdString(password), QString::fromStdString(database))
        .toStdString();
}

TEST(SandboxLogin, AcceptsTheConfiguredLoginAndStartsInTheRequestedDatabase) {
    SandboxServer sandbox;
    OdbcClient client(sandbox.odbcConnectionString(QStringLiteral("QVSystem")).toStdString());
    ASSERT_TRUE(client.connected()) << client.error();
    const auto batch = client.run("select cAcc_ID, cAcc_Name from UA_Account order by cAcc_ID");
    ASSERT_FALSE(batch.failed()) << batch.firstError();
    ASSERT_EQ(batch.results.size(), 1u);
    ASSERT_EQ(batch.results[0].rows.size(), 5u);
    EXPECT_EQ(batch.results[0].rows[0][0], "001");
    EXPECT_EQ(batch.results[0].rows[0][1], "华北机械制造有限公司");
}

TEST(SandboxLogin, RefusesAWrongPasswordWithLoginFailed) {
    SandboxServer sandbox;
    OdbcClient client(connectionText(sandbox, "sa", "wrong", "master"));
    EXPECT_FALSE(client.connected());
    EXPECT_NE(client.error().find("Login failed for user 'sa'."), std::string::npos) << client.error();
}

TEST(SandboxLogin, RefusesAnUnknownUser) {
    SandboxServer sandbox;
    OdbcClient client(connectionText(sandbox, "operator", "Sandbox#1", "master"));
    EXPECT_FALSE(client.connected());
    EXPECT_NE(client.error().find("Login failed for user 'operator'."), std::string::npos) << client.error();
}

TEST(SandboxLogin, UserNamesMatchWithoutRegardToCaseButPasswordsExactly) {
    SandboxServer sandbox;
    EXPECT_TRUE(OdbcClient(connectionText(sandbox, "SA", "Sandbox#1", "master")).connected());
    EXPECT_FALSE(OdbcClient(connectionText(sandbox, "sa", "sandbox#1", "master")).connected());
}

TEST(SandboxLogin, RefusesADatabaseThatDoesNotExist) {
    SandboxServer sandbox;
    OdbcClient client(sandbox.odbcConnectionString(QStringLiteral("qvdata_999_2008")).toStdString());
    EXPECT_FALSE(client.connected());
    EXPECT_NE(client.error().find("Cannot open database \"qvdata_999_2008\" requested by the login."),
              std::string::npos)
        << client.error();
}

TEST(SandboxLogin, LoginsAddedAtRunTimeAreAccepted) {
    SandboxServer sandbox(SandboxServer::Data::Empty);
    EXPECT_FALSE(OdbcClient(connectionText(sandbox, "clerk", "Pa55", "master")).connected());
    sandbox.server().addLogin({"clerk", "Pa55"});
    EXPECT_TRUE(OdbcClient(connectionText(sandbox, "clerk", "Pa55", "master")).connected());
}

TEST(SandboxLogin, ServesSeveralConnectionsAtOnce) {
    SandboxServer sandbox;
    OdbcClient first(sandbox.odbcConnectionString(QStringLiteral("QVSystem")).toStdString());
    OdbcClient second(sandbox.odbcConnectionString(QStringLiteral("master")).toStdString());
    ASSERT_TRUE(first.connected() && second.connected());
    EXPECT_EQ(first.run("select count(*) from UA_Account").results[0].rows[0][0], "5");
    EXPECT_EQ(second.run("select count(*) from sub_list").results[0].rows[0][0], "2");
    EXPECT_EQ(sandbox.server().openConnections(), 2);
}

}  // namespace
}  // namespace tallomar::test
