#include "session/globals.h"
#include "app/start_up.h"
#include "support/scripted_dialogs.h"
#include "support/tool_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tallomar;

class StartUp : public ::testing::Test {
protected:
    void TearDown() override { ResetProcessValues(); }
    QTemporaryDir appFolder;
};

TEST_F(StartUp, ToolFolderIsTheFileFolderBesideTheExecutable) {
    InitPaths(appFolder.path());
    EXPECT_EQ(gToolFolder, appFolder.path() + QStringLiteral("/file"));
    EXPECT_EQ(gToolDbPath, appFolder.path() + QStringLiteral("/file/ZOL.mdb"));
    EXPECT_TRUE(gToolDbPassword.isEmpty());

    InitPaths(QStringLiteral("/"));
    EXPECT_EQ(gToolFolder, QStringLiteral("/file"));
}

TEST_F(StartUp, PackageWrittenInOtherLetterCaseIsFound) {
    ASSERT_TRUE(QDir(appFolder.path()).mkpath(QStringLiteral("File")));
    QFile database(appFolder.filePath(QStringLiteral("File/zol.MDB")));
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.close();

    InitPaths(appFolder.path());
    EXPECT_EQ(gToolDbPath, appFolder.filePath(QStringLiteral("File/zol.MDB")));
}

TEST_F(StartUp, MissingToolDatabaseIsReportedWithTheVendorMessage) {
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    InitPaths(appFolder.path());

    EXPECT_FALSE(OpenToolDatabase(gToolDbPath));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("找不到系统数据库,请与供应商联系!"));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(cnTool, nullptr);
}

TEST_F(StartUp, UnreadableToolDatabaseNamesTheFileAndTheReason) {
    ASSERT_TRUE(QDir(appFolder.path()).mkpath(QStringLiteral("file")));
    QFile text(appFolder.filePath(QStringLiteral("file/ZOL.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is a text file, not a tool database\n");
    text.close();
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    InitPaths(appFolder.path());

    EXPECT_FALSE(OpenToolDatabase(gToolDbPath));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("工具数据库已损坏：ZOL.mdb: not an Access database"));
    EXPECT_EQ(cnTool, nullptr);
}

TEST_F(StartUp, SettingsLoseBlanksButKeepTabsAndLineBreaks) {
    const test::ToolDatabaseFile file(test::packageWithSettings({
        {QStringLiteral("ServerName"), QStringLiteral("  db1,1433  ")},
        {QStringLiteral("UserName"), QStringLiteral("\tsa\t")},
        {QStringLiteral("PassWord"), QStringLiteral(" ")},
        {QStringLiteral("ZTName"), QStringLiteral(" [001]华北机械 ")},
        {QStringLiteral("Year"), QStringLiteral("2008\r\n")},
        {QStringLiteral("Soft"), QStringLiteral("R6 财务标准版")},
        {QStringLiteral("ToolName"), QStringLiteral("　凭证检查工具 ")},
    }));
    ASSERT_TRUE(OpenToolDatabase(file.path()));
    EXPECT_EQ(gServerName, QStringLiteral("db1,1433"));
    EXPECT_EQ(gUserName, QStringLiteral("\tsa\t"));
    EXPECT_EQ(gPassWord, QString());
    EXPECT_EQ(gZTName, QStringLiteral("[001]华北机械"));
    EXPECT_EQ(gYear, QStringLiteral("2008\r\n"));
    EXPECT_EQ(gSoft, QStringLiteral("R6 财务标准版"));
    // A full-width space is text, not a blank.
    EXPECT_EQ(gToolName, QStringLiteral("　凭证检查工具"));
}

TEST_F(StartUp, MissingOrNullSettingsAreEmpty) {
    const test::ToolDatabaseFile file(test::packageWithSettings({
        {QStringLiteral("ServerName"), QVariant()},
        {QStringLiteral("UserName"), QStringLiteral("sa")},
    }));
    ASSERT_TRUE(OpenToolDatabase(file.path()));
    EXPECT_EQ(gServerName, QString());
    EXPECT_EQ(gUserName, QStringLiteral("sa"));
    EXPECT_EQ(gToolName, QString());
    EXPECT_EQ(gSoft, QString());
}
