// Script files in GBK or with a byte-order mark, read as a stream: text is
// decoded exactly, bad bytes stop the reading at their line.
#include "script_files.h"
#include "platform/error.h"
#include "logic/workbench/script_batches.h"
#include "logic/workbench/script_text_reader.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

using test::batchesOf;
using test::gbk;
using test::ScriptFolder;

// Runs forEachBatch and returns the batches handed out before it threw, and
// the message it threw (empty when it did not).
struct Outcome {
    QStringList batches;
    QString failure;
};
Outcome readAll(const QString& path) {
    Outcome outcome;
    try {
        forEachBatch(path, [&](const QString& batch, qint64) { outcome.batches << batch; });
    } catch (const Error& error) {
        outcome.failure = error.message();
    }
    return outcome;
}

QByteArray utf16(const QString& text, bool littleEndian) {
    QByteArray bytes;
    for (QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

const QString kChinese = QStringLiteral("-- 检查凭证表\r\nselect '中文'\r\nGO\r\nselect 2\r\n");
const QStringList kChineseBatches = {QStringLiteral("-- 检查凭证表 \r\nselect '中文' \r\n"),
                                     QStringLiteral("select 2 \r\n")};

class Encodings : public ::testing::Test {
protected:
    ScriptFolder folder;
};

TEST_F(Encodings, GbkWithoutMark) {
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), gbk(kChinese))), kChineseBatches);
}

TEST_F(Encodings, Utf8MarkIsSkipped) {
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), "\xEF\xBB\xBF" + kChinese.toUtf8())), kChineseBatches);
}

TEST_F(Encodings, Utf16LittleEndianMarkIsSkipped) {
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), "\xFF\xFE" + utf16(kChinese, true))), kChineseBatches);
}

TEST_F(Encodings, Utf16BigEndianMarkIsSkipped) {
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), "\xFE\xFF" + utf16(kChinese, false))), kChineseBatches);
}

TEST_F(Encodings, MarkAfterTheStartIsText) {
    const QString text = QStringLiteral("select 1\r\n") + QChar(0xFEFF) + QStringLiteral("x\r\n");
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), "\xEF\xBB\xBF" + text.toUtf8())),
              QStringList{QStringLiteral("select 1 \r\n") + QChar(0xFEFF) + QStringLiteral("x \r\n")});
}

TEST_F(Encodings, InvalidGbkNamesFileAndLine) {
    const QString path = folder.write(QStringLiteral("bad.sql"), gbk(QStringLiteral("select 1\r\nGO\r\n-- 中文\r\n")) +
                                                                     "select '\x81\x7F'\r\nGO\r\nselect 3\r\n");
    const Outcome outcome = readAll(path);
    EXPECT_EQ(outcome.batches, QStringList{QStringLiteral("select 1 \r\n")});
    EXPECT_TRUE(outcome.failure.contains(path)) << outcome.failure.toStdString();
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 4 行"))) << outcome.failure.toStdString();
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("GBK"))) << outcome.failure.toStdString();
}

TEST_F(Encodings, TruncatedGbkCharacterAtEndOfFile) {
    const Outcome outcome = readAll(folder.write(QStringLiteral("a.sql"), "select 1\r\nGO\r\nselect '\xD6"));
    EXPECT_EQ(outcome.batches, QStringList{QStringLiteral("select 1 \r\n")});
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 3 行"))) << outcome.failure.toStdString();
}

TEST_F(Encodings, InvalidUtf8IsNotReplaced) {
    const Outcome outcome = readAll(folder.write(QStringLiteral("a.sql"), "\xEF\xBB\xBFselect 1\r\nselect '\xC3('\r\n"));
    EXPECT_TRUE(outcome.batches.isEmpty());
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 2 行"))) << outcome.failure.toStdString();
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("UTF-8"))) << outcome.failure.toStdString();
}

TEST_F(Encodings, HalfUtf16CodeUnitAtEndOfFile) {
    const QByteArray bytes = "\xFF\xFE" + utf16(QStringLiteral("a\r\nGO\r\nb"), true) + QByteArray("\x41", 1);
    const Outcome outcome = readAll(folder.write(QStringLiteral("a.sql"), bytes));
    EXPECT_EQ(outcome.batches, QStringList{QStringLiteral("a \r\n")});
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 3 行"))) << outcome.failure.toStdString();
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("UTF-16LE"))) << outcome.failure.toStdString();
}

TEST_F(Encodings, LoneSurrogateInUtf16IsInvalid) {
    const QByteArray bytes = "\xFF\xFE" + utf16(QStringLiteral("a\r\nGO\r\nb"), true) + QByteArray("\x00\xD8", 2) +
                             utf16(QStringLiteral("\r\n"), true);
    const Outcome outcome = readAll(folder.write(QStringLiteral("a.sql"), bytes));
    EXPECT_EQ(outcome.batches, QStringList{QStringLiteral("a \r\n")});
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 3 行"))) << outcome.failure.toStdString();
}

TEST_F(Encodings, MissingFileGivesItsPathAndTheFileSystemsDescription) {
    const QString path = folder.path() + QStringLiteral("/none.sql");
    try {
        ScriptTextReader reader(path);
        FAIL() << "a missing file opened";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), path + QStringLiteral("：No such file or directory"));
    }
}

// The file is decoded a piece at a time: characters, CR LF pairs and the
// position of a bad byte must come out the same wherever a piece ends.
class LongScripts : public Encodings {
protected:
    static constexpr int kLines = 120'000;  // about 2.6 MB: several pieces
    static QString line(int number) { return QStringLiteral("select '第%1行' -- 中\r\n").arg(number); }
};

TEST_F(LongScripts, GbkAcrossPieces) {
    QString text;
    QString expected;
    for (int i = 0; i < kLines; ++i) {
        text += line(i);
        expected += line(i).chopped(2) + QStringLiteral(" \r\n");
    }
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), gbk(text))), QStringList{expected});
}

TEST_F(LongScripts, Utf16AcrossPieces) {
    QString text;
    QString expected;
    for (int i = 0; i < kLines; ++i) {
        text += line(i) + QStringLiteral("𝄞\r");  // a surrogate pair and a lone CR
        expected += line(i).chopped(2) + QStringLiteral(" \r\n𝄞 \r\n");
    }
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), "\xFF\xFE" + utf16(text, true))), QStringList{expected});
}

TEST_F(LongScripts, LongLineWithoutLineEnd) {
    const QString text = QStringLiteral("select '") + QString(1'500'000, QChar(0x4E2D)) + QStringLiteral("'");
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), gbk(text))),
              QStringList{text + QStringLiteral(" \r\n")});
}

TEST_F(LongScripts, LongUtf8LineWithoutLineEnd) {
    const QString text = QStringLiteral("select '") + QString(1'500'000, QChar(0x4E2D)) + QStringLiteral("€'");
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), "\xEF\xBB\xBF" + text.toUtf8())),
              QStringList{text + QStringLiteral(" \r\n")});
}

TEST_F(LongScripts, BadByteFarIntoTheFile) {
    QByteArray bytes;
    for (int i = 0; i < kLines; ++i) bytes += gbk(line(i) + QStringLiteral("GO\r\n"));
    bytes += "select '\x81\x7F\x81'\r\n";
    const Outcome outcome = readAll(folder.write(QStringLiteral("a.sql"), bytes));
    EXPECT_EQ(outcome.batches.size(), kLines);
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 %1 行").arg(2 * kLines + 1))) << outcome.failure.toStdString();
}

}  // namespace
}  // namespace tallomar
