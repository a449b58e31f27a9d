#include "app/single_instance.h"
#include "program_copy.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <future>

using tallomar::SingleInstance;
using tallomar::test::ProgramCopy;
using namespace std::chrono_literals;

TEST(SingleInstance, OneHolderPerInstallation) {
    SingleInstance first(QStringLiteral("/opt/one/tallomar"));
    SingleInstance second(QStringLiteral("/opt/one/tallomar"));
    SingleInstance elsewhere(QStringLiteral("/opt/two/tallomar"));
    EXPECT_TRUE(first.acquire());
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(elsewhere.acquire());
}

// Each later start has the holder activate its window and learns the
// package folder the holder has open: none before it has one, then that
// folder exactly, whatever characters its name holds.
TEST(SingleInstance, LaterStartAsksTheHolderToActivateItsWindowAndLearnsItsPackage) {
    SingleInstance running(QStringLiteral("/opt/activate/tallomar"));
    int activations = 0;
    ASSERT_TRUE(running.acquire([&] { ++activations; }));

    SingleInstance later(QStringLiteral("/opt/activate/tallomar"));
    ASSERT_FALSE(later.acquire());
    // The holder answers from its event loop, which runs here meanwhile.
    const auto askRunningCopy = [&] {
        auto answered = std::async(std::launch::async, [&] { return later.activateRunningCopy(5s); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered.wait_for(0s) == std::future_status::ready; }, 6000));
        return answered.get();
    };
    EXPECT_EQ(askRunningCopy(), std::optional<QString>(QString()));
    EXPECT_EQ(activations, 1);

    const QString folder = QStringLiteral("/srv/工具包 100%\n第二行\nactivated x");
    running.setPackageFolder(folder);
    EXPECT_EQ(askRunningCopy(), std::optional<QString>(folder));
    EXPECT_EQ(activations, 2);
}

TEST(SingleInstance, AHolderThatDoesNotAnswerIsGivenUpAfterTheWait) {
    SingleInstance running(QStringLiteral("/opt/busy/tallomar"));
    ASSERT_TRUE(running.acquire([] {}));
    SingleInstance later(QStringLiteral("/opt/busy/tallomar"));
    ASSERT_FALSE(later.acquire());
    // No event loop runs here: the holder is as busy as a copy stuck in a long task.
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(later.activateRunningCopy(300ms), std::nullopt);
    EXPECT_LT(waited.elapsed(), 2000);
}

TEST(SingleInstance, SecondCopyEndsAtOnceAndSilently) {
    ProgramCopy program;
    auto first = program.start();
    ASSERT_FALSE(first->waitForFinished(1500)) << "the first copy should keep running";

    auto second = program.start();
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardOutput().isEmpty());

    first->kill();
    first->waitForFinished();
}

TEST(SingleInstance, LockOfAKilledCopyIsTakenOverAtOnce) {
    ProgramCopy program;
    auto killed = program.start();
    ASSERT_FALSE(killed->waitForFinished(1500));
    killed->kill();
    killed->waitForFinished();

    auto next = program.start();
    EXPECT_FALSE(next->waitForFinished(1500)) << "the next copy should take over the stale lock";
    next->kill();
    next->waitForFinished();
}

TEST(SingleInstance, WithoutRuntimeFolderTheLockIsPrivateAndQtDoesNotWarn) {
    QTemporaryDir temp;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temp.path());
    ProgramCopy program;
    auto first = program.start({}, environment);
    ASSERT_FALSE(first->waitForFinished(1500));
    auto second = program.start({}, environment);
    EXPECT_TRUE(second->waitForFinished(5000)) << "the second copy should find the lock and end";
    first->kill();
    first->waitForFinished();

    const QFileInfo folder(temp.filePath(QStringLiteral("tallomar-%1").arg(::getuid())));
    ASSERT_TRUE(folder.isDir());
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(folder.permissions() & others, QFileDevice::Permissions()) << "closed to others";
    EXPECT_EQ(QDir(folder.filePath()).entryList({QStringLiteral("tallomar-*.lock")}, QDir::Files).size(), 1);
    for (QProcess* process : {first.get(), second.get()}) {
        const QByteArray errors = process->readAllStandardError();
        EXPECT_FALSE(errors.contains("XDG_RUNTIME_DIR")) << errors.toStdString();
    }
}
