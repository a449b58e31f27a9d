// How a script is cut into batches: separator lines, line ends and the exact
// text of each batch.
#include "logic/workbench/script_batches.h"
#include "script_files.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

using test::batchesOf;
using test::ScriptFolder;

class BatchSplit : public ::testing::Test {
protected:
    QStringList split(const QByteArray& bytes) { return batchesOf(folder.write(QStringLiteral("s.sql"), bytes)); }
    ScriptFolder folder;
};

TEST_F(BatchSplit, EachLineGetsABlankAndCrLf) {
    EXPECT_EQ(split("select 1\r\nGO\r\nselect 2\r\n"),
              QStringList({QStringLiteral("select 1 \r\n"), QStringLiteral("select 2 \r\n")}));
}

TEST_F(BatchSplit, EmptyFileHasNoBatch) {
    EXPECT_TRUE(split("").isEmpty());
}

TEST_F(BatchSplit, FileWithoutSeparatorIsOneBatch) {
    EXPECT_EQ(split("create table t(a int)\r\ninsert t values(1)\r\n"),
              QStringList{QStringLiteral("create table t(a int) \r\ninsert t values(1) \r\n")});
}

TEST_F(BatchSplit, LeadingAndRepeatedSeparatorsSendNoEmptyBatch) {
    EXPECT_EQ(split("GO\r\nselect 1\r\nGO\r\nGO\r\nselect 2\r\nGO\r\n"),
              QStringList({QStringLiteral("select 1 \r\n"), QStringLiteral("select 2 \r\n")}));
}

TEST_F(BatchSplit, BatchOfEmptyLinesIsSent) {
    EXPECT_EQ(
        split("select 1\r\nGO\r\n\r\n\r\nGO\r\nselect 2\r\n"),
        QStringList({QStringLiteral("select 1 \r\n"), QStringLiteral(" \r\n \r\n"), QStringLiteral("select 2 \r\n")}));
}

TEST_F(BatchSplit, SeparatorInAnyLetterCase) {
    EXPECT_EQ(split("a\r\ngo\r\nb\r\nGo\r\nc\r\ngO\r\nd\r\n"),
              QStringList({QStringLiteral("a \r\n"), QStringLiteral("b \r\n"), QStringLiteral("c \r\n"),
                           QStringLiteral("d \r\n")}));
}

TEST_F(BatchSplit, IndentedGoIsScriptText) {
    EXPECT_EQ(split("a\r\n  GO\r\n\tGO\r\nb\r\n"), QStringList{QStringLiteral("a \r\n  GO \r\n\tGO \r\nb \r\n")});
}

TEST_F(BatchSplit, LastLineWithoutLineEndBelongsToLastBatch) {
    EXPECT_EQ(split("a\r\nGO\r\nb\r\nc"), QStringList({QStringLiteral("a \r\n"), QStringLiteral("b \r\nc \r\n")}));
}

TEST_F(BatchSplit, SeparatorAsLastLineWithoutLineEnd) {
    EXPECT_EQ(split("a\r\nGO"), QStringList{QStringLiteral("a \r\n")});
}

TEST_F(BatchSplit, LoneCrEndsALine) {
    EXPECT_EQ(split("a\rGO\rb\r"), QStringList({QStringLiteral("a \r\n"), QStringLiteral("b \r\n")}));
}

// GO followed by something that cannot continue a word separates; GO that
// starts a longer word (a label, a column) is script text.
TEST_F(BatchSplit, GoFollowedByOtherCharactersSeparates) {
    EXPECT_EQ(split("a\r\nGO -- next\r\nb\r\nGO;\r\nc\r\nGO\t\r\nd\r\ngo--x\r\ne\r\n"),
              QStringList({QStringLiteral("a \r\n"), QStringLiteral("b \r\n"), QStringLiteral("c \r\n"),
                           QStringLiteral("d \r\n"), QStringLiteral("e \r\n")}));
}

TEST_F(BatchSplit, GoCountSendsTheBatchOnce) {
    EXPECT_EQ(split("insert t values(1)\r\nGO 2\r\n"), QStringList{QStringLiteral("insert t values(1) \r\n")});
}

TEST_F(BatchSplit, GoStartingAWordIsScriptText) {
    EXPECT_EQ(split("goto done\r\nGOODS_ID int,\r\ngo_x\r\nGO1\r\ndone:\r\n"),
              QStringList{QStringLiteral("goto done \r\nGOODS_ID int, \r\ngo_x \r\nGO1 \r\ndone: \r\n")});
}

TEST_F(BatchSplit, UnixLineEndsSplitAsMeant) {
    EXPECT_EQ(split("select 1\nGO\nselect 2\n"),
              QStringList({QStringLiteral("select 1 \r\n"), QStringLiteral("select 2 \r\n")}));
}

TEST_F(BatchSplit, MixedLineEnds) {
    EXPECT_EQ(split("a\r\nb\nc\rd\n\re"), QStringList{QStringLiteral("a \r\nb \r\nc \r\nd \r\n \r\ne \r\n")});
}

TEST(SeparatorLine, Rules) {
    EXPECT_TRUE(isSeparatorLine(u"GO"));
    EXPECT_TRUE(isSeparatorLine(u"go "));
    EXPECT_TRUE(isSeparatorLine(u"Go/* x */"));
    EXPECT_FALSE(isSeparatorLine(u"G"));
    EXPECT_FALSE(isSeparatorLine(u""));
    EXPECT_FALSE(isSeparatorLine(u" GO"));
    EXPECT_FALSE(isSeparatorLine(u"GOTO"));
    EXPECT_FALSE(isSeparatorLine(u"go_on"));
    EXPECT_FALSE(isSeparatorLine(u"GO9"));
    EXPECT_FALSE(isSeparatorLine(u"GO中"));
}

}  // namespace
}  // namespace tallomar
