// The correction run and the two help texts.
#include "workbench_fixture.h"

namespace tallomar::test {
namespace {

using CorrectionRun = WorkbenchTest;

TEST_F(CorrectionRun, SuccessRepairsReportsAndHidesRun) {
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    tool.addCorrection(2, QStringLiteral("999"));
    tool.addCorrection(3, QVariant());
    openWindow();
    check();
    ASSERT_FALSE(button("cmdRun").isHidden());
    correct("cmdCommit");
    EXPECT_EQ(previewCounts, QStringLiteral("修复前 3 条 → 修复后 0 条"));
    EXPECT_EQ(report(), QStringLiteral("成功执行！"));
    EXPECT_EQ(status(), QStringLiteral("恭喜您，成功修复!"));
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("0"));
}

TEST_F(CorrectionRun, SecondOfThreeFailingLeavesTheLedgerExactlyAsBefore) {
    writeScript(QStringLiteral("one.sql"), QStringLiteral("update ledger set bad = 0 where cCode = '1001'\r\n"));
    writeScript(QStringLiteral("two.sql"),
                QStringLiteral("update ledger set cName = 'x'\r\nGO\r\nupdate no_such_ledger set bad = 0\r\n"));
    writeScript(QStringLiteral("three.sql"), QStringLiteral("update ledger set bad = 0 where cCode = '1122'\r\n"));
    tool.addCorrection(1, QStringLiteral("one.sql"));
    tool.addCorrection(2, QStringLiteral("two.sql"));
    tool.addCorrection(3, QStringLiteral("three.sql"));
    const QStringList before = ledger();
    openWindow();
    correct();
    // The report box keeps lines, not their CR LF ends.
    const QStringList lines = report().split(u'\n');
    ASSERT_GE(lines.size(), 4) << report().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("有未知的错误，可能原因如下："));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("no_such_ledger"))) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("脚本 two.sql 第 2 批（第 3 行起）"));
    EXPECT_EQ(lines[3], QStringLiteral("所有修改已撤销，数据未被改动。"));
    EXPECT_EQ(received().filter(QStringLiteral("1122")).size(), 0);
    // The run offered no check before it: a tool without check scripts
    // offers its run again.
    EXPECT_EQ(status(), QStringLiteral("所有修改已撤销，数据未被改动。"));
    EXPECT_FALSE(button("cmdRun").isHidden());
    EXPECT_EQ(ledger(), before);
}

TEST_F(CorrectionRun, WithoutCheckScriptsTheRepairIsNotClaimed) {
    tool.addCorrection(1, QStringLiteral("999"));
    tool.settings[QStringLiteral("ProjectType")] = QString();
    openWindow();
    correct("cmdCommit");
    EXPECT_EQ(previewCounts, QStringLiteral("修复前 ? 条 → 修复后 ? 条"));
    EXPECT_EQ(report(),
              QStringLiteral("成功执行！\n无法重新检查（本工具没有检查脚本，或检查结果表不存在），修复结果未经确认。"));
    EXPECT_EQ(status(), QStringLiteral("修复后无法重新检查"));
}

TEST_F(CorrectionRun, OtherProjectTypeRunsNothingAndOnlySwitchesView) {
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    tool.settings[QStringLiteral("ProjectType")] = QStringLiteral("1");
    openWindow();
    window->cmdRun_Click();
    EXPECT_EQ(report(), QStringLiteral("本工具检查科目余额是否平衡。"));
    EXPECT_EQ(tool.recordsetReads(), 0);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("3"));
}

TEST_F(CorrectionRun, UnreadableCorrectionRowsShowWarningOnly) {
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    openWindow();
    tool.failRecordsets = true;
    dialogs.acceptMessage();
    window->cmdRun_Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(report(), QStringLiteral("本工具检查科目余额是否平衡。"));
    EXPECT_FALSE(button("cmdRun").isHidden());
}

using HelpTexts = WorkbenchTest;

TEST_F(HelpTexts, SolutionShownOnlyForProjectTypeOne) {
    addStandardCheck();
    tool.settings[QStringLiteral("ProjectType")] = QStringLiteral("1");
    openWindow();
    check();
    ASSERT_FALSE(button("cmdSolution").isHidden());
    window->cmdSolution_Click();
    EXPECT_EQ(report(), QStringLiteral("请按参考方案手工调整凭证。"));
    EXPECT_EQ(status(), QStringLiteral("执行结果参考方案"));
    EXPECT_FALSE(widget("txtReport").isHidden());
    EXPECT_TRUE(widget("grdCheck").isHidden());
}

TEST_F(HelpTexts, SolutionWithOtherProjectTypeChangesNothing) {
    addStandardCheck();
    openWindow();
    check();
    window->cmdSolution_Click();
    EXPECT_EQ(status(), QStringLiteral("共找到[3]条记录"));
    EXPECT_FALSE(widget("grdCheck").isHidden());
}

TEST_F(HelpTexts, ReadmeShowsUsageTextInReportView) {
    addStandardCheck();
    openWindow();
    check();
    window->cmdReadme_Click();
    EXPECT_EQ(report(), QStringLiteral("本工具检查科目余额是否平衡。"));
    EXPECT_EQ(status(), QStringLiteral("状态：使用说明"));
    EXPECT_FALSE(widget("txtReport").isHidden());
    EXPECT_TRUE(widget("grdCheck").isHidden());
}

}  // namespace
}  // namespace tallomar::test

namespace tallomar::test {
namespace {

TEST(CorrectionReport, HeadingThenCrLfThenFailureThenWhereItStopped) {
    EXPECT_EQ(texts::runErrorsReport(RunOutcome::failed(QStringLiteral("[FreeTDS][SQL Server]x"))),
              QStringLiteral("有未知的错误，可能原因如下：\r\n[FreeTDS][SQL Server]x"));
    const RunOutcome failed{RunOutcome::Kind::Failed, QStringLiteral("check\\gap.sql"), 3, 41, QStringLiteral("x")};
    EXPECT_EQ(texts::runErrorsReport(failed),
              QStringLiteral("有未知的错误，可能原因如下：\r\nx\r\n脚本 check\\gap.sql 第 3 批（第 41 行起）"));
    // A failure before the first batch (the database switch) names no batch.
    const RunOutcome beforeBatches{RunOutcome::Kind::Failed, QStringLiteral("a.sql"), 0, 0, QStringLiteral("y")};
    EXPECT_EQ(texts::runFailureText(beforeBatches), QStringLiteral("y"));
}

TEST(CorrectionReport, CancelIsTheOperatorsNotAnUnknownError) {
    const RunOutcome cancelled{RunOutcome::Kind::Cancelled, QStringLiteral("a.sql"), 2, 9, RunContext::cancelledText()};
    EXPECT_EQ(texts::runFailureText(cancelled), QStringLiteral("已取消：操作员已取消执行。"));
    EXPECT_EQ(texts::runErrorsReport(cancelled), QStringLiteral("已取消：操作员已取消执行。"));
}

}  // namespace
}  // namespace tallomar::test
