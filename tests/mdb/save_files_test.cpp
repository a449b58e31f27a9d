// Where a save writes: through a symbolic link into the file behind it,
// never into anything but a regular file, and without the copies an
// interrupted save left behind.
#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/error.h"
#include "platform/access/mdb_cell_updater.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tallomar::test {
namespace {

class SaveFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZOL.mdb"));
        jet4::writeDatabase(toolDatabaseSpec(), path);
        original = fileBytes(path);
    }

    mdb::CellChange firstSetting(const QString& file, const QString& value) const
    {
        return {QStringLiteral("ZOL"), tableNamed(mdb::readTables(file), "ZOL").locations.front(), QStringLiteral("cValue"),
                value};
    }

    QTemporaryDir dir;
    QString path;
    QByteArray original;
};

TEST_F(SaveFiles, ASaveThroughASymbolicLinkChangesTheFileBehindItAndKeepsTheLink)
{
    QTemporaryDir package;
    ASSERT_TRUE(QDir().mkdir(package.filePath(QStringLiteral("data"))));
    const QString link = package.filePath(QStringLiteral("data/ZOL.mdb"));
    // A relative link, as a package copied with its links keeps them.
    ASSERT_TRUE(QFile::link(QStringLiteral("../../") + QFileInfo(dir.path()).fileName() + QStringLiteral("/ZOL.mdb"), link));
    ASSERT_EQ(QFileInfo(link).canonicalFilePath(), QFileInfo(path).canonicalFilePath());

    mdb::saveCellChanges(link, {firstSetting(link, QStringLiteral("经由链接"))});

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(cell(tableNamed(mdb::readTables(path), "ZOL"), 0, "cValue"), QStringLiteral("经由链接"));
    EXPECT_EQ(fileBytes(path + QStringLiteral(".bak")), original);
    EXPECT_EQ(QDir(package.filePath(QStringLiteral("data"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("ZOL.mdb")});
}

TEST_F(SaveFiles, RefusesWhatIsNotARegularFile)
{
    const QString fifo = dir.filePath(QStringLiteral("Pipe.mdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    try {
        mdb::saveCellChanges(fifo, {{QStringLiteral("ZOL"), {3, 0}, QStringLiteral("cValue"), QStringLiteral("x")}});
        ADD_FAILURE() << "a pipe was written to";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Pipe.mdb: not a regular file"))) << error.what();
    }
}

TEST_F(SaveFiles, TheNextSaveRemovesCopiesThatAnInterruptedSaveLeftBehind)
{
    const auto copy = [this](const QString& name, int ageSeconds) {
        const QString file = dir.filePath(name);
        writeBytes(file, "partial");
        QFile handle(file);
        EXPECT_TRUE(handle.open(QIODevice::ReadWrite));
        EXPECT_TRUE(handle.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        return file;
    };
    const QString staleCopy = copy(QStringLiteral(".ZOL.mdb.~tallomar-save~Ab12Cd"), 120);
    const QString staleBackup = copy(QStringLiteral(".ZOL.mdb.bak.~tallomar-save~xY98zW"), 3600);
    const QString running = copy(QStringLiteral(".ZOL.mdb.~tallomar-save~Qq11Ww"), 0);  // another save may be writing it
    const QString otherFile = copy(QStringLiteral(".Other.mdb.~tallomar-save~Ab12Cd"), 3600);
    // Files a person named like a copy are theirs, whatever their age.
    const QStringList notOurs = {copy(QStringLiteral(".ZOL.mdb.notes"), 3600), copy(QStringLiteral(".ZOL.mdb.backup"), 3600),
                                 copy(QStringLiteral(".ZOL.mdb.bak.old123"), 3600), copy(QStringLiteral(".ZOL.mdb.Ab12Cd"), 3600)};

    mdb::saveCellChanges(path, {firstSetting(path, QStringLiteral("新值"))});

    EXPECT_FALSE(QFile::exists(staleCopy));
    EXPECT_FALSE(QFile::exists(staleBackup));
    EXPECT_TRUE(QFile::exists(running));
    for (const QString& file : notOurs)
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFile::exists(otherFile));
    EXPECT_EQ(cell(tableNamed(mdb::readTables(path), "ZOL"), 0, "cValue"), QStringLiteral("新值"));
}

}  // namespace
}  // namespace tallomar::test
