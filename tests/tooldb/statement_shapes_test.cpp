#include "platform/error.h"
#include "support/tool_fixture.h"
#include "tooldb/tool_access.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

class StatementShapes : public ::testing::Test {
protected:
    test::ToolDatabaseFile file;
    std::unique_ptr<tooldb::ToolDatabase> database = tooldb::ToolDatabase::open(file.path());
};

TEST_F(StatementShapes, ScriptStepsComeInStepOrderFromTheTableNamedFile) {
    const auto steps =
        OpenRecordset(QStringLiteral("select * from File where cSign='校验' order by iOrder"), *database);
    ASSERT_EQ(steps.rows.size(), 2u);
    EXPECT_EQ(steps.value(0, QStringLiteral("cName")).toString(), QStringLiteral("check1.sql"));
    EXPECT_EQ(steps.value(1, QStringLiteral("cName")).toString(), QStringLiteral("check2.sql"));
    EXPECT_EQ(steps.value(0, QStringLiteral("cPath")).toString(), QStringLiteral("999"));
}

TEST_F(StatementShapes, ChineseAliasesNameTheColumns) {
    const auto list =
        OpenRecordset(QStringLiteral("select ID,cOperate as 操作步骤,cResult as 提示信息 from Bewrite"), *database);
    EXPECT_EQ(list.columns,
              (QStringList{QStringLiteral("ID"), QStringLiteral("操作步骤"), QStringLiteral("提示信息")}));
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.value(0, QStringLiteral("操作步骤")).toString(), QStringLiteral("打开凭证"));
}

TEST_F(StatementShapes, DescriptionByIdAppendedToTheStatement) {
    const auto detail = OpenRecordset(
        QStringLiteral("select ID,cOperate,cResult,cPath,Picture from Bewrite where ID=") + QStringLiteral("9"),
        *database);
    ASSERT_EQ(detail.rows.size(), 1u);
    EXPECT_EQ(detail.value(0, QStringLiteral("cOperate")).toString(), QStringLiteral("重新记账"));
    EXPECT_EQ(detail.value(0, QStringLiteral("cPath")).toString(), QStringLiteral("pic\\a.bmp"));
}

TEST_F(StatementShapes, MissingColumnOrTableIsAnErrorForOpenRecordset) {
    EXPECT_THROW(OpenRecordset(QStringLiteral("select nothing from ZOL"), *database), Error);
    EXPECT_THROW(OpenRecordset(QStringLiteral("select * from Nowhere"), *database), Error);
}

TEST_F(StatementShapes, VersionFallsBackToHigherGradesWhenGradeOneIsDisabled) {
    const auto gradeOne = OpenRecordset(QStringLiteral("select * from Version where iGrade=1 and bsign=-1"), *database);
    EXPECT_TRUE(gradeOne.rows.empty());
    const auto higher = OpenRecordset(QStringLiteral("select * from Version where iGrade>1 and bsign=-1"), *database);
    ASSERT_EQ(higher.rows.size(), 2u);
    EXPECT_EQ(higher.value(0, QStringLiteral("cName")).toString(), QStringLiteral("专业版 8.5"));
    EXPECT_EQ(higher.value(1, QStringLiteral("cName")).toString(), QStringLiteral("标准版 8.5"));
}

TEST_F(StatementShapes, BooleansReadAsMinusOneAndZero) {
    const auto versions = OpenRecordset(QStringLiteral("select bsign from Version"), *database);
    ASSERT_EQ(versions.rows.size(), 5u);
    EXPECT_EQ(versions.rows[0][0].toLongLong(), 0);
    EXPECT_EQ(versions.rows[2][0].toLongLong(), -1);
}

TEST_F(StatementShapes, TextComparesIgnoreCase) {
    const auto scripts =
        OpenRecordset(QStringLiteral("select cName from File where cType='sql' and cSign='订正'"), *database);
    ASSERT_EQ(scripts.rows.size(), 1u);  // stored as 'SQL'
    EXPECT_EQ(
        SelectValue(QStringLiteral("cValue"), QStringLiteral("zol"), QStringLiteral("cName='SERVERNAME'"), *database),
        QStringLiteral("(local)"));
}

TEST_F(StatementShapes, NullStaysDistinctFromEmptyText) {
    const auto nulls = OpenRecordset(QStringLiteral("select cName from ZOL where cValue is null"), *database);
    ASSERT_EQ(nulls.rows.size(), 1u);
    EXPECT_EQ(nulls.rows[0][0].toString(), QStringLiteral("PassWord"));
    const auto empties = OpenRecordset(QStringLiteral("select cValue from ZOL where cValue=''"), *database);
    ASSERT_EQ(empties.rows.size(), 1u);
    EXPECT_TRUE(empties.rows[0][0].isValid());
    EXPECT_TRUE(empties.rows[0][0].toString().isEmpty());
}

TEST_F(StatementShapes, QueriesThatWouldChangeTheMirrorAreRefused) {
    EXPECT_THROW(database->query(QStringLiteral("delete from ZOL")), Error);
    EXPECT_EQ(database->query(QStringLiteral("select * from ZOL")).rows.size(), 5u);
}

}  // namespace
}  // namespace tallomar
