// Runs at once on one server: each reads only the findings it produced,
// although every check script fills a tempdb table of the same name.
#include "workbench_fixture.h"

#include "logic/workbench/run_progress_context.h"
#include "logic/workbench/workbench.h"
#include "sandbox/faults.h"

#include <thread>

namespace tallomar::test {
namespace {

using namespace std::chrono_literals;
using sandbox::Fault;

// Two account-set databases whose faulty records differ.
const char* kLedgerA =
    "DROP TABLE IF EXISTS ledger;"
    "CREATE TABLE ledger(cCode NVARCHAR(20), cName NVARCHAR(60), bad INT);"
    "INSERT INTO ledger VALUES ('1001', '库存现金', 1), ('1122', '应收账款', 1), ('2202', '应付账款', 0);";
const char* kLedgerB =
    "DROP TABLE IF EXISTS ledger;"
    "CREATE TABLE ledger(cCode NVARCHAR(20), cName NVARCHAR(60), bad INT);"
    "INSERT INTO ledger VALUES ('6601', '销售费用', 1), ('6602', '管理费用', 1), ('6603', '财务费用', 1);";
const QStringList kFindingsA{QStringLiteral("1001"), QStringLiteral("1122")};
const QStringList kFindingsB{QStringLiteral("6601"), QStringLiteral("6602"), QStringLiteral("6603")};

class ConcurrentRuns : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        server().seedDatabase("acct_a", kLedgerA);
        server().seedDatabase("acct_b", kLedgerB);
        addStandardCheck();
    }

    std::unique_ptr<Session> sessionOn(const QString& database) {
        auto run = std::make_unique<Session>();
        run->cnAccount = connect();
        run->gDatabaseName = database;
        run->gToolFolder = folder.path();
        return run;
    }

    // The workbench of one run, on a tool of its own (the fake tool counts
    // its reads), working on the calling thread.
    struct Run {
        explicit Run(std::unique_ptr<Session> session, const FakeTool& package)
            : session(std::move(session)), tool(package) {}
        std::unique_ptr<Session> session;
        FakeTool tool;
        QStringList codes;  // the first column of every finding delivered
        Workbench workbench() {
            return Workbench(*session, tool.reads(), [](const QString&, const RunWork& work) {
                RunContext context;
                return work(context);
            });
        }
        ResultReceiver receiver() {
            return {[](const QStringList&) {},
                    [this](const ResultBlock& rows) {
                        for (int row = 0; row < rows.rowCount(); ++row) codes << rows.text(row, 0);
                    }};
        }
    };

    // Checks both databases at once: the first check waits between filling
    // its table and reading it, while the second runs from start to end.
    void checkSideBySide() {
        server().armFault(Fault::delayBatch(1, 300ms).whenBatchContains("tempdb..sysobjects"));
        Run a(sessionOn(QStringLiteral("acct_a")), tool);
        Run b(sessionOn(QStringLiteral("acct_b")), tool);
        CheckOutcome first;
        std::thread checking([&] { first = a.workbench().check(a.receiver()); });
        std::this_thread::sleep_for(50ms);
        const CheckOutcome second = b.workbench().check(b.receiver());
        checking.join();
        ASSERT_EQ(first.kind, CheckOutcome::Kind::Finished) << first.failure.message.toStdString();
        ASSERT_EQ(second.kind, CheckOutcome::Kind::Finished) << second.failure.message.toStdString();
        EXPECT_EQ(a.codes, kFindingsA);
        EXPECT_EQ(b.codes, kFindingsB);
        EXPECT_EQ(first.findings, kFindingsA.size());
        EXPECT_EQ(second.findings, kFindingsB.size());
    }
};

TEST_F(ConcurrentRuns, TwoChecksOfTwoDatabasesEachSeeExactlyTheirOwnFindings) {
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        checkSideBySide();
        if (HasFatalFailure()) return;
    }
    // Each run dropped its own table; the package's name was never filled.
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from tempdb..sysobjects where name like 'check_result%'")),
              QStringLiteral("0"));
}

TEST_F(ConcurrentRuns, ACorrectionBesideACheckCountsAndRechecksOnlyItsOwnDatabase) {
    writeScript(QStringLiteral("repair.sql"), QStringLiteral("update ledger set bad = 0 where cCode = '1001'\r\n"));
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        server().armFault(Fault::delayBatch(1, 300ms).whenBatchContains("tempdb..sysobjects"));
        Run a(sessionOn(QStringLiteral("acct_a")), tool);
        Run b(sessionOn(QStringLiteral("acct_b")), tool);
        CorrectionOutcome corrected;
        bool decided = false;
        // The correction is undone as soon as it ran: its open transaction may
        // hold tempdb, which the sandbox locks as a whole.
        std::thread correcting([&] {
            Correction correction = a.workbench().correct(QStringLiteral("0"), a.receiver());
            decided = correction.awaitsDecision();
            correction.rollback();
            corrected = correction.outcome();
        });
        std::this_thread::sleep_for(50ms);
        const CheckOutcome check = b.workbench().check(b.receiver());
        correcting.join();
        ASSERT_TRUE(decided) << corrected.run.message.toStdString();
        EXPECT_EQ(corrected.before, 2);
        EXPECT_EQ(corrected.after, 1);
        EXPECT_EQ(a.codes, QStringList{QStringLiteral("1122")});
        ASSERT_EQ(check.kind, CheckOutcome::Kind::Finished) << check.failure.message.toStdString();
        EXPECT_EQ(b.codes, kFindingsB);
    }
}

// A check whose script builds the table's name at run time cannot be given
// a name of its own: its runs take turns on the server instead.
TEST_F(ConcurrentRuns, ChecksThatBuildTheNameAtRunTimeTakeTurnsAndEachSeesItsOwnFindings) {
    writeScript(QStringLiteral("check.sql"),
                QStringLiteral(
                    "if object_id('tempdb..check_result') is not null drop table tempdb..check_result\r\n"
                    "GO\r\n"
                    "exec ('select cCode, cName into tempdb..' + 'check_' + 'result from ledger where bad = 1')\r\n"));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        checkSideBySide();
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(received().filter(QStringLiteral("sp_getapplock")).size(), 40);
    EXPECT_EQ(received().filter(QStringLiteral("sp_releaseapplock")).size(), 40);
}

}  // namespace
}  // namespace tallomar::test
