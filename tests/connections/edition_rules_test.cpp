#include "logic/login/server_connections.h"

#include <gtest/gtest.h>

using tallomar::ComboContains;
using tallomar::EditionCode;
using tallomar::EditionRulesFor;

TEST(EditionCode, ByTheFirstTwoCharacters) {
    EXPECT_EQ(EditionCode(QStringLiteral("QM普及版")), QStringLiteral("R1"));
    EXPECT_EQ(EditionCode(QStringLiteral("QV标准版")), QStringLiteral("R3"));
    EXPECT_EQ(EditionCode(QStringLiteral("R3")), QStringLiteral("R3"));
    EXPECT_EQ(EditionCode(QStringLiteral("R3 anything")), QStringLiteral("R3"));
    EXPECT_EQ(EditionCode(QStringLiteral("W6网络版")), QStringLiteral("R6"));
    EXPECT_EQ(EditionCode(QStringLiteral("R6x")), QStringLiteral("R6"));
}

TEST(EditionCode, NoMatchIsEmpty) {
    EXPECT_EQ(EditionCode(QString()), QString());
    EXPECT_EQ(EditionCode(QStringLiteral("R")), QString());
    EXPECT_EQ(EditionCode(QStringLiteral("r3")), QString());
    EXPECT_EQ(EditionCode(QStringLiteral("qm版")), QString());
    EXPECT_EQ(EditionCode(QStringLiteral(" R3")), QString());
    EXPECT_EQ(EditionCode(QStringLiteral("R1")), QString());
}

TEST(EditionRules, PerEditionCode) {
    const auto r1 = EditionRulesFor(QStringLiteral("R1"));
    ASSERT_TRUE(r1);
    EXPECT_EQ(r1->systemDatabase, QStringLiteral("master"));
    EXPECT_EQ(r1->accountListSql, QStringLiteral("SELECT DBName as cAcc_ID,ZTName as cAcc_Name FROM master..sub_list"));
    EXPECT_FALSE(r1->hasYears);
    for (const QString& code : {QStringLiteral("R3"), QStringLiteral("R6")}) {
        const auto rules = EditionRulesFor(code);
        ASSERT_TRUE(rules);
        EXPECT_EQ(rules->systemDatabase, QStringLiteral("QVSystem"));
        EXPECT_EQ(rules->accountListSql, QStringLiteral("SELECT cAcc_ID,cAcc_Name FROM UA_Account"));
        EXPECT_TRUE(rules->hasYears);
    }
    EXPECT_FALSE(EditionRulesFor(QString()));
    EXPECT_FALSE(EditionRulesFor(QStringLiteral("r3")));
}

TEST(ComboContains, ExactAndCaseSensitive) {
    const QStringList entries{QStringLiteral("[001]Demo"), QStringLiteral("[abc]Shop")};
    EXPECT_TRUE(ComboContains(entries, QStringLiteral("[abc]Shop")));
    EXPECT_FALSE(ComboContains(entries, QStringLiteral("[ABC]Shop")));
    EXPECT_FALSE(ComboContains(entries, QStringLiteral("[abc]Shop ")));
    EXPECT_FALSE(ComboContains(QStringList(), QString()));
}

TEST(AccountId, FromTheEntryUpToTheFirstBracket) {
    EXPECT_EQ(tallomar::AccountIdOf(QStringLiteral("[001]Demo")), QStringLiteral("001"));
    EXPECT_EQ(tallomar::AccountIdOf(QStringLiteral("[a]b]c")), QStringLiteral("a"));
    EXPECT_EQ(tallomar::AccountIdOf(QStringLiteral("x[001]Demo")), QStringLiteral("[001"));
    EXPECT_EQ(tallomar::AccountIdOf(QStringLiteral("[]")), QString());
    EXPECT_EQ(tallomar::AccountIdOf(QStringLiteral("Demo")), QString());
}
