// What a client needs to take turns with others on one server: application
// locks (sp_getapplock, owned by the session), SQL run from a text, and a
// transaction's hold on tempdb that others wait for instead of failing.
#include "batch_fixture.h"

#include <chrono>
#include <future>

namespace tallomar::test {
namespace {

using Locks = BatchTest;
using Clock = std::chrono::steady_clock;

std::string lock(int timeoutMilliseconds) {
    return "declare @result int\r\n"
           "exec @result = tempdb.dbo.sp_getapplock @Resource = N'result table t', @LockMode = 'Exclusive', "
           "@LockOwner = 'Session', @LockTimeout = " +
           std::to_string(timeoutMilliseconds) + "\r\nselect @result";
}
const std::string kUnlock = "exec tempdb..sp_releaseapplock @Resource = N'result table t', @LockOwner = 'Session'";

TEST_F(Locks, ASessionsLockMakesOthersWaitUntilItIsReleasedOrTheSessionEnds) {
    auto other = connect();
    EXPECT_EQ(value(lock(1000)), "0");
    EXPECT_EQ(value(lock(1000)), "0");  // taken again by its owner: released twice
    EXPECT_EQ(value(lock(200), other.get()), "-1");

    const auto start = Clock::now();
    auto waiting = std::async(std::launch::async, [&] { return value(lock(10000), other.get()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ok(kUnlock);
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "granted while held";
    ok(kUnlock);
    EXPECT_EQ(waiting.get(), "1");  // granted after a wait
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(error(kUnlock).native, 1223);  // no longer held by this session

    // The lock goes with its session, as soon as the server sees it end.
    other.reset();
    const auto granted = value(lock(5000));
    EXPECT_TRUE(granted == "0" || granted == "1") << granted.value_or("NULL");
}

TEST_F(Locks, AWaitForALockEndsWhenTheClientCancels) {
    auto holder = connect();
    EXPECT_EQ(value(lock(0), holder.get()), "0");
    client->setQueryTimeout(1);
    const auto start = Clock::now();
    EXPECT_TRUE(client->run(lock(-1)).failed());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(Locks, SqlBuiltAsTextRunsAsABatchOfItsOwn) {
    ok("exec ('select cAcc_ID into tempdb..' + 'built' + ' from UA_Account where cAcc_ID = ''001''')");
    EXPECT_EQ(rows("select cAcc_ID from tempdb..built"), (Rows{{"001"}}));
    EXPECT_EQ(error("exec ('select * from no_' + 'table')").native, 208);
    EXPECT_EQ(error("select @undeclared").native, 137);
    EXPECT_EQ(error("exec dbo.some_procedure").native, 102);
}

// A correction's transaction that works in tempdb while another session
// fills a table of its own there: the other waits for the transaction's
// end, and neither is chosen as a deadlock victim.
TEST_F(Locks, ATransactionInTempdbMakesOtherWritersWaitInsteadOfDying) {
    auto other = connect();
    ok("begin tran\r\nif object_id('tempdb..mine') is not null drop table tempdb..mine\r\n"
       "select 1 as a into tempdb..mine");
    auto writing = std::async(std::launch::async, [&] { return other->run("select 2 as b into tempdb..theirs"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(writing.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "the writer did not wait";
    ok("select count(*) from tempdb..sysobjects\r\ndrop table tempdb..mine\r\nselect 3 as c into tempdb..mine");
    ok("commit");
    const OdbcBatch written = writing.get();
    EXPECT_FALSE(written.failed()) << written.firstError();
    EXPECT_EQ(value("select c from tempdb..mine"), "3");
}

}  // namespace
}  // namespace tallomar::test
