// The main window records its runs in the history and leads to it through
// its surface's right-click menu; a history that cannot be written costs the
// run nothing.
#include "workbench_fixture.h"

#include "logic/history/run_history.h"
#include "windows/history/history_window.h"

#include <pwd.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace tallomar::test {
namespace {

class RunHistoryOfTheWindow : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        ASSERT_TRUE(dataHome.isValid());
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        session->gServerName = QStringLiteral("(local)");
        session->gToolName = QStringLiteral("科目检查");
        addStandardCheck();
        writeScript(QStringLiteral("repair.sql"), kRepairScript);
        tool.addCorrection(1, QStringLiteral("repair.sql"));
    }
    void TearDown() override {
        WorkbenchTest::TearDown();
        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    QString historyPath() const { return dataHome.filePath(QStringLiteral("tallomar/history.sqlite")); }

    QTemporaryDir dataHome;
    QByteArray savedDataHome;
};

TEST_F(RunHistoryOfTheWindow, CheckCorrectCheckAreRecordedAndCtrlHShowsThem) {
    openWindow();
    check();
    correct("cmdCommit");
    check();
    EXPECT_EQ(status(), QStringLiteral("恭喜您，没有发现问题!"));
    EXPECT_EQ(dialogs.shown().size(), 4u);  // three progress boxes and the question, no warning

    history::RunHistory history(historyPath());
    const std::vector<history::RunRecord> runs = history.runs({});
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[2].facts.kind, history::RunKind::Check);
    EXPECT_EQ(runs[2].end.findings, 3);
    EXPECT_EQ(runs[2].end.statusText, QStringLiteral("共找到[3]条记录"));
    EXPECT_EQ(runs[2].facts.database, QStringLiteral("acct"));
    EXPECT_EQ(runs[2].facts.tool, QStringLiteral("科目检查"));
    EXPECT_EQ(runs[1].facts.kind, history::RunKind::Correct);
    EXPECT_EQ(runs[1].end.status, history::RunStatus::Ok);
    EXPECT_EQ(runs[1].end.statusText, QStringLiteral("恭喜您，成功修复!"));
    EXPECT_EQ(runs[1].end.findings, 3);
    EXPECT_EQ(runs[1].end.recheckFindings, 0);
    EXPECT_EQ(runs[1].end.committed, true);
    const std::vector<history::ScriptRecord> repair = history.scripts(runs[1].id);
    ASSERT_EQ(repair.size(), 3u);  // the check script before and after the repair
    EXPECT_TRUE(repair[1].file.endsWith(QStringLiteral("/repair.sql")));
    EXPECT_EQ(repair[1].batches, 1);
    EXPECT_EQ(runs[0].end.status, history::RunStatus::Ok);
    EXPECT_EQ(runs[0].end.findings, 0);
    EXPECT_EQ(history.findings(runs[2].id).rows.size(), 3u);

    QMenu* menu = window->surfaceMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("运行历史(&H)…"));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // A right click on a label of the surface opens the menu there.
    QWidget& caption = widget("labFrmCaption");
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), caption.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&caption, &rightClick);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    window->activateWindow();  // the shortcut works on the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_H, Qt::ControlModifier);
    auto* shown = window->findChild<HistoryWindow*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("运行历史"));
    menu->actions()[0]->trigger();
    EXPECT_EQ(window->findChildren<HistoryWindow*>().size(), 1);

    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (target.isEmpty()) return;
    shown->close();
    QApplication::sendEvent(&caption, &rightClick);
    QTest::qWait(100);
    ASSERT_TRUE(window->screen()->grabWindow(0).save(QDir(target).filePath(QStringLiteral("main-menu.png"))));
    menu->hide();
}

TEST_F(RunHistoryOfTheWindow, EachCorrectionReadsKeptOrUndoneAndByWhom) {
    using namespace std::chrono_literals;
    openWindow();
    check();
    correct("cmdUndo");
    correct("cmdCommit");
    execute(QStringLiteral("update ledger set bad = 1 where cCode in ('1001', '1122', '6001')"));  // broken again
    // The question closed with the title bar's X.
    dialogs.runForReal();
    dialogs.answer([](QDialog& preview) {
        QTimer::singleShot(50ms, &preview, [&preview] { preview.close(); });
        return preview.exec();
    });
    window->cmdRun_Click();
    // The question left alone until it undoes by itself.
    window->setPreviewUndoAfter(300ms);
    dialogs.runForReal();
    dialogs.answer([](QDialog& preview) { return preview.exec(); });
    window->cmdRun_Click();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("3"));

    window->surfaceMenu()->actions()[0]->trigger();
    auto* shown = window->findChild<HistoryWindow*>();
    ASSERT_NE(shown, nullptr);
    auto* grid = shown->findChild<QTableView*>(QStringLiteral("grdRuns"));
    QAbstractItemModel* list = grid->model();
    QStringList headers;
    for (int c = 0; c < list->columnCount(); ++c) headers << list->headerData(c, Qt::Horizontal).toString();
    const auto column = [&](const QString& heading) { return int(headers.indexOf(heading)); };
    // Each row as type, operator, status, findings, after, changes; newest first.
    const auto row = [&](int at) {
        QStringList cells;
        for (const char* heading : {"类型", "操作员", "状态", "发现数", "修复后", "修改"})
            cells << list->index(at, column(QString::fromUtf8(heading))).data().toString();
        return cells.join(QLatin1Char('/'));
    };
    const QString self = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
    ASSERT_EQ(list->rowCount(), 5);
    EXPECT_EQ(row(0), QStringLiteral("修复/%1/已撤销/3/0/已撤销").arg(self));  // undone by itself
    EXPECT_EQ(row(1), QStringLiteral("修复/%1/已撤销/3/0/已撤销").arg(self));  // closed
    EXPECT_EQ(row(2), QStringLiteral("修复/%1/成功/3/0/已提交").arg(self));
    EXPECT_EQ(row(3), QStringLiteral("修复/%1/已撤销/3/0/已撤销").arg(self));
    EXPECT_EQ(row(4), QStringLiteral("检查/%1/有发现/3//").arg(self));
    shown->grdRuns_Activated(list->index(0, 0));
    EXPECT_EQ(shown->findChild<QLabel*>(QStringLiteral("labFindings"))->text(),
              QStringLiteral("修复前 3 条 → 修复后 0 条（已撤销）"));
}

TEST_F(RunHistoryOfTheWindow, AHistoryThatCannotBeWrittenIsToldOnceAndTheCheckGoesOn) {
    QFile blocker(dataHome.filePath(QStringLiteral("tallomar")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    openWindow();
    dialogs.runForReal();
    dialogs.acceptMessage();
    window->cmdCheck_Click();
    EXPECT_EQ(status(), QStringLiteral("共找到[3]条记录"));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(dialogs.shown()[1].text.contains(QStringLiteral("history"))) << dialogs.shown()[1].text.toStdString();
    EXPECT_EQ(window->resultModel()->rowCount(), 3);
}

}  // namespace
}  // namespace tallomar::test
