// The sweep's logic in-process: a cancel mid-sweep, and the report's escaping.
#include "sweep_fixture.h"

#include "logic/sweep/sweep_html.h"
#include "logic/sweep/sweep_run.h"

#include <QElapsedTimer>
#include <chrono>

namespace tallomar::test {
namespace {

using Status = DatabaseCheck::Status;
using namespace std::chrono_literals;

class SweepRunning : public SweepFixture {};

TEST_F(SweepRunning, CancelAfterTheFirstCheckStopsTheRunningOneAndStartsNoOther) {
    slowChecksDown(QStringLiteral("00:00:00.300"));
    // The second database's check would stall for a minute: only a cancel ends it early.
    sandbox.server().armFault(sandbox::Fault::delayBatch(1, 60s).whenBatchContains("Use qvdata_001_2008"));
    const Session start = login();
    const QList<SweepTarget> targets = listSweepTargets(start);
    ASSERT_EQ(targets.size(), 6);

    SweepRun sweep(start, targets, 2);
    QList<int> checkedIndexes;
    QElapsedTimer clock;
    clock.start();
    const QList<DatabaseCheck> checks = sweep.run([&](int index, const DatabaseCheck&) {
        checkedIndexes << index;  // the callback runs on the worker threads
        sweep.cancel();
    });
    EXPECT_LT(clock.elapsed(), 20000);

    ASSERT_EQ(checks.size(), 6);
    EXPECT_EQ(checks[0].status, Status::Findings);
    EXPECT_EQ(checks[0].findings, 1);
    EXPECT_EQ(checks[0].rows.size(), 1);
    for (int index = 1; index < 6; ++index) {
        EXPECT_EQ(checks[index].status, Status::Cancelled) << index;
        EXPECT_FALSE(checks[index].findings.has_value());
    }
    // The interrupted check was reported as it ended; the four never started were not.
    std::sort(checkedIndexes.begin(), checkedIndexes.end());
    EXPECT_EQ(checkedIndexes, (QList<int>{0, 1}));

    SweepReport report{start.gServerName, QStringLiteral("demo"), QDateTime::currentDateTime(), checks};
    EXPECT_EQ(QString::fromUtf8(sweepJson(report)).count(QStringLiteral("\"status\": \"cancelled\"")), 5);
    EXPECT_EQ(sweepHtml(report).count(QStringLiteral("未检查")), 5 + 5);  // table and chart
}

TEST(SweepHtml, EscapesEveryTextFromServerAndPackage) {
    DatabaseCheck failed(
        SweepTarget{QStringLiteral("db<1>"), QStringLiteral("001"), QStringLiteral("A&B"), QStringLiteral("2008")});
    failed.status = Status::Failed;
    failed.error = QStringLiteral("<script>alert(\"x\")</script>");
    DatabaseCheck found(
        SweepTarget{QStringLiteral("db2"), QStringLiteral("002"), QStringLiteral("甲"), QStringLiteral("2008")});
    found.status = Status::Findings;
    found.findings = 1;
    found.columns = {QStringLiteral("<th>")};
    found.rows = {{QStringLiteral("</table>")}};
    const QString html =
        sweepHtml({QStringLiteral("srv&<x>"), QStringLiteral("工具"), QDateTime::currentDateTime(), {failed, found}});
    EXPECT_FALSE(html.contains(QStringLiteral("<script>")));
    EXPECT_FALSE(html.contains(QStringLiteral("db<1>")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;")));
    EXPECT_TRUE(html.contains(QStringLiteral("srv&amp;&lt;x&gt;")));
    EXPECT_TRUE(html.contains(QStringLiteral("<td>&lt;/table&gt;</td>")));
    EXPECT_EQ(html.count(QStringLiteral("<table")), html.count(QStringLiteral("</table>")));
}

}  // namespace
}  // namespace tallomar::test
