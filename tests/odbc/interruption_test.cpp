#include "sandbox_fixture.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

using namespace tallomar::odbc;
using namespace std::chrono_literals;
using tallomar::sandbox::Fault;

using Interruption = SandboxTest;

TEST_F(Interruption, QueryTimeoutStopsAWaitAndTheConnectionGoesOn) {
    auto connection = connect();
    sandbox().server().armFault(Fault::delayBatch(1, 4000ms).whenBatchContains("slow_batch"));
    Statement statement(*connection);
    statement.setQueryTimeout(1);
    QElapsedTimer clock;
    clock.start();
    try {
        statement.execute(QStringLiteral("select 1 as slow_batch"));
        FAIL() << "a batch answered after 4 s did not time out after 1 s";
    } catch (const Error& error) {
        EXPECT_FALSE(error.connectionLost()) << error.message().toStdString();
        EXPECT_FALSE(error.message().isEmpty());
    }
    EXPECT_LT(clock.elapsed(), 3500);
    EXPECT_FALSE(connection->isDead());
    statement.execute(QStringLiteral("select 2"));
    ASSERT_TRUE(statement.fetch());
    EXPECT_EQ(statement.text(0), QStringLiteral("2"));
    statement.discardResults();
    EXPECT_EQ(scalar(*connection, QStringLiteral("select 3")), QStringLiteral("3"));
}

TEST_F(Interruption, CancelFromAnotherThreadStopsTheBatch) {
    auto connection = connect();
    sandbox().server().armFault(Fault::delayBatch(1, 5000ms).whenBatchContains("long_batch"));
    Statement statement(*connection);
    QElapsedTimer clock;
    clock.start();
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        statement.cancel();
    });
    EXPECT_THROW(statement.execute(QStringLiteral("select 1 as long_batch")), Error);
    canceller.join();
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(statement.cancelled());
    EXPECT_FALSE(connection->isDead());
    EXPECT_EQ(scalar(*connection, QStringLiteral("select 4")), QStringLiteral("4"));
}

TEST_F(Interruption, CancelledStatementSendsNoFurtherBatch) {
    auto connection = connect();
    Statement statement(*connection);
    statement.cancel();
    sandbox().server().clearReceivedBatches();
    EXPECT_THROW(statement.execute(QStringLiteral("select 1")), Error);
    EXPECT_TRUE(sandbox().server().receivedBatches().empty());
}

TEST_F(Interruption, DroppedConnectionIsReportedAsLost) {
    auto connection = connect();
    sandbox().server().armFault(Fault::dropAtBatch(1).whenBatchContains("dropped_batch"));
    Statement statement(*connection);
    try {
        statement.execute(QStringLiteral("select 1 as a\r\nselect 2 as dropped_batch"));
        statement.discardResults();
        FAIL() << "a dropped connection was not reported";
    } catch (const Error& error) {
        EXPECT_TRUE(error.connectionLost()) << error.message().toStdString();
        EXPECT_FALSE(error.message().isEmpty());
    }
    EXPECT_TRUE(connection->isDead());
    // The program goes on: later work on the lost connection fails cleanly.
    try {
        statement.execute(QStringLiteral("select 1"));
        statement.discardResults();
        FAIL() << "a batch on a lost connection was reported as run";
    } catch (const Error& error) {
        EXPECT_TRUE(error.connectionLost()) << error.message().toStdString();
    }
    EXPECT_NO_THROW(connect());
}

TEST_F(Interruption, FailedBatchGivesTheServersError) {
    auto connection = connect();
    sandbox().server().armFault(Fault::failBatch(1, 50000, "injected failure").whenBatchContains("failing_batch"));
    Statement statement(*connection);
    try {
        statement.execute(QStringLiteral("select 1 as failing_batch"));
        FAIL() << "the refused batch was reported as run";
    } catch (const Error& error) {
        EXPECT_EQ(error.nativeError(), 50000);
        EXPECT_TRUE(error.message().contains(QStringLiteral("injected failure"))) << error.message().toStdString();
    }
    EXPECT_EQ(scalar(*connection, QStringLiteral("select 6")), QStringLiteral("6"));
}
