// What stands where a tool database should and is not a regular file is
// refused at once: a FIFO is never waited on (POSIX systems).
#include "mdb_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

TEST(DamagePosix, OnlyRegularFilesAreOpened) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe.mdb"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.mdb"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const auto& [name, kind] :
         {std::pair{fifo, QStringLiteral("a named pipe")}, std::pair{folder, QStringLiteral("a folder")},
          std::pair{QStringLiteral("/dev/zero"), QStringLiteral("a device")}}) {
        expectRefusedAtOnceAsNotARegularFile(name, kind);
    }
}

}  // namespace
}  // namespace tallomar::test
