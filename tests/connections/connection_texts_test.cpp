#include "session/globals.h"
#include "logic/login/server_connections.h"
#include "platform/odbc/odbc.h"

#include <gtest/gtest.h>

using namespace tallomar;

class ConnectionTexts : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessValues();
        gServerName = QStringLiteral("(local)");
        gUserName = QStringLiteral("sa");
        gPassWord = QStringLiteral("pw");
    }
    void TearDown() override { ResetProcessValues(); }
};

TEST_F(ConnectionTexts, SystemConnectionPerEdition) {
    gSystemDatabase = EditionRulesFor(QStringLiteral("R1"))->systemDatabase;
    EXPECT_EQ(systemConnectionText(), QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd=pw;Database=master"));
    gSystemDatabase = EditionRulesFor(QStringLiteral("R6"))->systemDatabase;
    EXPECT_EQ(systemConnectionText(),
              QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd=pw;Database=QVSystem"));
}

TEST_F(ConnectionTexts, SystemConnectionWithoutDatabaseOrPassword) {
    gPassWord.clear();
    EXPECT_EQ(systemConnectionText(), QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd=;Database="));
}

TEST_F(ConnectionTexts, AccountConnectionEndsWithASemicolon) {
    gDatabaseName = QStringLiteral("qvdata_001_2008");
    EXPECT_EQ(accountConnectionText(),
              QStringLiteral("Provider=SQLOLEDB;Server=(local);Database=qvdata_001_2008;Uid=sa;Pwd=pw;"));
}

TEST_F(ConnectionTexts, EmptyPasswordIsFollowedDirectlyByTheFinalSemicolon) {
    gPassWord.clear();
    gDatabaseName = QStringLiteral("abc");
    const QString text = accountConnectionText();
    EXPECT_EQ(text, QStringLiteral("Provider=SQLOLEDB;Server=(local);Database=abc;Uid=sa;Pwd=;"));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Pwd=;")));
}

TEST_F(ConnectionTexts, LoginTestUsesTheServerBoxTextAsItStands) {
    gServerName = QStringLiteral("other");
    EXPECT_EQ(loginTestConnectionText(QStringLiteral(" db1 ")),
              QStringLiteral("Driver={SQL Server};Server= db1 ;Uid=sa;Pwd=pw"));
}

TEST_F(ConnectionTexts, ChineseValuesStayAsTheyAre) {
    gUserName = QStringLiteral("会计");
    gPassWord = QStringLiteral("密码");
    gDatabaseName = QStringLiteral("帐套");
    EXPECT_EQ(accountConnectionText(),
              QStringLiteral("Provider=SQLOLEDB;Server=(local);Database=帐套;Uid=会计;Pwd=密码;"));
}
