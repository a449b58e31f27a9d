#include "support/tool_fixture.h"

#include "jet4writer/damage.h"
#include "platform/access/jet4_format.h"
#include "platform/access/mdb_reader.h"
#include "support/program_run.h"

#include "platform/text/delimited_text.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

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
    const test::ProgramRun run =
        runTooldb({file.path(), QStringLiteral("select ID,cOperate as 操作步骤,cResult,nScore from Bewrite")});
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
    const test::ProgramRun update =
        runTooldb({file.path(), QStringLiteral("update ZOL set cValue='it''s' where cName='Readme'")});
    EXPECT_EQ(update.exitCode, 0);
    EXPECT_EQ(update.outText(), QStringLiteral("1\n"));
    const test::ProgramRun read =
        runTooldb({file.path(), QStringLiteral("select cValue from ZOL where cName='readme'")});
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
}

// A memo with line breaks, tabs and backslashes comes back whole from both
// output forms: escaped on one line, and as a quoted CSV field.
TEST_F(ToolDbProgram, MemoWithLineBreaksAndTabsRoundTrips) {
    const QString memo = QStringLiteral("第一行\r\n\t\"缩进\"\\路径\\n\r\n末行\t");
    ASSERT_EQ(
        runTooldb({file.path(), QStringLiteral("update ZOL set cValue='%1' where cName='Readme'").arg(memo)}).exitCode,
        0);
    const QString select = QStringLiteral("select cName, cValue from ZOL where cName='Readme'");

    const test::ProgramRun tabs = runTooldb({file.path(), select});
    ASSERT_EQ(tabs.exitCode, 0) << tabs.err.toStdString();
    const QStringList lines = tabs.outText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << "one header, one row, the final line end";
    EXPECT_EQ(lines[1], QStringLiteral("Readme\t第一行\\r\\n\\t\"缩进\"\\\\路径\\\\n\\r\\n末行\\t"));
    EXPECT_EQ(splitTabSeparatedLine(lines[1]), (QStringList{QStringLiteral("Readme"), memo}));

    const test::ProgramRun csv = runTooldb({QStringLiteral("--csv"), file.path(), select});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    QString quoted = memo;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    EXPECT_EQ(csv.outText(), QStringLiteral("cName,cValue\r\nReadme,\"%1\"\r\n").arg(quoted));
}

// A flipped bit in a table definition gives a column another type or name;
// the file still reads, wrongly (every cPath a date, a column gone). It is
// refused, naming the table and the column, and left as it was.
TEST_F(ToolDbProgram, ATableDefinitionThatDoesNotMatchIsRefusedNamingTableAndColumn) {
    const QByteArray whole = bytesOf(file.path());
    const quint32 definition = mdb::readTables(file.path(), {QStringLiteral("File")}).front().definitionPage;
    struct Case {
        const char* damage;
        std::function<void(QByteArray&)> flip;
        QString says;
    };
    const Case cases[] = {
        {"text column cPath read as dates",
         [&](QByteArray& bytes) {
             jet4::flipColumnEntryBit(bytes, definition, QStringLiteral("cPath"), jet4::kColumnTypeOffset, 1);
         },
         QStringLiteral("ZOL.mdb: the file is damaged: column cPath of table File has the type of a 8-byte value "
                        "(type 8) and a length of 200")},
        {"column cPath read from the slot of cType",
         [&](QByteArray& bytes) {
             jet4::flipColumnEntryBit(bytes, definition, QStringLiteral("cPath"), jet4::kColumnVarIndexOffset, 0);
         },
         QStringLiteral("ZOL.mdb: the file is damaged: column cPath of table File has the variable slot 2 of another "
                        "column")},
        {"column cPath renamed cPati",
         [&](QByteArray& bytes) { jet4::flipColumnNameBit(bytes, definition, QStringLiteral("cPath"), 4, 0); },
         QStringLiteral("ZOL.mdb: not a tool database, or its table definitions are damaged: table File has no "
                        "column cPath")},
        {"long integer iOrder read as a single-precision number",
         [&](QByteArray& bytes) {
             jet4::flipColumnEntryBit(bytes, definition, QStringLiteral("iOrder"), jet4::kColumnTypeOffset, 1);
         },
         QStringLiteral("ZOL.mdb: not a tool database, or its table definitions are damaged: column iOrder of table "
                        "File is a single-precision number column, where the program reads a number (a byte, "
                        "integer, long integer, double or decimal column)")},
    };
    for (const Case& damage : cases) {
        QByteArray bytes = whole;
        damage.flip(bytes);
        QFile out(file.path());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        const test::ProgramRun run = runTooldb({file.path(), QStringLiteral("select cPath, iOrder from File")});
        EXPECT_EQ(run.exitCode, 1) << damage.damage;
        EXPECT_TRUE(run.outText().isEmpty()) << damage.damage << ": " << run.outText().toStdString();
        EXPECT_EQ(run.err, QStringLiteral("tallomar-tooldb: %1\n").arg(damage.says)) << damage.damage;
        EXPECT_EQ(bytesOf(file.path()), bytes) << damage.damage;
    }
}

// Without the Access reader beside it the program says that it is
// incomplete and which file is missing, not that the tool database is damaged.
TEST_F(ToolDbProgram, AMissingAccessReaderIsReportedAsAnIncompleteProgram) {
    QTemporaryDir installed;
    const QFileInfo built(QStringLiteral(TALLOMAR_TOOLDB_PROGRAM));
    // Programs keep the system's ending for them (".exe" on Windows).
    const QString ending = built.suffix().isEmpty() ? QString() : QLatin1Char('.') + built.suffix();
    const QString program = installed.filePath(built.fileName());
    ASSERT_TRUE(QFile::copy(built.filePath(), program));
    const test::ProgramRun run = test::runProgram(program, {file.path(), QStringLiteral("select cName from ZOL")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.outText().isEmpty());
    EXPECT_EQ(run.err, QStringLiteral("tallomar-tooldb: the program is incomplete: %1 (the Access reader) is missing\n")
                           .arg(installed.filePath(QStringLiteral("tallomar-mdbread") + ending)));
}

// A memo of any length is read whole: none is cut at a buffer's size.
TEST(ToolDbProgramLongMemo, ThreeHundredThousandCharactersComeBackWhole) {
    QString memo;
    for (int i = 0; memo.size() < 300'000; ++i) memo += QStringLiteral("第%1段说明;").arg(i % 10);
    memo.truncate(300'000);
    const test::ToolDatabaseFile file(test::packageWithSettings({{QStringLiteral("Readme"), memo}}));

    const test::ProgramRun length =
        runTooldb({file.path(), QStringLiteral("select length(cValue) as n from ZOL where cName='Readme'")});
    EXPECT_EQ(length.outText(), QStringLiteral("n\n300000\n")) << length.err.toStdString();
    const test::ProgramRun text =
        runTooldb({file.path(), QStringLiteral("select cValue from ZOL where cName='Readme'")});
    EXPECT_EQ(text.outText(), QStringLiteral("cValue\n%1\n").arg(memo));
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
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("tallomar-tooldb: ZOL.mdb: the file is damaged: table ZOL holds")))
        << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
    EXPECT_EQ(bytesOf(file.path()), damaged);
}

}  // namespace
}  // namespace tallomar
