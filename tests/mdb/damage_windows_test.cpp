// What stands where a tool database should and is not a regular file is
// refused at once: a folder, a device (Windows).
#include "mdb_fixture.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

TEST(DamageWindows, OnlyRegularFilesAreOpened) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("folder.mdb"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const auto& [name, kind] : {std::pair{folder, QStringLiteral("a folder")},
                                     std::pair{QStringLiteral("NUL"), QStringLiteral("a device")}}) {
        expectRefusedAtOnceAsNotARegularFile(name, kind);
    }
}

}  // namespace
}  // namespace tallomar::test
