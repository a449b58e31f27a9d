// Which scripts can work on a result table of their own, and how their
// batches name it.
#include "logic/workbench/result_table.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

// The batch as the table's run sends it.
QString rewritten(const ResultTable& table, QString batch) {
    table.rewrite(batch);
    return batch;
}

TEST(ResultTable, ThePackagesNameIsReplacedWhereverItStandsWholeAndNowhereElse) {
    const ResultTable table = ResultTable::withSharing(QStringLiteral("demo_check"), ResultTable::Sharing::Private);
    const QString own = table.name();
    EXPECT_TRUE(own.startsWith(QStringLiteral("demo_check_run_"))) << own.toStdString();
    EXPECT_NE(own, ResultTable::withSharing(QStringLiteral("demo_check"), ResultTable::Sharing::Private).name());

    const QString batch = QStringLiteral(
        "if object_id('tempdb..demo_check') is not null drop table tempdb..[DEMO_CHECK]\r\n"
        "select * into tempdb.dbo.demo_check from demo_check2 join #demo_check on 1=1 where x = @demo_check\r\n"
        "select 1 from demo_check_old, my_demo_check");
    EXPECT_EQ(
        rewritten(table, batch),
        QStringLiteral("if object_id('tempdb..%1') is not null drop table tempdb..[%1]\r\n"
                       "select * into tempdb.dbo.%1 from demo_check2 join #demo_check on 1=1 where x = @demo_check\r\n"
                       "select 1 from demo_check_old, my_demo_check")
            .arg(own));
    // First and last in the batch, side by side.
    EXPECT_EQ(rewritten(table, QStringLiteral("demo_check,demo_check")), own + u',' + own);

    // A batch that does not name the table is not touched: it still shares
    // its text with the caller's copy.
    const QString plain = QStringLiteral("select * from demo_check2 -- demo_checks");
    QString sent = plain;
    table.rewrite(sent);
    EXPECT_EQ(sent.constData(), plain.constData());

    const ResultTable shared = ResultTable::withSharing(QStringLiteral("demo_check"), ResultTable::Sharing::Serialized);
    EXPECT_EQ(shared.name(), QStringLiteral("demo_check"));
    EXPECT_EQ(rewritten(shared, batch), batch);
}

TEST(ResultTable, ANameTooLongForTheSuffixIsShortenedInTheBatch) {
    const QString packageName = QStringLiteral("t") + QString(130, u'x');
    const ResultTable table = ResultTable::withSharing(packageName, ResultTable::Sharing::Private);
    ASSERT_EQ(table.name().size(), 128);
    EXPECT_EQ(rewritten(table, QStringLiteral("drop table %1; select * from [%1] where 1=0").arg(packageName)),
              QStringLiteral("drop table %1; select * from [%1] where 1=0").arg(table.name()));
}

TEST(ResultTable, SqlThatCannotBeReadBeforeItRunsIsFoundOutsideCommentsAndText) {
    const char16_t* unseen[] = {
        u"exec ('select * into tempdb..' + @name)",
        u"select 1\r\nEXECUTE sp_executesql N'select 2'",
        u"exec dbo.fill_result",
        u"declare @s nvarchar(100) set @s = 'x' execute(@s)",
        u"fill_result 2008",  // a procedure's name first in the batch
        u"-- fills the table\r\n[dbo].[fill_result]",
        u"sp_executesql N'select 1'",
    };
    for (const char16_t* batch : unseen)
        EXPECT_TRUE(runsUnseenSql(QStringView(batch))) << QString::fromUtf16(batch).toStdString();
    const char16_t* readable[] = {
        u"select * into tempdb..demo_check from ledger_entry",
        u"-- exec would run a procedure\r\nselect 'exec me' as note /* execute */",
        u"if object_id('tempdb..t') is not null drop table tempdb..t",
        u"update ledger set [exec] = 1",
        u"done: select 1",
        u"",
    };
    for (const char16_t* batch : readable)
        EXPECT_FALSE(runsUnseenSql(QStringView(batch))) << QString::fromUtf16(batch).toStdString();
}

TEST(ResultTable, ARunIsSerializedWhenAnyOfItsScriptsRunsUnseenSqlOrCannotBeRead) {
    QTemporaryDir folder;
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    const QString plain = write(QStringLiteral("plain.sql"), "select 1 as a into tempdb..t\r\nGO\r\n");
    const QString dynamic = write(QStringLiteral("dynamic.sql"), "select 1\r\nGO\r\nexec ('select 2')\r\n");
    EXPECT_EQ(ResultTable::forRun(QStringLiteral("t"), {plain}).sharing(), ResultTable::Sharing::Private);
    EXPECT_EQ(ResultTable::forRun(QStringLiteral("t"), {plain, dynamic}).sharing(), ResultTable::Sharing::Serialized);
    EXPECT_EQ(
        ResultTable::forRun(QStringLiteral("t"), {plain, folder.filePath(QStringLiteral("missing.sql"))}).sharing(),
        ResultTable::Sharing::Serialized);
    EXPECT_TRUE(ResultTable::forRun(QString(), {plain}).isEmpty());
}

}  // namespace
}  // namespace tallomar::test
