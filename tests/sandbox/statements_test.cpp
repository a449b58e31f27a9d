// Statements beyond plain SQL: PRINT, RAISERROR, USE, IF ... ELSE and
// BEGIN ... END, SET NOCOUNT, and names that reach into other databases.
#include "batch_fixture.h"

namespace tallomar::test {
namespace {

using Print = BatchTest;
using RaiseError = BatchTest;
using Use = BatchTest;
using ThreePartNames = BatchTest;
using ControlFlow = BatchTest;
using Definitions = BatchTest;

TEST_F(Print, SendsItsTextAsAnInformationalMessageBetweenTheResults) {
    const OdbcBatch batch = ok("print 'first'\r\nselect 1 as a\r\nprint N'第二条'");
    EXPECT_EQ(warningsOf(batch), (std::vector<std::string>{"first", "第二条"}));
    EXPECT_TRUE(errorsOf(batch).empty());
    ASSERT_EQ(batch.diagnostics.size(), 2u);
    EXPECT_EQ(batch.diagnostics[0].native, 0);
    int sets = 0;
    for (const auto& result : batch.results) sets += result.columns.empty() ? 0 : 1;
    EXPECT_EQ(sets, 1);
}

TEST_F(Print, PrintsTheValueOfAnExpression) {
    const OdbcBatch batch = ok("print '共' + N'找到'\r\nprint 1 + 2\r\nprint isnull(null, 'x')");
    EXPECT_EQ(warningsOf(batch), (std::vector<std::string>{"共找到", "3", "x"}));
}

TEST_F(Print, WithoutAnythingToPrintIsASyntaxError) {
    const OdbcDiagnostic refused = error("print");
    EXPECT_EQ(refused.native, 102);
}

TEST_F(RaiseError, AboveSeverityTenIsAnErrorNumbered50000AndTheBatchGoesOn) {
    const OdbcBatch batch = client->run("select 1 as a\r\nraiserror('stock is negative', 16, 1)\r\nselect 3 as c");
    EXPECT_TRUE(batch.failed());
    ASSERT_EQ(errorsOf(batch), (std::vector<std::string>{"stock is negative"}));
    for (const auto& diagnostic : batch.diagnostics) {
        if (!diagnostic.warning()) {
            EXPECT_EQ(diagnostic.native, 50000);
        }
    }
    std::vector<std::string> columns;
    for (const auto& result : batch.results)
        if (!result.columns.empty()) columns.push_back(result.columns[0]);
    EXPECT_EQ(columns, (std::vector<std::string>{"a", "c"}));
}

TEST_F(RaiseError, UpToSeverityTenIsOnlyAMessage) {
    const OdbcBatch batch = ok("raiserror(N'注意', 10, 1)\r\nselect 2 as b");
    EXPECT_EQ(warningsOf(batch), (std::vector<std::string>{"注意"}));
    EXPECT_TRUE(errorsOf(batch).empty());
}

TEST_F(RaiseError, FillsPlaceholdersFromTheArguments) {
    const OdbcBatch batch = client->run("raiserror(N'科目 %s 少了 %d 条，100%%', 16, 2, N'1001', 3)");
    EXPECT_EQ(errorsOf(batch), (std::vector<std::string>{"科目 1001 少了 3 条，100%"}));
}

TEST_F(Use, SwitchesTheDatabaseForTheRestOfTheBatchAndTheNextOnes) {
    const OdbcBatch batch = ok("use master\r\nselect db_name()\r\nselect count(*) from sub_list");
    std::vector<std::string> values;
    for (const auto& result : batch.results)
        if (!result.rows.empty()) values.push_back(result.rows[0][0].value_or("NULL"));
    EXPECT_EQ(values, (std::vector<std::string>{"master", "2"}));
    EXPECT_EQ(value("select db_name()"), "master");
    ok("use [qvdata_001_2008]");
    EXPECT_EQ(value("select count(*) from ledger_account where cCode = '1001'"), "1");
}

TEST_F(Use, MatchesTheNameWithoutRegardToCaseAndReportsItAsCreated) {
    ok("use QVSYSTEM");
    EXPECT_EQ(value("select db_name()"), "QVSystem");
}

TEST_F(Use, AMissingDatabaseIsAnErrorThatStopsTheBatch) {
    ok("create table tempdb..log (n int)");
    const OdbcBatch batch = client->run("use no_such_db\r\ninsert into tempdb..log values (1)");
    EXPECT_EQ(errorsOf(batch),
              (std::vector<std::string>{
                  "Database 'no_such_db' does not exist. Make sure that the name is entered correctly."}));
    EXPECT_EQ(value("select count(*) from tempdb..log"), "0");
    EXPECT_EQ(value("select db_name()"), "QVSystem");
}

TEST_F(ThreePartNames, ReadAnotherDatabaseWithOrWithoutItsOwner) {
    EXPECT_EQ(value("select count(*) from master..sub_list"), "2");
    EXPECT_EQ(value("select count(*) from master.dbo.sub_list"), "2");
    EXPECT_EQ(value("select count(*) from qvsystem..ua_account"), "5");
    EXPECT_EQ(rows("select s.DBName from UA_Account a join master..sub_list s on s.ZTName = a.cAcc_Name "
                   "where a.cAcc_ID = '002'"),
              (Rows{{"qvdata_002_2008"}}));
}

TEST_F(ThreePartNames, ChangeAnotherDatabase) {
    ok("insert into qvdata_002_2008..ledger_account values ('6711', N'营业外支出', 1, 1, N'借')");
    ok("update qvdata_002_2008..ledger_account set cName = N'营业外支出（罚款）' where cCode = '6711'");
    EXPECT_EQ(value("use qvdata_002_2008\r\nselect cName from ledger_account where cCode = '6711'"),
              "营业外支出（罚款）");
    ok("use QVSystem\r\ndelete from qvdata_002_2008.dbo.ledger_account where cCode = '6711'");
    EXPECT_EQ(value("select count(*) from qvdata_002_2008..ledger_account where cCode = '6711'"), "0");
}

TEST_F(ThreePartNames, AMissingDatabaseOrTableIsAnInvalidObjectName) {
    const OdbcDiagnostic database = error("select * from nowhere..t");
    EXPECT_EQ(database.native, 208);
    EXPECT_EQ(database.text, "Invalid object name 'nowhere..t'.");
    EXPECT_EQ(error("select * from master..no_such_table").text, "Invalid object name 'master..no_such_table'.");
}

TEST_F(ControlFlow, IfElseAndBlocksRunTheChosenBranchOnly) {
    const OdbcBatch batch =
        ok("if exists (select 1 from UA_Account where cAcc_ID = '009') print 'has'\r\n"
           "else begin print 'none' print 'really' end\r\n"
           "if 1 = 1 print 'yes' else print 'no'");
    EXPECT_EQ(warningsOf(batch), (std::vector<std::string>{"none", "really", "yes"}));
}

TEST_F(ControlFlow, NoCountHidesRowCounts) {
    ok("create table #n (a int)");
    EXPECT_EQ(ok("insert into #n values (1)").results.at(0).rowCount, 1);
    const OdbcBatch quiet = ok("set nocount on\r\ninsert into #n values (2)");
    for (const auto& result : quiet.results) EXPECT_EQ(result.rowCount, -1);
    EXPECT_EQ(ok("set nocount off\r\ninsert into #n values (3)").results.back().rowCount, 1);
}

TEST_F(ControlFlow, HarmlessSessionOptionsAreAccepted) {
    EXPECT_EQ(value("set ansi_nulls on\r\nset quoted_identifier on\r\nset xact_abort on\r\nselect 1"), "1");
}

TEST_F(Definitions, TablesAreMadeChangedEmptiedAndDroppedInAnyDatabase) {
    ok("create table tempdb..made (a int not null primary key, b nvarchar(10) default N'无')\r\n"
       "insert into tempdb..made (a) values (1)\r\n"
       "alter table tempdb..made add c int\r\n"
       "insert into tempdb..made values (2, N'二', 3)");
    EXPECT_EQ(rows("select a, b, c from tempdb..made order by a"), (Rows{{"1", "无", std::nullopt}, {"2", "二", "3"}}));
    const OdbcDiagnostic duplicate = error("insert into tempdb..made (a) values (1)");
    EXPECT_EQ(duplicate.native, 2627);
    ok("truncate table tempdb..made");
    EXPECT_EQ(value("select count(*) from tempdb..made"), "0");
    ok("drop table if exists tempdb..made\r\ndrop table if exists tempdb..made");
    EXPECT_EQ(value("select count(*) from tempdb..sysobjects where name = 'made'"), "0");
}

TEST_F(Definitions, IndexesAreMadeAndDroppedBesideTheirTableWrittenEitherWay) {
    ok("create table tempdb..goods (code nvarchar(10), name nvarchar(20))\r\n"
       "create unique index ux_goods on tempdb..goods (code)\r\n"
       "create index ix_goods on tempdb..goods (name)\r\n"
       "insert into tempdb..goods values ('1', N'大米')");
    EXPECT_EQ(error("insert into tempdb..goods values ('1', N'面粉')").native, 2627);
    ok("drop index tempdb..goods.ux_goods\r\ndrop index ix_goods on tempdb..goods");
    ok("insert into tempdb..goods values ('1', N'面粉')");
    ok("create table #local (a int)\r\ncreate index ix_local on #local (a)\r\ndrop index #local.ix_local");
    ok("use qvdata_002_2008\r\ncreate index ix_entry_code on dbo.ledger_entry (cCode)\r\n"
       "drop index ledger_entry.ix_entry_code");
    const OdbcDiagnostic missing = error("drop index ledger_entry.ix_entry_code");
    EXPECT_EQ(missing.native, 3701);
    EXPECT_EQ(missing.text,
              "Cannot drop the index 'ix_entry_code', because it does not exist or you do not have permission.");
}

}  // namespace
}  // namespace tallomar::test
