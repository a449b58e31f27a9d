// The operator always sees which ledger the window acts on, and what the
// window shows is true now: after a cancel, a failure or an undo no finding
// is shown as current, and 修复 waits for a check that completes.
#include "workbench_fixture.h"

#include "logic/workbench/run_progress_context.h"
#include "sandbox/faults.h"
#include "windows/history/history_window.h"
#include "windows/sweep/frm_sweep.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace tallomar::test {
namespace {

using namespace std::chrono_literals;
using LedgerInView = WorkbenchTest;

TEST_F(LedgerInView, TheStatusAreaAndTheCorrectionQuestionNameServerAccountSetYearAndDatabase) {
    session->gServerName = QStringLiteral("财务服务器,1433");
    session->accountSetEntry = QStringLiteral("[001]华北机械制造有限公司");
    session->gZTName = QStringLiteral("001");
    session->gYear = QStringLiteral("2008");
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    openWindow();
    const QString ledger = window->findChild<QLabel*>(QStringLiteral("labLedger"))->text();
    EXPECT_EQ(ledger,
              QStringLiteral("服务器 财务服务器,1433 · 账套 [001]华北机械制造有限公司 · 年度 2008 · 数据库 acct"));
    check();
    correct("cmdUndo");
    EXPECT_EQ(previewTarget,
              QStringLiteral("将修复 服务器 财务服务器,1433 账套 [001]华北机械制造有限公司 年度 2008（数据库 acct）"));
    // The ledger stays in view whatever the status line says.
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("labLedger"))->text(), ledger);
}

// A cancel that comes while the program itself waits for the server (here
// the lookup of the result table) stops the run at once, and the findings
// of the check before are no longer offered.
TEST_F(LedgerInView, ACancelDuringTheResultLookupEndsTheCheckAtOnceAndLeavesNoStaleFindings) {
    addStandardCheck();
    openWindow();
    check();
    ASSERT_FALSE(button("cmdRun").isHidden());

    server().armFault(sandbox::Fault::delayBatch(1, 60s).whenBatchContains("sysobjects"));
    QString batchWhileCancelling;
    dialogs.answer([&](QDialog& progress) {
        QTimer::singleShot(500ms, &progress, [&] {
            progress.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            batchWhileCancelling = progress.findChild<QLabel*>(QStringLiteral("labBatch"))->text();
        });
        return progress.exec();
    });
    QElapsedTimer clock;
    clock.start();
    window->cmdCheck_Click();
    EXPECT_LT(clock.elapsed(), 10000) << "the cancel did not reach the statement waiting for the server";
    EXPECT_EQ(batchWhileCancelling, QStringLiteral("正在取消：等待服务器停止当前语句…"));
    EXPECT_EQ(status(), QStringLiteral("检查已取消，没有可用的检查结果。"));
    EXPECT_EQ(window->resultModel(), nullptr);
    EXPECT_TRUE(widget("grdCheck").isHidden());
    EXPECT_TRUE(button("cmdRun").isHidden());
}

TEST_F(LedgerInView, ALostServerReplacesTheStatusAndTheFindings) {
    addStandardCheck();
    openWindow();
    check();
    window->cmdReadme_Click();
    ASSERT_EQ(status(), QStringLiteral("状态：使用说明"));
    // The connection is gone and the server cannot be reached again (this
    // session knows no login to reach it with).
    session->cnAccount->disconnect();
    dialogs.acceptMessage();
    window->cmdCheck_Click();
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_TRUE(dialogs.shown().back().text.startsWith(QStringLiteral("无法连接服务器")))
        << dialogs.shown().back().text.toStdString();
    EXPECT_EQ(status(), QStringLiteral("检查没有完成，没有可用的检查结果。"));
    EXPECT_EQ(window->resultModel(), nullptr);
    EXPECT_TRUE(button("cmdRun").isHidden());
}

TEST_F(LedgerInView, HistoryAndSweepOpenCentredOnTheMainWindow) {
    openWindow();
    window->move(40, 60);  // not where a window would open by itself
    window->show();
    window->showHistory();
    window->showSweep();
    const QPoint centre = window->frameGeometry().center();
    const std::pair<const char*, QWidget*> opened[] = {{"history", window->findChild<HistoryWindow*>()},
                                                       {"sweep", window->findChild<FrmSweep*>()}};
    const QRect screen = window->screen()->availableGeometry();
    for (const auto& [name, other] : opened) {
        ASSERT_NE(other, nullptr) << name;
        EXPECT_TRUE(other->isVisible()) << name;
        // Centred on the main window, unless that would leave the screen.
        const QRect frame = other->frameGeometry();
        if (frame.width() <= screen.width() && frame.height() <= screen.height()) {
            EXPECT_TRUE(screen.contains(frame)) << name;
        }
        const QPoint offset = frame.center() - centre;
        const bool pushedInside = frame.left() == screen.left() || frame.top() == screen.top() ||
                                  frame.right() == screen.right() || frame.bottom() == screen.bottom();
        EXPECT_TRUE(offset.manhattanLength() <= 4 || pushedInside) << name;
        other->close();
    }
}

}  // namespace
}  // namespace tallomar::test
