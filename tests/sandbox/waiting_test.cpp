// Waiting without holding up other connections: WAITFOR DELAY runs on its
// own connection while others run theirs, and ends at the client's cancel;
// a server told to answer logins late answers each of them late, side by
// side.
#include "batch_fixture.h"

#include "support/sandbox_server.h"

#include <chrono>
#include <future>
#include <vector>

namespace tallomar::test {
namespace {

using WaitFor = BatchTest;
using Clock = std::chrono::steady_clock;

TEST_F(WaitFor, DelaysRunSideBySideOnTwoConnectionsAndACancelEndsOne) {
    auto second = connect();
    const auto start = Clock::now();
    auto first =
        std::async(std::launch::async, [&] { return client->run("waitfor delay '00:00:00.600'\r\nselect 1"); });
    const OdbcBatch other = second->run("waitfor delay '00:00:00.6'\r\nselect 2");
    const OdbcBatch one = first.get();
    const auto both = Clock::now() - start;
    EXPECT_FALSE(one.failed()) << one.firstError();
    EXPECT_FALSE(other.failed()) << other.firstError();
    EXPECT_GE(both, std::chrono::milliseconds(600));
    EXPECT_LT(both, std::chrono::milliseconds(1100)) << "the two waits did not overlap";

    const auto cancelStart = Clock::now();
    auto cancelled = std::async(std::launch::async, [&] { return client->run("waitfor delay '00:01'\r\nselect 3"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    client->cancel();
    const OdbcBatch stopped = cancelled.get();
    EXPECT_LT(Clock::now() - cancelStart, std::chrono::seconds(5));
    EXPECT_TRUE(stopped.results.empty() || stopped.results[0].rows.empty());
    EXPECT_EQ(value("select 4"), "4");

    const OdbcDiagnostic badTime = error("waitfor delay '25:00'");
    EXPECT_EQ(badTime.native, 148);
    EXPECT_EQ(badTime.text, "Incorrect time syntax in time string '25:00' used with WAITFOR.");
}

TEST(DelayedLogin, EachLoginIsAnsweredLateWithoutHoldingUpTheOthers) {
    sandbox::ServerOptions options;
    options.logins.push_back({SandboxServer::User, SandboxServer::Password});
    options.loginDelay = std::chrono::milliseconds(700);
    sandbox::Server server(options);
    const std::string connection =
        "Driver=" + freeTdsDriverPath().toStdString() + ";Server=127.0.0.1;Port=" + std::to_string(server.port()) +
        ";UID=" + SandboxServer::User + ";PWD=" + SandboxServer::Password + ";Database=master;TDS_Version=7.4";
    const auto start = Clock::now();
    std::vector<std::future<bool>> logins;
    for (int i = 0; i < 3; ++i)
        logins.push_back(std::async(std::launch::async, [&] {
            OdbcClient client(connection);
            return client.connected() && !client.run("select 1").failed();
        }));
    for (auto& login : logins) EXPECT_TRUE(login.get());
    const auto all = Clock::now() - start;
    EXPECT_GE(all, std::chrono::milliseconds(700));
    EXPECT_LT(all, std::chrono::milliseconds(1400)) << "the logins were answered one after another";
}

}  // namespace
}  // namespace tallomar::test
