#include "app/later_start.h"
#include "program_copy.h"
#include "support/scripted_dialogs.h"
#include "support/tool_fixture.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tallomar;
using namespace std::chrono_literals;

namespace {

// A tool package whose saved server refuses at once, so that the login
// window of the running copy waits for no server.
jet4::DatabaseSpec packageWithoutServer() {
    return test::packageWithSettings({{QStringLiteral("ServerName"), QStringLiteral("127.0.0.1,1")}});
}

// Waits until the running copy of the program answers `later` with `package`
// as its open package (empty text: it has none open yet).
bool waitForPackageOpen(const SingleInstance& later, const QString& package) {
    return QTest::qWaitFor([&] { return later.activateRunningCopy(1s) == std::optional<QString>(package); }, 15000);
}

}  // namespace

// A later start of the real program's copy: the running program answers
// over its socket, the later start's boxes are answered here.
TEST(LaterStart, BringsTheRunningCopyForwardForItsOwnPackageAndRefusesAnother) {
    const test::ToolDatabaseFile running(packageWithoutServer()), other(packageWithoutServer());
    QTemporaryDir links;
    const QString linkToRunning = links.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(running.folder(), linkToRunning));

    test::ProgramCopy program;
    auto first = program.start({running.folder()});
    SingleInstance later(program.executable());
    ASSERT_TRUE(waitForPackageOpen(later, running.folder())) << "the running copy should report its package";
    ASSERT_FALSE(later.acquire());

    test::ScriptedDialogs dialogs;  // a box nobody expects fails the test
    EXPECT_EQ(DeferToRunningCopy(later, running.folder(), 5s), 0);
    EXPECT_EQ(DeferToRunningCopy(later, linkToRunning, 5s), 0) << "the same folder through a link";
    EXPECT_EQ(DeferToRunningCopy(later, QString(), 5s), 0) << "a start naming no package";
    EXPECT_TRUE(dialogs.shown().empty());

    dialogs.acceptMessage();
    EXPECT_EQ(DeferToRunningCopy(later, other.folder(), 5s), 1);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              QStringLiteral("Tallomar 已在运行，打开的工具包是：\n%1\n\n一次只能打开一个工具包。"
                             "要打开 %2，请先关闭正在运行的 Tallomar。")
                  .arg(running.folder(), other.folder()));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);

    // The program itself: naming the running package by its tool database
    // ends at once with status 0; naming another does not end silently but
    // shows its box (which nobody answers here).
    auto samePackage = program.start({running.path()});
    ASSERT_TRUE(samePackage->waitForFinished(10000));
    EXPECT_EQ(samePackage->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(samePackage->exitCode(), 0);
    auto otherPackage = program.start({other.folder()});
    EXPECT_FALSE(otherPackage->waitForFinished(3000)) << "status " << otherPackage->exitCode();
    otherPackage->kill();
    otherPackage->waitForFinished();

    EXPECT_EQ(first->state(), QProcess::Running) << "the running copy stays";
    first->kill();
    first->waitForFinished();
}

// While the running copy still asks for its package, a start naming one is
// told so; a copy that does not answer at all is reported too. Both end
// with a status other than 0: the window did not come forward as asked.
TEST(LaterStart, ARunningCopyWithoutPackageOrWithoutAnswerIsReported) {
    const test::ToolDatabaseFile wanted(packageWithoutServer());
    test::ProgramCopy program;
    auto choosing = program.start();
    SingleInstance later(program.executable());
    ASSERT_TRUE(waitForPackageOpen(later, QString())) << "the running copy should answer while it asks";
    ASSERT_FALSE(later.acquire());

    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    EXPECT_EQ(DeferToRunningCopy(later, wanted.folder(), 5s), 1);
    choosing->kill();
    choosing->waitForFinished();

    SingleInstance busy(QStringLiteral("/opt/later-start-busy/tallomar"));
    ASSERT_TRUE(busy.acquire([] {}));
    SingleInstance laterThanBusy(QStringLiteral("/opt/later-start-busy/tallomar"));
    ASSERT_FALSE(laterThanBusy.acquire());
    dialogs.acceptMessage();
    // No event loop runs here while the later start waits: the holder is busy.
    EXPECT_EQ(DeferToRunningCopy(laterThanBusy, QString(), 300ms), 1);

    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(
        dialogs.shown()[0].text,
        QStringLiteral("Tallomar 已在运行，还没有打开工具包。\n要打开 %1，请在正在运行的 Tallomar 中选择这个文件夹。")
            .arg(wanted.folder()));
    EXPECT_EQ(dialogs.shown()[1].text, QStringLiteral("Tallomar 已在运行，但没有响应，无法把它的窗口切换到前面。"));
}
