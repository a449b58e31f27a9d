// A save killed at any step leaves the file exactly as it was or exactly as
// the save makes it, and the next save removes whatever copies it left. The
// save runs as tallomar-mdbset under strace, which kills it at the N-th
// call of one system call, for every call of every system call a save uses
// to open, write, flush, rename, lock or remove files.
#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/access/mdb_cell_updater.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

const QStringList kFileSystemCalls{"openat",    "close", "write",  "pwrite64", "fsync",     "fdatasync", "fchmod",
                                   "ftruncate", "flock", "rename", "renameat", "renameat2", "unlink",    "unlinkat"};

// Moves the first row off its full page: a new page, the usage map, the
// pointer left behind.
const QStringList kSave{"ZOL", "cValue", "1", QString(500, QChar(0x957f))};

bool runSave(const QString& path, const QString& syscall, int killAt) {
    QProcess strace;
    strace.start(QStringLiteral("strace"),
                 QStringList{"-f", "-qq", "-o", "/dev/null", "-e", "trace=" + syscall, "-e",
                             QStringLiteral("inject=%1:signal=KILL:when=%2").arg(syscall).arg(killAt),
                             TALLOMAR_MDBSET_PROGRAM, path} +
                     kSave);
    EXPECT_TRUE(strace.waitForFinished(30000));
    return strace.exitStatus() == QProcess::NormalExit && strace.exitCode() == 0;
}

TEST(SaveCrash, KilledAtEveryFileSystemCallTheFileIsOldOrNewAndTheNextSaveCleansUp) {
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty()) GTEST_SKIP() << "strace is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZOL.mdb"));
    jet4::writeDatabase(crowdedPagesSpec(), path);
    const QByteArray before = fileBytes(path);
    ASSERT_TRUE(runSave(path, QStringLiteral("none"), 1));
    const QByteArray after = fileBytes(path);
    ASSERT_NE(after, before);
    ASSERT_GT(after.size(), before.size());

    int kills = 0;
    for (const QString& syscall : kFileSystemCalls) {
        for (int killAt = 1;; ++killAt) {
            QDir(dir.path()).removeRecursively();
            QDir().mkpath(dir.path());
            writeBytes(path, before);
            const bool finished = runSave(path, syscall, killAt);
            const QByteArray now = fileBytes(path);
            const std::string at = (syscall + QStringLiteral(" call %1").arg(killAt)).toStdString();
            ASSERT_TRUE(now == before || now == after) << "killed at " << at;
            if (now == after) {
                EXPECT_EQ(fileBytes(path + QStringLiteral(".bak")), before) << "killed at " << at;
            }
            EXPECT_EQ(mdb::readTables(path).size(), 1u) << "killed at " << at;
            if (finished) break;
            ++kills;

            // The copies the killed save left are ours once a minute old.
            for (const QFileInfo& copy : QDir(dir.path()).entryInfoList({".ZOL.mdb.*"}, QDir::Files | QDir::Hidden)) {
                QFile file(copy.filePath());
                ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                file.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime);
            }
            const auto rows = mdb::readTables(path);
            mdb::saveCellChanges(path, {{QStringLiteral("ZOL"), rows.front().locations.back(), QStringLiteral("cSys"),
                                         QStringLiteral("NEXT")}});
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                      (QStringList{QStringLiteral("ZOL.mdb"), QStringLiteral("ZOL.mdb.bak")}))
                << "after the save that followed a kill at " << at;
        }
    }
    EXPECT_GT(kills, 20);
    std::printf("killed the save at %d system calls\n", kills);
}

}  // namespace
}  // namespace tallomar::test
