#include "platform/error.h"
#include "platform/text/sql_quoting.h"
#include "support/tool_fixture.h"
#include "tooldb/tool_access.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

namespace tallomar {
namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ToolUpdates : public ::testing::Test {
protected:
    void SetUp() override { cnTool = tooldb::ToolDatabase::open(file.path()); }
    bool ExecuteToolSQL(const QString& sql) { return tallomar::ExecuteToolSQL(*cnTool, sql); }
    QString SelectValue(const QString& field, const QString& table, const QString& condition) const {
        return tallomar::SelectValue(field, table, condition, *cnTool);
    }
    std::unique_ptr<tooldb::ToolDatabase> cnTool;

    QString savedSetting(const QString& name) {
        return tallomar::SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                                     QStringLiteral("cName='%1'").arg(name), *tooldb::ToolDatabase::open(file.path()));
    }

    test::ToolDatabaseFile file;
};

TEST_F(ToolUpdates, SavedValueReadsBackAfterReopening) {
    EXPECT_TRUE(ExecuteToolSQL(QStringLiteral("Update ZOL set cValue='服务器一' where cName='ServerName'")));
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='ServerName'")),
              QStringLiteral("服务器一"));
    EXPECT_EQ(savedSetting(QStringLiteral("ServerName")), QStringLiteral("服务器一"));
    EXPECT_EQ(savedSetting(QStringLiteral("ToolName")), QStringLiteral("凭证检查工具"));
}

TEST_F(ToolUpdates, ApostrophesInAValueAreDoubledAndSavedWhole) {
    const QString password = QStringLiteral("it's a 'secret'");
    EXPECT_EQ(sqlText(password), QStringLiteral("'it''s a ''secret'''"));
    ExecuteToolSQL(QStringLiteral("Update ZOL set cValue=%1 where cName='PassWord'").arg(sqlText(password)));
    EXPECT_EQ(savedSetting(QStringLiteral("PassWord")), password);
}

TEST_F(ToolUpdates, ExecuteReportsTheRowsChanged) {
    EXPECT_EQ(cnTool->execute(QStringLiteral("update ZOL set cSys='tdb2' where cSys='TDB'")), 5);
    EXPECT_EQ(cnTool->execute(QStringLiteral("update ZOL set cSys='x' where cName='Nobody'")), 0);
}

TEST_F(ToolUpdates, LockFilePresentFailsAndLeavesFileAndMirrorAsTheyWere) {
    QFile lock(file.folder() + QStringLiteral("/ZOL.ldb"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const QByteArray before = bytesOf(file.path());
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("Update ZOL set cValue='x' where cName='ServerName'")), Error);
    EXPECT_EQ(bytesOf(file.path()), before);
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='ServerName'")),
              QStringLiteral("(local)"));
}

TEST_F(ToolUpdates, ReadOnlyFileFailsAndLeavesFileAndMirrorAsTheyWere) {
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(file.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(file.path(), QFileDevice::ReadOwner);
    if (QFileInfo(file.path()).isWritable()) {
        QFile::setPermissions(file.folder(), writable);
        GTEST_SKIP() << "file permissions do not bind this user";
    }
    const QByteArray before = bytesOf(file.path());
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("Update ZOL set cValue='x' where cName='ServerName'")), Error);
    QFile::setPermissions(file.folder(), writable);
    QFile::setPermissions(file.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(bytesOf(file.path()), before);
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='ServerName'")),
              QStringLiteral("(local)"));
}

TEST_F(ToolUpdates, ValueTooLongForItsColumnFailsAndLeavesFileAndMirrorAsTheyWere) {
    const QByteArray before = bytesOf(file.path());
    EXPECT_THROW(
        ExecuteToolSQL(
            QStringLiteral("update ZOL set cSys='%1' where cName='Readme'").arg(QString(5000, QLatin1Char('x')))),
        Error);
    EXPECT_EQ(bytesOf(file.path()), before);
    EXPECT_EQ(SelectValue(QStringLiteral("cSys"), QStringLiteral("ZOL"), QStringLiteral("cName='Readme'")),
              QStringLiteral("TDB"));
}

TEST_F(ToolUpdates, OnlyUpdatesOfTextAndMemoCellsAreAccepted) {
    const QByteArray before = bytesOf(file.path());
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("delete from ZOL")), Error);
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("insert into ZOL (cName) values ('x')")), Error);
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("update Version set bsign=-1")), Error);
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("update ZOL set cValue='a'; delete from ZOL")), Error);
    EXPECT_THROW(ExecuteToolSQL(QStringLiteral("update ZOL set nothing='a'")), Error);
    EXPECT_EQ(bytesOf(file.path()), before);
    EXPECT_EQ(OpenRecordset(QStringLiteral("select * from Version where bsign=-1"), *cnTool).rows.size(), 2u);
    EXPECT_EQ(OpenRecordset(QStringLiteral("select * from ZOL"), *cnTool).rows.size(), 5u);
}

TEST_F(ToolUpdates, NullCanBeWrittenAndStaysNull) {
    ExecuteToolSQL(QStringLiteral("update ZOL set cValue=null where cName='Readme'"));
    const auto reopened = tooldb::ToolDatabase::open(file.path());
    EXPECT_EQ(OpenRecordset(QStringLiteral("select cName from ZOL where cValue is null"), *reopened).rows.size(), 2u);
}

}  // namespace
}  // namespace tallomar
