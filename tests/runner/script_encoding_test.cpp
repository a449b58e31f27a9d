// Script files in GBK or with a byte-order mark, read as a stream: text is
// decoded exactly, bad bytes stop the reading at their line.
#include "logic/workbench/script_batches.h"
#include "logic/workbench/script_text_reader.h"
#include "platform/error.h"
#include "script_files.h"

#include <gtest/gtest.h>
#include <QBuffer>

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
    const Outcome outcome =
        readAll(folder.write(QStringLiteral("a.sql"), "\xEF\xBB\xBFselect 1\r\nselect '\xC3('\r\n"));
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
    EXPECT_EQ(batchesOf(folder.write(QStringLiteral("a.sql"), gbk(text))), QStringList{text + QStringLiteral(" \r\n")});
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
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("第 %1 行").arg(2 * kLines + 1)))
        << outcome.failure.toStdString();
}

// A line longer than a piece is handed on in parts: a separator is still told
// by its first part, a part ends inside no GBK character, the batches after a
// long line start on the right line and a bad byte far into one is reported
// on it, whatever the piece size.
TEST_F(LongScripts, LongLinesComeInPartsAndSplitAsWholeLines) {
    QString rows = QStringLiteral("insert into t values (0, N'中文')");
    for (int row = 1; row < 400; ++row) rows += QStringLiteral(", (%1, N'凭证中文')").arg(row);
    const QString chinese(300, QChar(0x4E2D));  // double-byte characters only: no byte below 0x40 to cut after
    const QString gotoLine = QStringLiteral("GOTO done -- ") + chinese;
    const QString lastLine = QStringLiteral("select '") + chinese + QStringLiteral("'");
    const QByteArray script = gbk(rows + QStringLiteral("\r\nGO -- ") + chinese + QStringLiteral("\r\n") + gotoLine +
                                  QStringLiteral("\rselect 2\ngo\r\n") + lastLine);
    const QByteArray badScript = gbk(rows + QStringLiteral("\r\nGO\r\n") + rows) + "\x81\x7F\r\n";

    struct Batch {
        QString text;
        qint64 firstLine;
        bool operator==(const Batch&) const = default;
    };
    struct Read {
        QList<Batch> batches;
        QString failure;
    };
    auto readInPieces = [](const QByteArray& bytes, qsizetype pieceBytes) {
        QBuffer device;
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
        Read read;
        try {
            ScriptTextReader reader(device, QStringLiteral("long.sql"), pieceBytes);
            forEachBatch(reader, [&](const QString& batch, qint64 firstLine) {
                read.batches.append({batch, firstLine});
            });
        } catch (const Error& error) {
            read.failure = error.message();
        }
        return read;
    };
    const QList<Batch> expected = {{rows + QStringLiteral(" \r\n"), 1},
                                   {gotoLine + QStringLiteral(" \r\nselect 2 \r\n"), 3},
                                   {lastLine + QStringLiteral(" \r\n"), 6}};
    for (const qsizetype pieceBytes :
         {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(7), qsizetype(64), qsizetype(1000), script.size() + 1}) {
        const Read read = readInPieces(script, pieceBytes);
        EXPECT_TRUE(read.batches == expected && read.failure.isEmpty())
            << "pieces of " << pieceBytes << " bytes: " << read.batches.size() << " batches, "
            << read.failure.toStdString();
        const Read bad = readInPieces(badScript, pieceBytes);
        EXPECT_TRUE(bad.batches == QList<Batch>{expected.first()}) << "pieces of " << pieceBytes << " bytes";
        EXPECT_EQ(bad.failure, QStringLiteral("long.sql：第 3 行含有不符合 GBK 编码的字节。"))
            << "pieces of " << pieceBytes << " bytes";
    }
}

}  // namespace
}  // namespace tallomar
