// Access 97 (Jet 3) files: 2 KiB pages whose row count stands at byte 8,
// text in the file's code page, memo values in the row, on one LVAL page or
// on a chain of them. They read whole, and damage to their LVAL pages is
// refused as in Jet 4 files.
#include "jet4writer/jet3_writer.h"
#include "mdb_fixture.h"
#include "platform/access/mdb_reader.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

using mdb::ColumnKind;

constexpr int kJet3PageSize = 2048;

const QString kOneLvalPage = repeated(QStringLiteral("说明第一段。"), 100);  // 1,200 bytes of GBK
const QString kChain = repeated(QStringLiteral("参考方案 step; "), 1000);    // 15,000 bytes: eight pages
const QByteArray kPicture = QByteArray("BM") + QByteArray(3000, '\x7f');

jet4::DatabaseSpec access97Spec() {
    jet4::TableSpec zol{QStringLiteral("ZOL"),
                        {{QStringLiteral("cName"), ColumnKind::Text, 50},
                         {QStringLiteral("cValue"), ColumnKind::Memo},
                         {QStringLiteral("cSys"), ColumnKind::Text, 10}},
                        {{{QStringLiteral("ToolName"), QStringLiteral("凭证检查工具"), QVariant()}},
                         {{QStringLiteral("Readme"), kOneLvalPage, QStringLiteral("TDB")}},
                         {{QStringLiteral("ProjectDes"), kChain, QStringLiteral("TDB")}},
                         {{QStringLiteral("Empty"), QString(), QVariant()}}}};
    jet4::TableSpec bewrite{QStringLiteral("Bewrite"),
                            {{QStringLiteral("ID"), ColumnKind::LongInteger},
                             {QStringLiteral("cOperate"), ColumnKind::Memo},
                             {QStringLiteral("Picture"), ColumnKind::Ole}},
                            {{{qint64(3), QStringLiteral("打开凭证"), kPicture}}}};
    return {{zol, bewrite}};
}

std::vector<quint32> longValuePages(const QByteArray& file) {
    std::vector<quint32> pages;
    for (qsizetype at = 0; at + kJet3PageSize <= file.size(); at += kJet3PageSize)
        if (file.mid(at + 4, 4) == "LVAL") pages.push_back(static_cast<quint32>(at / kJet3PageSize));
    return pages;
}

class Access97 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZOL.mdb"));
        whole = jet3::buildDatabase(access97Spec());
        writeBytes(path, whole);
    }

    QString refusal(const QByteArray& bytes) {
        writeBytes(path, bytes);
        try {
            mdb::readTables(path);
        } catch (const Error& error) {
            return error.message();
        }
        return QStringLiteral("(read)");
    }

    QTemporaryDir dir;
    QString path;
    QByteArray whole;
};

TEST_F(Access97, MemosInTheRowOnOneLongValuePageAndOnAChainReadWhole) {
    ASSERT_EQ(static_cast<unsigned char>(whole[0x14]), 0x00) << "not a Jet 3 file";
    const std::vector<mdb::Table> tables = mdb::readTables(path);
    const mdb::Table& zol = tableNamed(tables, QStringLiteral("ZOL"));
    ASSERT_EQ(zol.rows.size(), 4u);
    EXPECT_EQ(cell(zol, 0, QStringLiteral("cValue")).toString(), QStringLiteral("凭证检查工具"));
    EXPECT_EQ(cell(zol, 1, QStringLiteral("cValue")).toString(), kOneLvalPage);
    EXPECT_EQ(cell(zol, 2, QStringLiteral("cValue")).toString(), kChain);
    EXPECT_EQ(cell(zol, 2, QStringLiteral("cSys")).toString(), QStringLiteral("TDB"));
    EXPECT_TRUE(cell(zol, 0, QStringLiteral("cSys")).isNull());
    EXPECT_EQ(cell(zol, 3, QStringLiteral("cValue")), QVariant(QString()));
    const mdb::Table& bewrite = tableNamed(tables, QStringLiteral("Bewrite"));
    EXPECT_EQ(cell(bewrite, 0, QStringLiteral("ID")), QVariant(qint64(3)));
    EXPECT_EQ(cell(bewrite, 0, QStringLiteral("Picture")).toByteArray(), kPicture);
}

TEST_F(Access97, DamagedLongValuePagesAreRefused) {
    const std::vector<quint32> pages = longValuePages(whole);
    ASSERT_EQ(pages.size(), 1u + 8u + 2u) << "one page for the Readme, eight for the chain, two for the picture";
    QByteArray zeroed = whole;
    zeroed.replace(qsizetype(pages[0]) * kJet3PageSize, kJet3PageSize, QByteArray(kJet3PageSize, '\0'));
    EXPECT_EQ(refusal(zeroed),
              QStringLiteral("ZOL.mdb: the file is damaged: the long value of column cValue in table ZOL should be "
                             "on page %1, which is not a long-value page")
                  .arg(pages[0]));

    // A row count of 0 on the page of the Readme: its row is gone.
    QByteArray emptied = whole;
    emptied[qsizetype(pages[0]) * kJet3PageSize + 8] = 0;
    EXPECT_TRUE(
        refusal(emptied).contains(QStringLiteral("should be row 0 of page %1, which holds 0 rows").arg(pages[0])))
        << refusal(emptied).toStdString();

    // A chain page that no longer leads on would cut the memo: refused.
    // The chain is written from its end, so pages[2] holds the piece before
    // the last; its row fills the page from byte 12, the next pointer first.
    QByteArray cut = whole;
    cut.replace(qsizetype(pages[2]) * kJet3PageSize + 12, 4, QByteArray(4, '\0'));
    EXPECT_TRUE(refusal(cut).contains(QStringLiteral("the long value of column cValue in table ZOL ends after")))
        << refusal(cut).toStdString();
}

}  // namespace
}  // namespace tallomar::test
