// Where a save writes: without the copies an interrupted save left behind
// (save_files_posix_test.cpp: through symbolic links, never into a FIFO).
#include "save_files_fixture.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>

namespace tallomar::test {
namespace {

TEST_F(SaveFiles, TheNextSaveRemovesCopiesThatAnInterruptedSaveLeftBehind) {
    const auto copy = [this](const QString& name, int ageSeconds) {
        const QString file = dir.filePath(name);
        writeBytes(file, "partial");
        QFile handle(file);
        EXPECT_TRUE(handle.open(QIODevice::ReadWrite));
        EXPECT_TRUE(
            handle.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        return file;
    };
    const QString staleCopy = copy(QStringLiteral(".ZOL.mdb.~tallomar-save~Ab12Cd"), 120);
    const QString staleBackup = copy(QStringLiteral(".ZOL.mdb.bak.~tallomar-save~xY98zW"), 3600);
    const QString running =
        copy(QStringLiteral(".ZOL.mdb.~tallomar-save~Qq11Ww"), 0);  // another save may be writing it
    const QString otherFile = copy(QStringLiteral(".Other.mdb.~tallomar-save~Ab12Cd"), 3600);
    // Files a person named like a copy are theirs, whatever their age.
    const QStringList notOurs = {
        copy(QStringLiteral(".ZOL.mdb.notes"), 3600), copy(QStringLiteral(".ZOL.mdb.backup"), 3600),
        copy(QStringLiteral(".ZOL.mdb.bak.old123"), 3600), copy(QStringLiteral(".ZOL.mdb.Ab12Cd"), 3600)};

    mdb::saveCellChanges(path, {firstSetting(path, QStringLiteral("新值"))});

    EXPECT_FALSE(QFile::exists(staleCopy));
    EXPECT_FALSE(QFile::exists(staleBackup));
    EXPECT_TRUE(QFile::exists(running));
    for (const QString& file : notOurs) EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFile::exists(otherFile));
    EXPECT_EQ(cell(tableNamed(mdb::readTables(path), "ZOL"), 0, "cValue"), QStringLiteral("新值"));
}

}  // namespace
}  // namespace tallomar::test
