#include "platform/text/user_folders.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace tallomar;

// The lock and the socket that keep one copy of the program per installation
// live in the runtime folder: without one, a second start cannot find the
// first and opens a second window on the same package.
TEST(UserFolders, TheRuntimeFolderIsMadeOnFirstUseAndTakesFiles) {
    const QString folder = userRuntimeFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    EXPECT_EQ(userRuntimeFolder(), folder);
    QFile probe(QDir(folder).filePath(QStringLiteral("user-folders-test.probe")));
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly)) << probe.errorString().toStdString();
    EXPECT_TRUE(probe.remove());
}
