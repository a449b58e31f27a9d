#include "support/tool_fixture.h"
#include "tooldb/tool_access.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

TEST(SelectValueStatement, ConditionFollowsOneEqualsOne) {
    EXPECT_EQ(selectValueStatement(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='Year'")),
              QStringLiteral("select cValue from ZOL where 1=1 and cName='Year'"));
}

TEST(SelectValueStatement, EmptyConditionKeepsTheTrailingBlank) {
    EXPECT_EQ(selectValueStatement(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString()),
              QStringLiteral("select ID from Bewrite where 1=1 "));
}

class SelectValueOnCnTool : public ::testing::Test {
protected:
    void SetUp() override { cnTool = tooldb::ToolDatabase::open(file.path()); }
    QString SelectValue(const QString& field, const QString& table, const QString& condition) const {
        return tallomar::SelectValue(field, table, condition, *cnTool);
    }
    test::ToolDatabaseFile file;
    std::unique_ptr<tooldb::ToolDatabase> cnTool;
};

TEST_F(SelectValueOnCnTool, FirstRowOfTheField) {
    EXPECT_EQ(SelectValue(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString()), QStringLiteral("7"));
    EXPECT_EQ(
        SelectValue(QStringLiteral("cName"), QStringLiteral("File"), QStringLiteral("cSign='校验' and cType='sql'")),
        QStringLiteral("check2.sql"));
    EXPECT_EQ(
        SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cSys='TDB' and cName='Readme'")),
        QStringLiteral("说明"));
}

TEST_F(SelectValueOnCnTool, MissingRowAndNullGiveEmptyText) {
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='Year'")), QString());
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='PassWord'")),
              QString());
}

TEST_F(SelectValueOnCnTool, FailuresGiveEmptyText) {
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("Nowhere"), QString()), QString());
    EXPECT_EQ(SelectValue(QStringLiteral("cNothing"), QStringLiteral("ZOL"), QString()), QString());
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName=")), QString());
    // An expression is not a column named by the field text.
    EXPECT_EQ(SelectValue(QStringLiteral("cName || 'x' as y"), QStringLiteral("ZOL"), QString()), QString());
}

TEST(SelectValueOnEmptyTable, GivesEmptyText) {
    jet4::DatabaseSpec spec = test::toolPackageSpec();
    for (jet4::TableSpec& table : spec.tables)
        if (table.name == QStringLiteral("Bewrite")) table.rows.clear();
    const test::ToolDatabaseFile file(spec);
    const auto database = tooldb::ToolDatabase::open(file.path());
    EXPECT_EQ(SelectValue(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString(), *database), QString());
}

}  // namespace
}  // namespace tallomar
