#include "support/tool_fixture.h"

#include "jet4writer/damage.h"
#include "platform/access/mdb_reader.h"
#include "support/program_run.h"

#include <QFile>
#include <gtest/gtest.h>

namespace tallomar {
namespace {

test::ProgramRun runTooldb(const QStringList& arguments) {
    return test::runProgram(QStringLiteral(TALLOMAR_TOOLDB_PROGRAM), arguments);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ToolDbProgram : public ::testing::Test {
protected:
    test::ToolDatabaseFile file;
};

TEST_F(ToolDbProgram, SelectPrintsHeaderAndTabSeparatedRows) {
    const test::ProgramRun run = runTooldb({file.path(), QStringLiteral("select ID,cOperate as 操作步骤,cResult,nScore from Bewrite")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.outText(), QStringLiteral("ID\t操作步骤\tcResult\tnScore\n"
                                      "7\t打开凭证\t借贷不平\t3\n"
                                      "9\t重新记账\t\t2.5\n"));
}

TEST_F(ToolDbProgram, BooleansPrintAsMinusOneAndZero) {
    const test::ProgramRun run = runTooldb({file.path(), QStringLiteral("select bsign from Version where iGrade>1")});
    EXPECT_EQ(run.outText(), QStringLiteral("bsign\n-1\n-1\n0\n"));
}

TEST_F(ToolDbProgram, UpdatePrintsRowsChangedAndSaves) {
    const test::ProgramRun update = runTooldb({file.path(), QStringLiteral("update ZOL set cValue='it''s' where cName='Readme'")});
    EXPECT_EQ(update.exitCode, 0);
    EXPECT_EQ(update.outText(), QStringLiteral("1\n"));
    const test::ProgramRun read = runTooldb({file.path(), QStringLiteral("select cValue from ZOL where cName='readme'")});
    EXPECT_EQ(read.outText(), QStringLiteral("cValue\nit's\n"));
}

TEST_F(ToolDbProgram, ErrorsGiveOneLineAndStatusOneAndChangeNothing) {
    const QByteArray before = bytesOf(file.path());
    for (const QString& statement : {QStringLiteral("select x from ZOL"), QStringLiteral("delete from ZOL"),
                                     QStringLiteral("update Version set iGrade=3")}) {
        const test::ProgramRun run = runTooldb({file.path(), statement});
        EXPECT_EQ(run.exitCode, 1) << statement.toStdString();
        EXPECT_TRUE(run.outText().isEmpty());
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    }
    EXPECT_EQ(bytesOf(file.path()), before);
    EXPECT_EQ(runTooldb({file.folder() + QStringLiteral("/missing.mdb"), QStringLiteral("select 1")}).exitCode, 1);
    EXPECT_EQ(runTooldb({file.path()}).exitCode, 1);
}

TEST_F(ToolDbProgram, ADamagedFileIsRefusedOnStderrWithStatusOne) {
    QByteArray damaged = bytesOf(file.path());
    jet4::zeroPage(damaged, mdb::readTables(file.path(), {QStringLiteral("ZOL")}).front().locations.front().page);
    QFile out(file.path());
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(damaged);
    out.close();
    const test::ProgramRun run = runTooldb({file.path(), QStringLiteral("select cValue from ZOL")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.outText().isEmpty());
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("ZOL.mdb: the file is damaged: table ZOL holds"))) << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
    EXPECT_EQ(bytesOf(file.path()), damaged);
}

}  // namespace
}  // namespace tallomar
