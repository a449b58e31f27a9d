// Where a save writes on POSIX systems: through a symbolic link into the
// file behind it, never into anything but a regular file.
#include "platform/error.h"
#include "save_files_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomar::test {
namespace {

TEST_F(SaveFiles, ASaveThroughASymbolicLinkChangesTheFileBehindItAndKeepsTheLink) {
    QTemporaryDir package;
    ASSERT_TRUE(QDir().mkdir(package.filePath(QStringLiteral("data"))));
    const QString link = package.filePath(QStringLiteral("data/ZOL.mdb"));
    // A relative link, as a package copied with its links keeps them.
    ASSERT_TRUE(
        QFile::link(QStringLiteral("../../") + QFileInfo(dir.path()).fileName() + QStringLiteral("/ZOL.mdb"), link));
    ASSERT_EQ(QFileInfo(link).canonicalFilePath(), QFileInfo(path).canonicalFilePath());

    mdb::saveCellChanges(link, {firstSetting(link, QStringLiteral("经由链接"))});

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(cell(tableNamed(mdb::readTables(path), "ZOL"), 0, "cValue"), QStringLiteral("经由链接"));
    EXPECT_EQ(fileBytes(path + QStringLiteral(".bak")), original);
    EXPECT_EQ(QDir(package.filePath(QStringLiteral("data")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("ZOL.mdb")});
}

TEST_F(SaveFiles, RefusesWhatIsNotARegularFile) {
    const QString fifo = dir.filePath(QStringLiteral("Pipe.mdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    try {
        mdb::saveCellChanges(fifo, {{QStringLiteral("ZOL"), {3, 0}, QStringLiteral("cValue"), QStringLiteral("x")}});
        ADD_FAILURE() << "a pipe was written to";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Pipe.mdb: not a regular file"))) << error.what();
    }
}

}  // namespace
}  // namespace tallomar::test
