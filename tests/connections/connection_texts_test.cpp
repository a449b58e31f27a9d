#include "logic/login/server_connections.h"
#include "windows/dialog_prompts.h"
#include "platform/odbc/odbc.h"

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

TEST_F(ConnectionTexts, SystemConnectionPerEdition) {
    session.gSystemDatabase = EditionRulesFor(QStringLiteral("R1"))->systemDatabase;
    EXPECT_EQ(systemConnectionText(session), QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd=pw;Database=master"));
    session.gSystemDatabase = EditionRulesFor(QStringLiteral("R6"))->systemDatabase;
    EXPECT_EQ(systemConnectionText(session),
              QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd=pw;Database=QVSystem"));
}

TEST_F(ConnectionTexts, SystemConnectionWithoutDatabaseOrPassword) {
    session.gPassWord.clear();
    EXPECT_EQ(systemConnectionText(session), QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd=;Database="));
}

TEST_F(ConnectionTexts, AccountConnectionEndsWithASemicolon) {
    session.gDatabaseName = QStringLiteral("qvdata_001_2008");
    EXPECT_EQ(accountConnectionText(session),
              QStringLiteral("Provider=SQLOLEDB;Server=(local);Database=qvdata_001_2008;Uid=sa;Pwd=pw;"));
}

TEST_F(ConnectionTexts, EmptyPasswordIsFollowedDirectlyByTheFinalSemicolon) {
    session.gPassWord.clear();
    session.gDatabaseName = QStringLiteral("abc");
    const QString text = accountConnectionText(session);
    EXPECT_EQ(text, QStringLiteral("Provider=SQLOLEDB;Server=(local);Database=abc;Uid=sa;Pwd=;"));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Pwd=;")));
}

TEST_F(ConnectionTexts, LoginTestUsesTheServerBoxTextAsItStands) {
    session.gServerName = QStringLiteral("other");
    EXPECT_EQ(loginTestConnectionText(session, QStringLiteral(" db1 ")),
              QStringLiteral("Driver={SQL Server};Server= db1 ;Uid=sa;Pwd=pw"));
}

TEST_F(ConnectionTexts, ChineseValuesStayAsTheyAre) {
    session.gUserName = QStringLiteral("会计");
    session.gPassWord = QStringLiteral("密码");
    session.gDatabaseName = QStringLiteral("帐套");
    EXPECT_EQ(accountConnectionText(session),
              QStringLiteral("Provider=SQLOLEDB;Server=(local);Database=帐套;Uid=会计;Pwd=密码;"));
}
