// T-SQL expressions as scripts write them: N'...' literals, [bracketed]
// and "quoted" names, TOP, ISNULL, GETDATE(), CASE and the + that joins
// strings but adds numbers.
#include "batch_fixture.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <QDateTime>

namespace tallomar::test {
namespace {

using Literals = BatchTest;
using Names = BatchTest;
using Top = BatchTest;
using Functions = BatchTest;
using Plus = BatchTest;
using Case = BatchTest;
using Division = BatchTest;

TEST_F(Division, ByZeroIsAnErrorAndOtherwiseFollowsTheOperands) {
    EXPECT_EQ(rows("select 7 / 2, 7 % 3, 7.0 / 2, 1 / nullif(0, 0)"), (Rows{{"3", "1", "3.5", std::nullopt}}));
    for (const char* sql : {"select 1 / 0", "select 5 % 0", "select 1 / (2 - 2)", "select 1.5 / 0.0",
                            "select count(*) / count(cAcc_ID) / 0 from UA_Account"}) {
        const OdbcDiagnostic divided = error(sql);
        EXPECT_EQ(divided.native, 8134) << sql;
        EXPECT_EQ(divided.text, "Divide by zero error encountered.") << sql;
    }
}

TEST_F(Literals, NationalTextTravelsBothWaysAndFindsRows) {
    const OdbcBatch batch = ok("select N'记账凭证' as 名称");
    ASSERT_EQ(batch.results.size(), 1u);
    EXPECT_EQ(batch.results[0].columnTypes, (std::vector<short>{SQL_WVARCHAR}));
    EXPECT_EQ(batch.results[0].rows, (Rows{{"记账凭证"}}));

    ok("create table #names (name nvarchar(60))\r\ninsert into #names values (N'江南食品')");
    EXPECT_EQ(rows("select name from #names where name = N'江南食品'"), (Rows{{"江南食品"}}));
    EXPECT_EQ(rows("select cAcc_ID from UA_Account where cAcc_Name = N'华北机械制造有限公司'"), (Rows{{"001"}}));
}

TEST_F(Literals, DoubledQuotesStandForOneAndEmptyTextIsNotNull) {
    EXPECT_EQ(rows("select N'it''s', 'O''Neil', '', N''''"), (Rows{{"it's", "O'Neil", "", "'"}}));
}

TEST_F(Literals, QuotedNumbersCompareWithIntegerColumnsAsNumbers) {
    // As the year list asks for the years of an account set.
    EXPECT_EQ(rows("Select DISTINCT iYear From UA_Account_sub Where cAcc_ID='001' and iYear<>'9999' Order by iYear"),
              (Rows{{"2007"}, {"2008"}}));
}

TEST_F(Names, BracketedNamesMayHoldBlanksChineseAndDoubledBrackets) {
    ok("create table #t ([科目 编码] nvarchar(20), [a]]b] int)\r\n"
       "insert into #t ([科目 编码], [a]]b]) values (N'1001', 3)");
    const OdbcBatch batch = ok("select [科目 编码], [a]]b] from #t");
    ASSERT_EQ(batch.results.size(), 1u);
    EXPECT_EQ(batch.results[0].columns, (std::vector<std::string>{"科目 编码", "a]b"}));
    EXPECT_EQ(batch.results[0].rows, (Rows{{"1001", "3"}}));
    EXPECT_EQ(rows("select [cAcc_ID] from [dbo].[UA_Account] where [cAcc_ID] = '002'"), (Rows{{"002"}}));
}

TEST_F(Names, DoubleQuotesNameColumnsAndAnUnknownOneIsAnError) {
    EXPECT_EQ(rows("select \"cAcc_ID\" from \"UA_Account\" where cAcc_ID = '003'"), (Rows{{"003"}}));
    const OdbcDiagnostic unknown = error("select \"no_such_column\" from UA_Account");
    EXPECT_EQ(unknown.native, 207);
    EXPECT_EQ(unknown.text, "Invalid column name 'no_such_column'.");
}

TEST_F(Names, ColumnsComputedWithoutAnAliasHaveNoName) {
    const OdbcBatch batch = ok("select 'a' + 'b', cAcc_ID, count(*) as n from UA_Account group by cAcc_ID");
    ASSERT_EQ(batch.results.size(), 1u);
    EXPECT_EQ(batch.results[0].columns, (std::vector<std::string>{"", "cAcc_ID", "n"}));
}

TEST_F(Names, AnAliasWithoutAsFollowsAnyExpression) {
    const OdbcBatch batch =
        ok("select 'a' + 'b' joined, 1 + 2 total, cAcc_ID id, 5 isnull from UA_Account a where a.cAcc_ID = '001'");
    ASSERT_EQ(batch.results.size(), 1u);
    EXPECT_EQ(batch.results[0].columns, (std::vector<std::string>{"joined", "total", "id", "isnull"}));
    EXPECT_EQ(batch.results[0].rows, (Rows{{"ab", "3", "001", "5"}}));
}

TEST_F(Names, LockingHintsAreAcceptedAndChangeNothing) {
    EXPECT_EQ(rows("select a.cAcc_ID from UA_Account a with (nolock) where a.cAcc_ID = '001'"), (Rows{{"001"}}));
    EXPECT_EQ(rows("select count(*) from UA_Account with (nolock, rowlock)"), (Rows{{"5"}}));
}

TEST_F(Top, KeepsTheFirstRowsOfTheOrder) {
    EXPECT_EQ(rows("select top 2 cAcc_ID from UA_Account order by cAcc_ID desc"), (Rows{{"006"}, {"005"}}));
    EXPECT_EQ(rows("select top (1) cAcc_ID from UA_Account order by cAcc_ID"), (Rows{{"001"}}));
    EXPECT_EQ(rows("select distinct top 1 cAcc_ID from UA_Account_sub order by cAcc_ID desc"), (Rows{{"006"}}));
    EXPECT_EQ(rows("select top 10 cAcc_ID from UA_Account order by cAcc_ID").size(), 5u);
}

TEST_F(Top, InASubqueryLimitsOnlyTheSubquery) {
    EXPECT_EQ(rows("select cAcc_ID from UA_Account where cAcc_ID in "
                   "(select top 1 cAcc_ID from UA_Account order by cAcc_ID desc) order by cAcc_ID"),
              (Rows{{"006"}}));
}

TEST_F(Functions, IsNullReplacesOnlyNull) {
    EXPECT_EQ(rows("select isnull(null, N'空'), isnull('有', N'空'), isnull(null, 0) + 1"), (Rows{{"空", "有", "1"}}));
    ok("create table #v (a int)\r\ninsert into #v values (null)\r\ninsert into #v values (4)");
    EXPECT_EQ(rows("select isnull(a, -1) from #v order by a"), (Rows{{"-1"}, {"4"}}));
}

TEST_F(Functions, GetDateIsTheLocalTimeNow) {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const auto text = value("select getdate()");
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    ASSERT_TRUE(text.has_value());
    const QDateTime now =
        QDateTime::fromString(QString::fromStdString(*text), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    ASSERT_TRUE(now.isValid()) << *text;
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}

TEST_F(Functions, StringFunctionsFollowTSql) {
    EXPECT_EQ(rows("select ltrim(rtrim('  1001  ')), len('ab  '), substring('abcdef', 2, 3), "
                   "left('abc', 2), right('abc', 2), charindex('c', 'abc'), upper('ab')"),
              (Rows{{"1001", "2", "bcd", "ab", "bc", "3", "AB"}}));
    EXPECT_EQ(rows("select convert(nvarchar(10), 12) + 'x', cast(3 as nvarchar) + cast(4 as nvarchar(max))"),
              (Rows{{"12x", "34"}}));
    EXPECT_EQ(value("select db_name()"), "QVSystem");
}

TEST_F(Plus, JoinsStrings) {
    EXPECT_EQ(rows("select 'a' + 'b', N'记账' + N'凭证', '1' + '2', 'x' + '' + 'y'"),
              (Rows{{"ab", "记账凭证", "12", "xy"}}));
    EXPECT_EQ(rows("select cAcc_ID + '-' + cAcc_Name from UA_Account where cAcc_ID = '002'"),
              (Rows{{"002-江南食品贸易有限公司"}}));
}

TEST_F(Plus, AddsNumbersWithTheUsualPrecedence) {
    EXPECT_EQ(rows("select 1 + 2, 10 - 2 + 3, 2 * 3 + 1, 1 + 2 * 3, -1 + 2, 1.5 + 1, (1 + 2) * 3"),
              (Rows{{"3", "11", "7", "7", "1", "2.5", "9"}}));
    EXPECT_EQ(rows("select iYear + 1 from UA_Account_sub where cAcc_ID = '002' and iYear < 9999"), (Rows{{"2009"}}));
}

TEST_F(Plus, TextThatIsANumberMeetsANumberAsANumber) {
    EXPECT_EQ(rows("select '2' + 1, 1 + ' 3 ', '1.5' + 1.0"), (Rows{{"3", "4", "2.5"}}));
}

TEST_F(Plus, TextThatIsNoNumberOfTheOtherKindIsAConversionError) {
    const OdbcDiagnostic letters = error("select 'x' + 1");
    EXPECT_EQ(letters.native, 245);
    EXPECT_EQ(letters.text, "Conversion failed when converting the nvarchar value 'x' to data type int.");
    const OdbcDiagnostic fraction = error("select '1.5' + 1");
    EXPECT_EQ(fraction.native, 245);
    EXPECT_EQ(fraction.text, "Conversion failed when converting the nvarchar value '1.5' to data type int.");
}

TEST_F(Plus, NullOnEitherSideGivesNull) {
    EXPECT_EQ(rows("select null + 'a', 'a' + null, 1 + null"), (Rows{{std::nullopt, std::nullopt, std::nullopt}}));
}

TEST_F(Plus, ReachesAcrossCaseAndSubqueries) {
    EXPECT_EQ(rows("select 'a' + case when 1 = 1 then 'b' else 'c' end + 'd', "
                   "case when 1 = 0 then 1 else 2 end + 10, "
                   "(select count(*) from UA_Account) + 1"),
              (Rows{{"abd", "12", "6"}}));
}

TEST_F(Case, SimpleAndSearchedFormsNestWithElse) {
    EXPECT_EQ(rows("select case cAcc_ID when '001' then 'one' + '!' "
                   "else case when cAcc_ID > '002' then 'late' else 'two' end end "
                   "from UA_Account order by cAcc_ID"),
              (Rows{{"one!"}, {"two"}, {"late"}, {"late"}, {"late"}}));
}

TEST_F(Case, ElseInsidePrintAndIfConditionsBelongsToTheCase) {
    const OdbcBatch batch =
        ok("print case when 1 = 1 then 'p' else 'q' end\r\n"
           "if case when 1 = 1 then 1 else 0 end = 1 print 'then' else print 'else'");
    EXPECT_EQ(warningsOf(batch), (std::vector<std::string>{"p", "then"}));
}

}  // namespace
}  // namespace tallomar::test
