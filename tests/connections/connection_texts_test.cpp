#include "logic/login/server_connections.h"
#include "platform/odbc/odbc.h"
#include "windows/dialog_prompts.h"

#include <gtest/gtest.h>

using namespace tallomar;

class ConnectionTexts : public ::testing::Test {
protected:
    void SetUp() override {
        session.gServerName = QStringLiteral("(local)");
        session.gUserName = QStringLiteral("sa");
        session.gPassWord = QStringLiteral("pw");
    }
    Session session;
    DialogPrompts prompts{nullptr};
};

// Each connection carries the session's values as they are, field by field.
TEST_F(ConnectionTexts, SystemConnectionPerEdition) {
    session.gSystemDatabase = EditionRulesFor(QStringLiteral("R1"))->systemDatabase;
    const odbc::ServerLogin master = systemLogin(session);
    EXPECT_EQ(master.server, QStringLiteral("(local)"));
    EXPECT_EQ(master.database, QStringLiteral("master"));
    EXPECT_EQ(master.user, QStringLiteral("sa"));
    EXPECT_EQ(master.password, QStringLiteral("pw"));
    session.gSystemDatabase = EditionRulesFor(QStringLiteral("R6"))->systemDatabase;
    EXPECT_EQ(systemLogin(session).database, QStringLiteral("QVSystem"));
}

TEST_F(ConnectionTexts, SystemConnectionWithoutDatabaseOrPassword) {
    session.gPassWord.clear();
    EXPECT_TRUE(systemLogin(session).database.isEmpty());
    EXPECT_TRUE(systemLogin(session).password.isEmpty());
}

TEST_F(ConnectionTexts, AccountConnectionOnTheAccountSetDatabase) {
    session.gDatabaseName = QStringLiteral("qvdata_001_2008");
    const odbc::ServerLogin account = accountLogin(session);
    EXPECT_EQ(account.server, QStringLiteral("(local)"));
    EXPECT_EQ(account.database, QStringLiteral("qvdata_001_2008"));
    EXPECT_EQ(account.user, QStringLiteral("sa"));
    EXPECT_EQ(account.password, QStringLiteral("pw"));
}

TEST_F(ConnectionTexts, LoginTestUsesTheServerBoxTextAsItStands) {
    session.gServerName = QStringLiteral("other");
    const odbc::ServerLogin test = loginTestLogin(session, QStringLiteral(" db1 "));
    EXPECT_EQ(test.server, QStringLiteral(" db1 "));
    EXPECT_TRUE(test.database.isEmpty());
    EXPECT_EQ(test.password, QStringLiteral("pw"));
}

TEST_F(ConnectionTexts, ValuesStayAsTheyAre) {
    session.gUserName = QStringLiteral("会计");
    session.gPassWord = QStringLiteral("x;Uid=sa;Pwd=");
    session.gDatabaseName = QStringLiteral("帐套;Server=h,1");
    const odbc::ServerLogin account = accountLogin(session);
    EXPECT_EQ(account.user, QStringLiteral("会计"));
    EXPECT_EQ(account.password, QStringLiteral("x;Uid=sa;Pwd="));
    EXPECT_EQ(account.database, QStringLiteral("帐套;Server=h,1"));
}
