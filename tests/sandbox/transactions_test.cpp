// Transactions spanning batches on one connection, as SQL Server keeps
// them: nesting and @@TRANCOUNT, savepoints, XACT_ABORT, the errors for a
// COMMIT or ROLLBACK without a transaction and for statements a transaction
// cannot hold, rollback when the connection drops, and other connections
// waiting for the locks of an open transaction.
#include "batch_fixture.h"

#include "sandbox/faults.h"

#include <chrono>
#include <future>
#include <thread>

namespace tallomar::test {
namespace {

using Transactions = BatchTest;
using Clock = std::chrono::steady_clock;

const std::string kAllAccounts = "select cAcc_ID, cAcc_Name from UA_Account order by cAcc_ID";
const std::string kAllYears = "select cAcc_ID, iYear from UA_Account_sub order by cAcc_ID, iYear";

TEST_F(Transactions, RollbackRestoresEveryTableExactlyAndTakesTempdbAlong) {
    const Rows accounts = rows(kAllAccounts);
    const Rows years = rows(kAllYears);

    ok("begin tran");
    EXPECT_EQ(value("select @@trancount"), "1");
    ok("insert into UA_Account values ('009', N'新账套')\r\n"
       "update UA_Account set cAcc_Name = N'改名' where cAcc_ID = '001'\r\n"
       "delete from UA_Account_sub where cAcc_ID = '002'");
    ok("select cAcc_ID into tempdb..made_in_transaction from UA_Account\r\n"
       "create table #scratch (n int)\r\ninsert into #scratch values (1)");
    ok("begin transaction inner_one");
    EXPECT_EQ(value("select @@TRANCOUNT"), "2");
    ok("commit tran inner_one");  // the inner COMMIT only counts down
    EXPECT_EQ(value("select @@trancount"), "1");
    EXPECT_EQ(value("select count(*) from UA_Account where cAcc_Name = N'改名'"), "1");
    EXPECT_EQ(value("select count(*) from tempdb..made_in_transaction"), "6");

    ok("rollback");
    EXPECT_EQ(value("select @@trancount"), "0");
    EXPECT_EQ(rows(kAllAccounts), accounts);
    EXPECT_EQ(rows(kAllYears), years);
    EXPECT_EQ(value("select isnull(object_id('tempdb..made_in_transaction'), 0)"), "0");
    EXPECT_EQ(value("select isnull(object_id('#scratch'), 0)"), "0");
}

TEST_F(Transactions, CommitKeepsTheWorkAndSavepointsUndoOnlyWhatFollowsThem) {
    ok("begin tran outer_one\r\ninsert into UA_Account values ('010', N'保留')");
    ok("save tran before_second\r\ninsert into UA_Account values ('011', N'撤销')");
    ok("rollback tran before_second");
    EXPECT_EQ(value("select @@trancount"), "1");
    const OdbcDiagnostic unknown = error("rollback tran no_such_point");
    EXPECT_EQ(unknown.native, 6401);
    EXPECT_EQ(unknown.text, "Cannot roll back no_such_point. No transaction or savepoint of that name was found.");
    ok("commit transaction");
    EXPECT_EQ(value("select @@trancount"), "0");

    auto other = connect();
    EXPECT_EQ(rows("select cAcc_ID from UA_Account where cAcc_ID >= '010'", other.get()), (Rows{{"010"}}));
}

TEST_F(Transactions, ErrorsRollBackEverythingUnderXactAbortOnAndNothingUnderOff) {
    ok("begin tran\r\ninsert into UA_Account values ('012', N'留在事务中')");
    const OdbcBatch failedOff = client->run("insert into UA_Account values ('013', N'x')\r\nselect 1 / 0");
    ASSERT_TRUE(failedOff.failed());
    EXPECT_EQ(failedOff.diagnostics.back().native, 8134);
    EXPECT_EQ(value("select @@trancount"), "1");
    EXPECT_EQ(value("select count(*) from UA_Account where cAcc_ID in ('012', '013')"), "2");

    ok("set xact_abort on");
    const OdbcBatch failedOn = client->run(
        "insert into UA_Account values ('014', N'y')\r\nselect 5 % 0\r\ninsert into UA_Account values ('015', N'z')");
    ASSERT_TRUE(failedOn.failed());
    EXPECT_EQ(errorsOf(failedOn), (std::vector<std::string>{"Divide by zero error encountered."}));
    EXPECT_EQ(value("select @@trancount"), "0");
    EXPECT_EQ(value("select count(*) from UA_Account where cAcc_ID >= '012'"), "0");
}

TEST_F(Transactions, CommitOrRollbackWithoutATransactionAndStatementsATransactionCannotHoldAreRefused) {
    const OdbcDiagnostic commit = error("commit");
    EXPECT_EQ(commit.native, 3902);
    EXPECT_EQ(commit.text, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
    const OdbcDiagnostic rollback = error("rollback transaction");
    EXPECT_EQ(rollback.native, 3903);
    EXPECT_EQ(rollback.text, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");

    const OdbcDiagnostic alter = error("begin tran\r\nalter database QVSystem set recovery simple");
    EXPECT_EQ(alter.native, 226);
    EXPECT_EQ(alter.text, "ALTER DATABASE statement not allowed within multi-statement transaction.");
    EXPECT_EQ(error("create database another_one").text,
              "CREATE DATABASE statement not allowed within multi-statement transaction.");
    EXPECT_EQ(error("drop database QVSystem").native, 226);
    EXPECT_EQ(value("select @@trancount"), "1");  // a statement error leaves it open
    ok("use QVSystem");
    EXPECT_EQ(error("use master").native, 50000);  // unqualified names stay with the transaction's database
    ok("rollback");
}

TEST_F(Transactions, ADroppedConnectionRollsBackAndOthersWaitForItsLocksMeanwhile) {
    auto holder = connect();
    ok("begin tran\r\ninsert into UA_Account values ('016', N'未提交')", holder.get());
    // Readers see the last committed state at once.
    EXPECT_EQ(value("select count(*) from UA_Account where cAcc_ID = '016'"), "0");

    sandbox.server().armFault(sandbox::Fault::dropAtBatch(1).whenBatchContains("drop me"));
    const auto start = Clock::now();
    auto writer = std::async(std::launch::async,
                             [&] { return client->run("insert into UA_Account values ('017', N'等待后写入')"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(writer.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "the writer did not wait";
    EXPECT_TRUE(holder->run("select 'drop me'").failed());
    const OdbcBatch written = writer.get();
    EXPECT_FALSE(written.failed()) << written.firstError();
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(600));

    EXPECT_EQ(rows("select cAcc_ID from UA_Account where cAcc_ID in ('016', '017')"), (Rows{{"017"}}));
}

TEST_F(Transactions, ATransactionThatReadBeforeAnotherWroteIsTheDeadlockVictim) {
    auto holder = connect();
    ok("begin tran\r\nselect count(*) from UA_Account_sub");
    ok("begin tran\r\ndelete from UA_Account_sub where cAcc_ID = '003'", holder.get());
    const OdbcDiagnostic victim = error("delete from UA_Account_sub where cAcc_ID = '006'");
    EXPECT_EQ(victim.native, 1205);
    EXPECT_EQ(value("select @@trancount"), "0");
    ok("commit", holder.get());
    EXPECT_EQ(rows("select cAcc_ID, count(*) from UA_Account_sub where cAcc_ID in ('003', '006') group by cAcc_ID"),
              (Rows{{"006", "2"}}));
}

TEST_F(Transactions, AWaitForLockEndsWhenTheClientCancels) {
    auto holder = connect();
    ok("begin tran\r\ndelete from UA_Account_sub", holder.get());
    client->setQueryTimeout(1);
    const auto start = Clock::now();
    EXPECT_TRUE(client->run("delete from UA_Account_sub").failed());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    client->setQueryTimeout(0);
    ok("rollback", holder.get());
    EXPECT_EQ(value("select count(*) from UA_Account_sub"), "11");
}

}  // namespace
}  // namespace tallomar::test
