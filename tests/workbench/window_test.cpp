// The window itself: dragging by its surface, the about box, the grid's copy
// and export, the viewer outliving the main window.
#include "workbench_fixture.h"

#include "windows/workbench/window_drag.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

namespace tallomar::test {
namespace {

using MainWindow = WorkbenchTest;

TEST_F(MainWindow, OnlyLeftButtonAloneOnTheSurfaceDrags) {
    openWindow();
    const QPoint surface(300, 50);
    ASSERT_EQ(window->childAt(surface), nullptr);
    EXPECT_TRUE(startsWindowDrag(*window, Qt::LeftButton, Qt::LeftButton, surface));
    EXPECT_FALSE(startsWindowDrag(*window, Qt::RightButton, Qt::RightButton, surface));
    EXPECT_FALSE(startsWindowDrag(*window, Qt::LeftButton, Qt::LeftButton | Qt::RightButton, surface));
    EXPECT_FALSE(startsWindowDrag(*window, Qt::LeftButton, Qt::LeftButton, button("cmdAbout").geometry().center()));
}

TEST_F(MainWindow, AboutBoxIsModalOwnedFixedAndCentredOnTheScreen) {
    openWindow();
    window->move(0, 0);
    dialogs.answer([&](QDialog& about) {
        EXPECT_EQ(about.parentWidget(), window.data());
        about.show();
        const QRect screen = window->screen()->availableGeometry();
        EXPECT_LE((about.frameGeometry().center() - screen.center()).manhattanLength(), 8)
            << "about box at " << about.frameGeometry().center().x() << "," << about.frameGeometry().center().y();
        EXPECT_EQ(about.windowTitle(), QStringLiteral(" 关于"));
        EXPECT_EQ(about.size(), QSize(461, 192));
        EXPECT_EQ(about.minimumSize(), about.maximumSize());
        EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("Label1"))->text().contains(QStringLiteral("V3.0")));
        EXPECT_NE(about.findChild<QLabel*>(QStringLiteral("picSoft")), nullptr);
        auto* yes = about.findChild<QPushButton*>(QStringLiteral("cmdYes"));
        EXPECT_EQ(yes->text(), QStringLiteral("确定(&Y)"));
        yes->click();
        return about.result();
    });
    window->cmdAbout_Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral(" 关于"));
}

TEST_F(MainWindow, CopyAndExportTheResult) {
    // The export folder is remembered in the user's settings file: here, one of the test's own.
    QTemporaryDir config;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", configHome); });
    session->gToolName = QStringLiteral("余额/检查:工具");
    addStandardCheck();
    openWindow();
    check();
    auto* grid = window->findChild<QTableView*>(QStringLiteral("grdCheck"));
    grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::Select);
    grid->selectionModel()->select(grid->model()->index(0, 1), QItemSelectionModel::Select);
    const QList<QAction*> actions = grid->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(QKeySequence::Copy));
    actions[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("科目编码\t名称\n1001\t库存现金\n"));

    // The first export proposes the home folder and a name made of the tool,
    // the database and the minute, without characters file names cannot hold.
    const QString target = folder.filePath(QStringLiteral("findings.csv"));
    const QRegularExpression proposedName(QStringLiteral("^余额_检查_工具_acct_\\d{8}-\\d{4}\\.csv$"));
    dialogs.answer([&](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files.directory().absolutePath(), QDir::homePath());
        EXPECT_TRUE(proposedName.match(QFileInfo(files.selectedFiles().value(0)).fileName()).hasMatch())
            << files.selectedFiles().value(0).toStdString();
        files.selectFile(target);
        return int(QDialog::Accepted);
    });
    actions[1]->trigger();
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray csv = file.readAll();
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(csv.count("\r\n"), 4);
    EXPECT_EQ(status(), QStringLiteral("已导出 3 条记录到 ") + target);

    // The next export proposes the folder the last one went to.
    dialogs.answer([&](QDialog& dialog) {
        EXPECT_EQ(static_cast<QFileDialog&>(dialog).directory().absolutePath(), QDir(folder.path()).absolutePath());
        return int(QDialog::Rejected);
    });
    actions[1]->trigger();
    EXPECT_TRUE(QFileInfo::exists(config.filePath(QStringLiteral("tallomar/tallomar.ini"))));
}

TEST_F(MainWindow, ClosingKeepsProcessAliveWhileViewerIsOpen) {
    openWindow();
    window->show();
    dialogs.acceptMessage();  // the viewer finds no tool database here and says so
    window->cmdBeWrite_Click();
    QPointer<QWidget> viewer;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != window && top->isVisible() && top->objectName() == u"frmBewrite") viewer = top;
    ASSERT_FALSE(viewer.isNull());

    // The program ends when its last window closes: run its event loop and
    // close the main window first, the viewer later.
    bool runningAfterMainClosed = false;
    QTimer::singleShot(0, window.data(), &QWidget::close);
    QTimer::singleShot(100, viewer.data(), [&] {
        runningAfterMainClosed = window.isNull() && viewer->isVisible();
        viewer->close();
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(runningAfterMainClosed);
}

TEST_F(MainWindow, RightClickMenuOpensTheSweepBesideAnUnchangedWindow) {
    openWindow();
    window->show();
    const QSize fixedSize = window->size();
    QAction* sweep = nullptr;
    for (QAction* action : window->surfaceMenu()->actions())
        if (action->text() == QStringLiteral("全部账套检查(&W)…")) sweep = action;
    ASSERT_NE(sweep, nullptr);
    sweep->trigger();
    auto* sweepWindow = window->findChild<QWidget*>(QStringLiteral("FrmSweep"));
    ASSERT_NE(sweepWindow, nullptr);
    EXPECT_TRUE(sweepWindow->isWindow());
    EXPECT_TRUE(sweepWindow->isVisible());
    EXPECT_EQ(sweepWindow->windowTitle(), QStringLiteral("全部账套检查"));
    EXPECT_EQ(window->size(), fixedSize);
}

}  // namespace
}  // namespace tallomar::test
