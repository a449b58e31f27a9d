#include "app/start_up.h"
#include "support/program_run.h"
#include "support/scripted_dialogs.h"
#include "support/tool_fixture.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tallomar;

class StartUp : public ::testing::Test {
protected:
    QTemporaryDir appFolder;
    Session session;
};

TEST_F(StartUp, ToolDatabaseIsZolMdbInThePackageFolder) {
    InitPaths(session, appFolder.path());
    EXPECT_EQ(session.gToolFolder, appFolder.path());
    EXPECT_EQ(session.gToolDbPath, appFolder.path() + QStringLiteral("/ZOL.mdb"));
}

TEST_F(StartUp, ToolDatabaseWrittenInOtherLetterCaseIsFound) {
    QFile database(appFolder.filePath(QStringLiteral("zol.MDB")));
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.close();

    InitPaths(session, appFolder.path());
    EXPECT_EQ(session.gToolDbPath, appFolder.filePath(QStringLiteral("zol.MDB")));
}

TEST_F(StartUp, MissingToolDatabaseIsReportedWithTheVendorMessage) {
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    InitPaths(session, appFolder.path());

    EXPECT_FALSE(OpenToolDatabase(session, session.gToolDbPath));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("找不到系统数据库,请与供应商联系!"));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(session.cnTool, nullptr);
}

TEST_F(StartUp, UnreadableToolDatabaseNamesTheFileInChinese) {
    QFile text(appFolder.filePath(QStringLiteral("ZOL.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is a text file, not a tool database\n");
    text.close();
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    InitPaths(session, appFolder.path());

    EXPECT_FALSE(OpenToolDatabase(session, session.gToolDbPath));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("工具数据库已损坏或无法读取：") + session.gToolDbPath);
    EXPECT_EQ(session.cnTool, nullptr);
}

// A tool database without a column the program reads, or with it in a kind
// it cannot read there, is named with its table and column.
TEST_F(StartUp, AToolDatabaseLackingAColumnNamesTableAndColumnInChinese) {
    jet4::DatabaseSpec spec = test::toolPackageSpec();
    for (jet4::TableSpec& table : spec.tables)
        for (jet4::ColumnSpec& column : table.columns)
            if (table.name == u"File" && column.name == u"cPath")
                column.name = QStringLiteral("cPati");  // as one flipped bit leaves it
    const test::ToolDatabaseFile file(spec);
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();

    EXPECT_FALSE(OpenToolDatabase(session, file.path()));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("工具数据库的表 File 没有可读的列 cPath：") + file.path());
    EXPECT_EQ(session.cnTool, nullptr);
}

// The Access reader is found beside the running program. This test runs a
// copy of its own program from a folder without the reader, where start-up
// must say in the operator's words that the program is incomplete and which
// file is missing, not that the tool database is damaged.
TEST_F(StartUp, AMissingAccessReaderIsReportedAsAnIncompleteProgram) {
    constexpr char kRunningAsCopy[] = "TALLOMAR_START_UP_TEST_COPY";
    if (qEnvironmentVariableIsSet(kRunningAsCopy)) {
        const test::ToolDatabaseFile file;
        test::ScriptedDialogs dialogs;
        dialogs.acceptMessage();
        EXPECT_FALSE(OpenToolDatabase(session, file.path()));
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text,
                  QStringLiteral("程序不完整，缺少文件：%1，请重新安装本程序")
                      .arg(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tallomar-mdbread"))));
        EXPECT_EQ(session.cnTool, nullptr);
        return;
    }
    const QString copy = appFolder.filePath(QStringLiteral("tallomar_app_tests"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    qputenv(kRunningAsCopy, "1");
    const test::ProgramRun run = test::runProgram(
        copy, {QStringLiteral("--gtest_filter=StartUp.AMissingAccessReaderIsReportedAsAnIncompleteProgram")});
    qunsetenv(kRunningAsCopy);
    EXPECT_EQ(run.exitCode, 0) << run.outText().toStdString();
    EXPECT_TRUE(run.outText().contains(QStringLiteral("[  PASSED  ] 1 test."))) << run.outText().toStdString();
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
    ASSERT_TRUE(OpenToolDatabase(session, file.path()));
    EXPECT_EQ(session.gServerName, QStringLiteral("db1,1433"));
    EXPECT_EQ(session.gUserName, QStringLiteral("\tsa\t"));
    EXPECT_EQ(session.gPassWord, QString());
    EXPECT_EQ(session.gZTName, QStringLiteral("[001]华北机械"));
    EXPECT_EQ(session.gYear, QStringLiteral("2008\r\n"));
    EXPECT_EQ(session.gSoft, QStringLiteral("R6 财务标准版"));
    // A full-width space is text, not a blank.
    EXPECT_EQ(session.gToolName, QStringLiteral("　凭证检查工具"));
}

TEST_F(StartUp, MissingOrNullSettingsAreEmpty) {
    const test::ToolDatabaseFile file(test::packageWithSettings({
        {QStringLiteral("ServerName"), QVariant()},
        {QStringLiteral("UserName"), QStringLiteral("sa")},
    }));
    ASSERT_TRUE(OpenToolDatabase(session, file.path()));
    EXPECT_EQ(session.gServerName, QString());
    EXPECT_EQ(session.gUserName, QStringLiteral("sa"));
    EXPECT_EQ(session.gToolName, QString());
    EXPECT_EQ(session.gSoft, QString());
}
