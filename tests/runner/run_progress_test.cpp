// Runs behind the progress box: the box shows where the work is, Cancel
// interrupts the batch on the server, and the box never outlives the work.
#include "windows/workbench/run_progress.h"
#include "logic/workbench/script_runner.h"
#include "platform/error.h"
#include "sandbox_account.h"
#include "script_files.h"
#include "support/scripted_dialogs.h"
#include "windows/workbench/run_progress_dialog.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace tallomar {
namespace {

using namespace std::chrono_literals;
using sandbox::Fault;

QString labelText(QDialog& dialog, const char* name) {
    auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

void clickCancel(QDialog& dialog) {
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    ASSERT_NE(button, nullptr);
    button->click();
}

// Waits off the user-interface thread until the operator cancels.
RunOutcome waitForCancel(RunContext& run) {
    while (!run.cancelRequested()) std::this_thread::sleep_for(5ms);
    return RunOutcome::cancelled();
}

TEST(RunProgress, ReturnsWhatTheWorkReturnsAndClosesItself) {
    test::ScriptedDialogs dialogs;
    dialogs.runForReal();
    EXPECT_EQ(runWithProgress(nullptr, QStringLiteral("检查"),
                              [](RunContext&) { return RunOutcome::failed(QStringLiteral("done")); })
                  .message,
              QStringLiteral("done"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("检查"));
}

TEST(RunProgress, WorkRunsOffTheUserInterfaceThread) {
    test::ScriptedDialogs dialogs;
    dialogs.runForReal();
    const auto uiThread = std::this_thread::get_id();
    std::thread::id workThread;
    (void)runWithProgress(nullptr, QStringLiteral("检查"), [&](RunContext&) {
        workThread = std::this_thread::get_id();
        return RunOutcome();
    });
    EXPECT_NE(workThread, uiThread);
}

TEST(RunProgress, ShowsScriptAndBatchAndIsModal) {
    test::ScriptedDialogs dialogs;
    QString script, batch;
    bool modal = false;
    dialogs.answer([&](QDialog& dialog) {
        modal = dialog.isModal();
        EXPECT_TRUE(QTest::qWaitFor([&] { return labelText(dialog, "labBatch").contains(QStringLiteral("7")); }, 3000));
        script = labelText(dialog, "labScript");
        batch = labelText(dialog, "labBatch");
        clickCancel(dialog);
        return dialog.exec();
    });
    const RunOutcome result = runWithProgress(nullptr, QStringLiteral("检查"), [](RunContext& run) {
        run.showScript(QStringLiteral("check\\a.sql"));
        run.showBatch(7);
        return waitForCancel(run);
    });
    EXPECT_TRUE(modal);
    EXPECT_EQ(script, QStringLiteral("脚本：check\\a.sql"));
    EXPECT_EQ(batch, QStringLiteral("批次：第 7 批"));
    EXPECT_EQ(result.kind, RunOutcome::Kind::Cancelled);
}

TEST(RunProgress, ElapsedTimeAdvances) {
    RunContext context;
    RunProgressDialog dialog(context, QStringLiteral("检查"));
    EXPECT_EQ(labelText(dialog, "labElapsed"), QStringLiteral("已用时间：00:00:00"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return labelText(dialog, "labElapsed") == QStringLiteral("已用时间：00:00:01"); }, 3000));
}

TEST(RunProgress, ClosingTheBoxCancelsButWaitsForTheWork) {
    test::ScriptedDialogs dialogs;
    std::atomic<bool> workEnded = false;
    bool openAfterClose = false;
    dialogs.answer([&](QDialog& dialog) {
        QTimer::singleShot(50, &dialog, [&] {
            dialog.reject();  // Esc or the title bar's close button
            openAfterClose = dialog.isVisible();
        });
        return dialog.exec();
    });
    (void)runWithProgress(nullptr, QStringLiteral("检查"), [&](RunContext& run) {
        (void)waitForCancel(run);
        std::this_thread::sleep_for(100ms);
        workEnded = true;
        return RunOutcome();
    });
    EXPECT_TRUE(openAfterClose);
    EXPECT_TRUE(workEnded);
}

TEST(RunProgress, BoxEndedUnexpectedlyStopsAndAwaitsTheWork) {
    test::ScriptedDialogs dialogs;
    dialogs.answer([](QDialog&) { return int(QDialog::Rejected); });
    std::atomic<bool> sawCancel = false;
    (void)runWithProgress(nullptr, QStringLiteral("检查"), [&](RunContext& run) {
        (void)waitForCancel(run);
        sawCancel = true;
        return RunOutcome();
    });
    EXPECT_TRUE(sawCancel);
}

TEST(RunProgress, FailureOfTheWorkIsThrownOnTheCallersThread) {
    test::ScriptedDialogs dialogs;
    dialogs.runForReal();
    try {
        (void)runWithProgress(nullptr, QStringLiteral("检查"),
                              [](RunContext&) -> RunOutcome { throw Error(QStringLiteral("work failed")); });
        FAIL() << "the failure was lost";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), QStringLiteral("work failed"));
    }
}

class ScriptRunProgress : public test::SandboxAccount {
protected:
    test::ScriptFolder folder;
};

TEST_F(ScriptRunProgress, CancelInterruptsTheRunningBatch) {
    QByteArray script;
    for (int i = 1; i <= 4; ++i) script += "insert into t values(" + QByteArray::number(i) + ")\r\nGO\r\n";
    folder.write(QStringLiteral("s.sql"), script);
    server().armFault(Fault::delayBatch(1, 10s).whenBatchContains("values(2)"));
    test::ScriptedDialogs dialogs;
    dialogs.answer([](QDialog& dialog) {
        QTimer::singleShot(300, &dialog, [&dialog] { clickCancel(dialog); });
        return dialog.exec();
    });
    QElapsedTimer clock;
    clock.start();
    session.gToolFolder = folder.path();
    const RunOutcome result = runWithProgress(nullptr, QStringLiteral("检查"), [&](RunContext& run) {
        return RunScriptFile(session, QStringLiteral("s.sql"), &run);
    });
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(result.kind, RunOutcome::Kind::Cancelled);
    EXPECT_EQ(result.message, RunContext::cancelledText());
    EXPECT_EQ(result.batch, 2);
    const QStringList sent = received();
    EXPECT_EQ(sent.size(), 3) << sent.join(u'|').toStdString();
    EXPECT_EQ(tableValues(), QStringList{"1"});
}

TEST_F(ScriptRunProgress, RunCancelledBeforeItStartsSendsNothing) {
    folder.write(QStringLiteral("s.sql"), "insert into t values(1)\r\n");
    RunContext run;
    run.cancel();
    session.gToolFolder = folder.path();
    EXPECT_EQ(RunScriptFile(session, QStringLiteral("s.sql"), &run).kind, RunOutcome::Kind::Cancelled);
    EXPECT_TRUE(received().isEmpty()) << received().join(u'|').toStdString();
}

TEST_F(ScriptRunProgress, SeveralScriptsInOneBox) {
    folder.write(QStringLiteral("a.sql"), "insert into t values(1)\r\n");
    folder.write(QStringLiteral("b.sql"), "insert into t values(2)\r\nGO\r\ninsert into t values(3)\r\n");
    test::ScriptedDialogs dialogs;
    dialogs.runForReal();
    session.gToolFolder = folder.path();
    RunContext::Progress progress;
    const RunOutcome result = runWithProgress(nullptr, QStringLiteral("检查"), [&](RunContext& run) {
        for (const QString& name : {QStringLiteral("a.sql"), QStringLiteral("b.sql")}) {
            RunOutcome ran = RunScriptFile(session, name, &run);
            if (!ran.succeeded()) return ran;
        }
        progress = run.progress();
        return RunOutcome();
    });
    EXPECT_TRUE(result.succeeded()) << result.message.toStdString();
    EXPECT_EQ(progress.script, QStringLiteral("b.sql"));
    EXPECT_EQ(progress.batch, 2);
    EXPECT_EQ(tableValues(), QStringList({"1", "2", "3"}));
}

}  // namespace
}  // namespace tallomar
