// The correction run in one transaction: whatever stops it leaves the
// ledger as it was, a script that ends the transaction itself is named, a
// package a transaction refuses runs the old way when the operator agrees,
// and the re-check decides the verdict before anything is kept.
#include "workbench_fixture.h"

#include "logic/workbench/result_model.h"
#include "sandbox/faults.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

namespace tallomar::test {
namespace {

using namespace std::chrono_literals;
using sandbox::Fault;

class SafeCorrection : public WorkbenchTest {
protected:
    // A check over the ledger, and a correction of three scripts: the first
    // repairs 1001, the second `second` (two batches), the third repairs 1122.
    void threeScripts(const QString& second) {
        addStandardCheck();
        writeScript(QStringLiteral("one.sql"), QStringLiteral("update ledger set bad = 0 where cCode = '1001'\r\n"));
        writeScript(QStringLiteral("two.sql"), second);
        writeScript(QStringLiteral("three.sql"), QStringLiteral("update ledger set bad = 0 where cCode = '1122'\r\n"));
        tool.addCorrection(1, QStringLiteral("one.sql"));
        tool.addCorrection(2, QStringLiteral("two.sql"));
        tool.addCorrection(3, QStringLiteral("three.sql"));
    }

    QStringList reportLines() { return report().split(u'\n'); }
};

TEST_F(SafeCorrection, CancelMidCorrectionChangesNothing) {
    threeScripts(QStringLiteral("update ledger set cName = 'x'\r\nGO\r\nWAITFOR DELAY '00:00:30'\r\n"));
    const QStringList before = ledger();
    openWindow();
    dialogs.answer([](QDialog& progress) {
        QTimer::singleShot(300ms, &progress,
                           [&progress] { progress.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click(); });
        return progress.exec();
    });
    window->cmdRun_Click();
    const QStringList lines = reportLines();
    // A cancel names no batch: the one it came in may have run to its end.
    ASSERT_EQ(lines.size(), 2) << report().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("已取消：") + RunContext::cancelledText());
    EXPECT_EQ(lines[1], QStringLiteral("所有修改已撤销，数据未被改动。"));
    EXPECT_EQ(ledger(), before);
    EXPECT_EQ(received().filter(QStringLiteral("1122")).size(), 0);
}

TEST_F(SafeCorrection, ConnectionDroppedMidCorrectionChangesNothing) {
    threeScripts(QStringLiteral("update ledger set cName = 'x'\r\nGO\r\nupdate ledger set cName = 'dropped here'\r\n"));
    server().armFault(Fault::dropAtBatch(1).whenBatchContains("dropped here"));
    const QStringList before = ledger();
    openWindow();
    correct();
    const QStringList lines = reportLines();
    // The heading, the lost server in the operator's words, the driver's own
    // text, where it stopped, and that nothing was changed.
    ASSERT_EQ(lines.size(), 5) << report().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("有未知的错误，可能原因如下："));
    EXPECT_EQ(lines[1], QStringLiteral("无法连接服务器，请检查服务器和网络。"));
    EXPECT_FALSE(lines[2].contains(QStringLiteral("[FreeTDS]"))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("脚本 two.sql 第 2 批（第 3 行起）"));
    EXPECT_EQ(lines[4], QStringLiteral("所有修改已撤销，数据未被改动。"));
    EXPECT_EQ(ledger(), before);
    // The server rolled back and let go of the ledger: another session writes.
    execute(QStringLiteral("update ledger set bad = 2 where cCode = '1002'"));
    EXPECT_EQ(scalar(QStringLiteral("select bad from ledger where cCode = '1002'")), QStringLiteral("2"));
}

TEST_F(SafeCorrection, AScriptThatCommitsItselfIsNamedAndWhatItKeptIsSaid) {
    threeScripts(
        QStringLiteral("update ledger set cName = '改过' where cCode = '1002'\r\nGO\r\nCOMMIT TRANSACTION\r\n"));
    openWindow();
    check();
    correct();  // no question: there is no transaction left to decide
    const QStringList lines = reportLines();
    ASSERT_GE(lines.size(), 4) << report().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("有未知的错误，可能原因如下："));
    EXPECT_EQ(lines[1],
              QStringLiteral("脚本 two.sql 自行提交或回滚了修复所用的事务，修复在此停止，之后的脚本没有执行。"));
    EXPECT_EQ(lines[2], QStringLiteral("脚本 two.sql 第 2 批（第 3 行起）"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("在此之前的修改可能已被该脚本提交保存"))) << lines[3].toStdString();
    // What the script committed is kept; the third script never ran.
    EXPECT_EQ(scalar(QStringLiteral("select bad from ledger where cCode = '1001'")), QStringLiteral("0"));
    EXPECT_EQ(scalar(QStringLiteral("select cName from ledger where cCode = '1002'")), QStringLiteral("改过"));
    EXPECT_EQ(scalar(QStringLiteral("select bad from ledger where cCode = '1122'")), QStringLiteral("1"));
    // What the ledger holds now is unknown until a check says: no findings
    // are shown and the run waits for one.
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_EQ(window->resultModel(), nullptr);
}

TEST_F(SafeCorrection, RefusedInsideATransactionAsksThenRunsTheOldWay) {
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), kRepairScript + QStringLiteral("GO\r\nPRINT 'database options'\r\n"));
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    server().armFault(
        Fault::failBatch(1, 226, "ALTER DATABASE statement not allowed within multi-statement transaction.")
            .whenBatchContains("database options"));
    openWindow();
    dialogs.runForReal();
    QString badWhileAsked;
    dialogs.answer([&](QDialog&) {
        badWhileAsked = scalar(QStringLiteral("select count(*) from ledger where bad = 1"));
        return int(QMessageBox::Yes);
    });
    dialogs.runForReal();
    window->cmdRun_Click();
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[1].icon, MessageIcon::Question);
    EXPECT_TRUE(dialogs.shown()[1].text.contains(QStringLiteral("是否按原方式执行")))
        << dialogs.shown()[1].text.toStdString();
    EXPECT_TRUE(dialogs.shown()[1].text.contains(QStringLiteral("脚本 repair.sql 第 2 批")));
    EXPECT_EQ(badWhileAsked, QStringLiteral("3"));  // the refused run was undone before the question
    EXPECT_EQ(report(), QStringLiteral("成功执行！"));
    EXPECT_EQ(status(), QStringLiteral("恭喜您，成功修复!"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("0"));
}

TEST_F(SafeCorrection, RecheckLeavingOneRecordSaysSoAndShowsIt) {
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), QStringLiteral("update ledger set bad = 0 where cCode <> '6001'\r\n"));
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    openWindow();
    check();
    correct("cmdCommit");
    EXPECT_EQ(previewCounts, QStringLiteral("修复前 3 条 → 修复后 1 条"));
    EXPECT_EQ(status(), QStringLiteral("修复后仍有[1]条记录"));
    EXPECT_FALSE(widget("grdCheck").isHidden());
    EXPECT_TRUE(widget("txtReport").isHidden());
    ASSERT_NE(window->resultModel(), nullptr);
    ASSERT_EQ(window->resultModel()->rowCount(), 1);
    EXPECT_EQ(window->resultModel()->text(0, 0), QStringLiteral("6001"));
    EXPECT_FALSE(button("cmdRun").isHidden());
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("1"));
}

TEST_F(SafeCorrection, PreviewUndoneChangesNothingAndShowsTheCounts) {
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    const QStringList before = ledger();
    openWindow();
    check();
    correct("cmdUndo");
    EXPECT_EQ(previewCounts, QStringLiteral("修复前 3 条 → 修复后 0 条"));
    EXPECT_EQ(report(), QStringLiteral("修复前 3 条 → 修复后 0 条\n所有修改已撤销，数据未被改动。"));
    EXPECT_EQ(status(), QStringLiteral("修复前 3 条 → 修复后 0 条（已撤销）"));
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_TRUE(widget("grdCheck").isHidden());
    EXPECT_EQ(ledger(), before);
}

TEST_F(SafeCorrection, TheQuestionCountsDownAndUndoesByItself) {
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    const QStringList before = ledger();
    openWindow();
    window->setPreviewUndoAfter(1500ms);
    dialogs.runForReal();
    QStringList countdown;
    qint64 waited = 0;
    dialogs.answer([&](QDialog& preview) {
        auto* label = preview.findChild<QLabel*>(QStringLiteral("labCountdown"));
        countdown << label->text();
        QTimer::singleShot(1000ms, &preview, [&] { countdown << label->text(); });
        QElapsedTimer clock;
        clock.start();
        const int result = preview.exec();
        waited = clock.elapsed();
        return result;
    });
    window->cmdRun_Click();
    EXPECT_EQ(countdown, QStringList({QStringLiteral("2 秒后自动撤销"), QStringLiteral("1 秒后自动撤销")}));
    EXPECT_GE(waited, 1400);
    EXPECT_EQ(report(), QStringLiteral("修复前 3 条 → 修复后 0 条\n所有修改已撤销，数据未被改动。"));
    EXPECT_EQ(ledger(), before);
}

}  // namespace
}  // namespace tallomar::test
