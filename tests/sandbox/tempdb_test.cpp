// Result tables in tempdb as check scripts make them and the check run
// finds them: SELECT ... INTO tempdb..t, the sysobjects lookup, the
// OBJECT_ID guard before DROP TABLE, and local #temp tables.
#include "batch_fixture.h"

#include <chrono>
#include <thread>

namespace tallomar::test {
namespace {

using TempdbTables = BatchTest;

// A session ends a moment after its client disconnects.
void waitForConnectionsOf(SandboxServer& sandbox, int count) {
    for (int i = 0; i < 500 && sandbox.server().openConnections() != count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sandbox.server().openConnections(), count);
}

const std::string kFindTable = "select name from tempdb..sysobjects where 1=1 and name=";

TEST_F(TempdbTables, SelectIntoMakesATableOfTheQueryRowsAndCountsThem) {
    const OdbcBatch made =
        ok("select cAcc_ID as 编号, cAcc_Name as 名称 into tempdb..accounts from UA_Account where cAcc_ID < '003'");
    ASSERT_EQ(made.results.size(), 1u);
    EXPECT_EQ(made.results[0].rowCount, 2);
    EXPECT_TRUE(made.results[0].columns.empty());

    const OdbcBatch read = ok("select * from tempdb..accounts order by 编号");
    ASSERT_EQ(read.results.size(), 1u);
    EXPECT_EQ(read.results[0].columns, (std::vector<std::string>{"编号", "名称"}));
    EXPECT_EQ(read.results[0].rows, (Rows{{"001", "华北机械制造有限公司"}, {"002", "江南食品贸易有限公司"}}));
}

TEST_F(TempdbTables, SelectIntoWithTopAndOrderKeepsTheFirstRowsInThatOrder) {
    ok("select top 2 cAcc_ID into tempdb..last_two from UA_Account order by cAcc_ID desc");
    EXPECT_EQ(rows("select cAcc_ID from tempdb..last_two"), (Rows{{"006"}, {"005"}}));
}

TEST_F(TempdbTables, SysobjectsFindsTheTableByNameWithoutRegardToCase) {
    ok("select 1 as a into tempdb..check_result");
    EXPECT_EQ(rows(kFindTable + "'check_result'"), (Rows{{"check_result"}}));
    EXPECT_EQ(rows(kFindTable + "'CHECK_Result'"), (Rows{{"check_result"}}));
    EXPECT_EQ(rows(kFindTable + "'check_resul'"), Rows{});
    EXPECT_EQ(rows(kFindTable + "'nothing_here'"), Rows{});
}

TEST_F(TempdbTables, SysobjectsOfTheCurrentDatabaseListsItsOwnTablesOnly) {
    EXPECT_EQ(rows("select name, xtype from sysobjects where name = 'UA_Account'"), (Rows{{"UA_Account", "U"}}));
    EXPECT_EQ(rows("select name from sysobjects where name = 'sub_list'"), Rows{});
    EXPECT_EQ(rows("select name from master..sysobjects where name = 'sub_list'"), (Rows{{"sub_list"}}));
}

TEST_F(TempdbTables, ObjectIdGuardDropsAnExistingTableAndPassesOverAMissingOne) {
    const std::string guard = "if object_id('tempdb..demo_check') is not null drop table tempdb..demo_check\r\n";
    ok(guard);  // nothing to drop: no error
    ok("select 1 as a into tempdb..demo_check");
    ASSERT_EQ(rows(kFindTable + "'demo_check'").size(), 1u);
    ok(guard + "select 2 as b into tempdb..demo_check");
    EXPECT_EQ(rows("select * from tempdb..demo_check"), (Rows{{"2"}}));
    ok(guard);
    EXPECT_EQ(rows(kFindTable + "'demo_check'"), Rows{});
}

TEST_F(TempdbTables, ObjectIdAnswersNullForMissingObjectsAndDatabases) {
    ok("select 1 as a into tempdb..present");
    EXPECT_NE(value("select object_id('tempdb..present')"), std::nullopt);
    EXPECT_NE(value("select object_id('UA_Account')"), std::nullopt);
    EXPECT_NE(value("select object_id('QVSystem.dbo.UA_Account')"), std::nullopt);
    EXPECT_EQ(value("select object_id('tempdb..absent')"), std::nullopt);
    EXPECT_EQ(value("select object_id('nowhere..present')"), std::nullopt);
}

TEST_F(TempdbTables, SelectIntoAnExistingTableFailsNamingItAndLeavesItAsItWas) {
    ok("select 1 as a into tempdb..dup");
    const OdbcDiagnostic refused = error("select 2 as a into tempdb..dup");
    EXPECT_EQ(refused.native, 2714);
    EXPECT_EQ(refused.text, "There is already an object named 'dup' in the database.");
    EXPECT_EQ(rows("select a from tempdb..dup"), (Rows{{"1"}}));
}

TEST_F(TempdbTables, DroppingAMissingTableFailsWithTheNameAsWritten) {
    const OdbcDiagnostic refused = error("drop table tempdb..never_made");
    EXPECT_EQ(refused.native, 3701);
    EXPECT_EQ(refused.text,
              "Cannot drop the table 'tempdb..never_made', because it does not exist or you do not have permission.");
}

TEST_F(TempdbTables, BracketedNamesWithBlanksAndClosingBracketsReachOneTable) {
    // As the check run quotes a result table's name.
    ok("select 7 as n into tempdb..[检查 结果]]1]");
    EXPECT_EQ(rows(kFindTable + "N'检查 结果]1'"), (Rows{{"检查 结果]1"}}));
    EXPECT_EQ(rows("select n from tempdb..[检查 结果]]1]"), (Rows{{"7"}}));
    ok("drop table tempdb..[检查 结果]]1]");
    EXPECT_EQ(rows(kFindTable + "N'检查 结果]1'"), Rows{});
}

TEST_F(TempdbTables, TempdbTablesAreSharedBetweenSessionsAndOutliveThem) {
    {
        auto other = connect("master");
        ASSERT_TRUE(other->connected()) << other->error();
        ok("select 5 as n into tempdb..shared", other.get());
    }
    EXPECT_EQ(rows("select n from tempdb..shared"), (Rows{{"5"}}));
}

TEST_F(TempdbTables, LocalHashTablesBelongToTheirSessionAndEndWithIt) {
    auto other = connect();
    ASSERT_TRUE(other->connected()) << other->error();
    ok("create table #mine (a int)\r\ninsert into #mine values (1)\r\ninsert #mine select a + 1 from #mine",
       other.get());
    EXPECT_EQ(rows("select a from #mine order by a", other.get()), (Rows{{"1"}, {"2"}}));
    EXPECT_NE(value("select object_id('tempdb..#mine')", other.get()), std::nullopt);

    // Not visible to this session, which may have a #mine of its own.
    const OdbcDiagnostic missing = error("select a from #mine");
    EXPECT_EQ(missing.text, "Invalid object name '#mine'.");
    ok("create table #mine (b nvarchar(10))\r\ninsert into #mine values (N'自己的')");
    EXPECT_EQ(rows("select b from #mine"), (Rows{{"自己的"}}));
    EXPECT_EQ(rows("select count(*) from tempdb..sysobjects where name like '#mine%'"), (Rows{{"2"}}));

    other.reset();
    waitForConnectionsOf(sandbox, 1);
    EXPECT_EQ(rows("select count(*) from tempdb..sysobjects where name like '#mine%'"), (Rows{{"1"}}));
    EXPECT_EQ(rows("select b from #mine"), (Rows{{"自己的"}}));
}

}  // namespace
}  // namespace tallomar::test
