// The result grid: column widths from header texts, NULL cells, copying and
// CSV export.
#include "platform/error.h"
#include "workbench/column_fit.h"
#include "workbench/result_export.h"
#include "workbench/result_model.h"

#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tallomar::test {
namespace {

// Three rows in two blocks, with a NULL, a comma and quotes.
void fillSample(ResultModel& model) {
    std::vector<ResultChunk> blocks(2, ResultChunk(2));
    blocks[0].appendRow({QStringLiteral("1001"), QStringLiteral("现金,零钱")});
    blocks[0].appendRow({QStringLiteral("1122"), std::nullopt});
    blocks[1].appendRow({QString(), QStringLiteral("say \"hi\"")});
    model.appendChunks(std::move(blocks));
}

const QStringList kSampleColumns = {QStringLiteral("科目编码"), QStringLiteral("ZT")};

TEST(AnsiWidth, ChineseCountsTwoAsciiOne) {
    EXPECT_EQ(AnsiWidth(QStringLiteral("科目编码")), 8);
    EXPECT_EQ(AnsiWidth(QStringLiteral("ZT")), 2);
    EXPECT_EQ(AnsiWidth(QStringLiteral("A股代码")), 7);
    EXPECT_EQ(AnsiWidth(QString()), 0);
    // A character GBK has no code for counts 1.
    EXPECT_EQ(AnsiWidth(QStringLiteral("\u0E01")), 1);
}

TEST(FitColumnsToHeader, WidthsComeFromHeaderTextOnly) {
    ResultModel model({QStringLiteral("名称甲"), QStringLiteral("ID"), QString(), QStringLiteral("隐藏列")});
    ResultChunk rows(4);
    rows.appendRow({QStringLiteral("一段很长很长很长很长很长的数据文本"), QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
    model.appendChunks({rows});
    QTableView grid;
    grid.setModel(&model);
    grid.setColumnWidth(2, 77);
    grid.setColumnHidden(3, true);
    FitColumnsToHeader(grid);
    EXPECT_EQ(grid.columnWidth(0), qRound(800 / 15.0));
    EXPECT_EQ(grid.columnWidth(1), qRound(400 / 15.0));
    EXPECT_EQ(grid.columnWidth(2), 77);
    EXPECT_TRUE(grid.isColumnHidden(3));
}

TEST(ResultModel, RowsAcrossChunksAndNullAsEmptyCell) {
    ResultModel model(kSampleColumns);
    fillSample(model);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("现金,零钱"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QString());
    EXPECT_TRUE(model.isNull(1, 1));
    EXPECT_FALSE(model.isNull(2, 0));
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("say \"hi\""));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("科目编码"));
}

TEST(ResultModel, LongTextColumnsKeepEveryCell) {
    ResultChunk chunk(2);
    const QString longText(30000, QLatin1Char('x'));
    const QString chinese(12000, QChar(0x8D26));  // 36,000 bytes in UTF-8
    chunk.appendRow({QStringLiteral("a"), longText});
    chunk.appendRow({std::nullopt, chinese});
    chunk.appendRow({QStringLiteral("c"), longText + QStringLiteral("!")});
    chunk.appendRow({QStringLiteral("d"), std::nullopt});
    for (const ResultChunk& rows : {chunk, chunk.compacted()}) {
        ASSERT_EQ(rows.rowCount(), 4);
        EXPECT_EQ(rows.text(0, 1), longText);
        EXPECT_EQ(rows.text(1, 1), chinese);
        EXPECT_EQ(rows.text(2, 1), longText + QStringLiteral("!"));
        EXPECT_TRUE(rows.isNull(3, 1));
        EXPECT_TRUE(rows.isNull(1, 0));
        EXPECT_EQ(rows.text(3, 0), QStringLiteral("d"));
    }
    // Refilled after clear, the chunk starts again with two-byte offsets.
    chunk.clear();
    chunk.appendRow({QStringLiteral("e"), QStringLiteral("短")});
    ASSERT_EQ(chunk.rowCount(), 1);
    EXPECT_EQ(chunk.text(0, 1), QStringLiteral("短"));
    EXPECT_EQ(chunk.compacted().text(0, 0), QStringLiteral("e"));
}

TEST(ResultModel, ViewSeesRowsAsTheyArriveOneInsertionPerDelivery) {
    ResultModel model({QStringLiteral("a")});
    QTableView grid;
    grid.setModel(&model);
    std::vector<std::pair<int, int>> insertions;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        insertions.emplace_back(first, last);
    });
    int next = 0;
    const auto block = [&next](int rows) {
        ResultChunk chunk(1);
        for (int i = 0; i < rows; ++i) chunk.appendRow({QString::number(next++)});
        return chunk;
    };
    model.appendChunks({block(10)});
    EXPECT_EQ(grid.model()->rowCount(), 10);
    // Blocks that arrived together, an empty one among them, make one insertion.
    model.appendChunks({block(10), block(0), block(5)});
    model.appendChunks({block(0)});
    EXPECT_EQ(grid.model()->rowCount(), 25);
    EXPECT_EQ(insertions, (std::vector<std::pair<int, int>>{{0, 9}, {10, 24}}));
    for (int row : {0, 9, 10, 19, 20, 24}) EXPECT_EQ(model.text(row, 0), QString::number(row));
}

TEST(ResultExport, SelectionCopiesWithHeadersAsTabSeparatedText) {
    ResultModel model(kSampleColumns);
    fillSample(model);
    const QModelIndexList selection = {model.index(1, 0), model.index(1, 1), model.index(2, 1), model.index(2, 0)};
    EXPECT_EQ(selectionText(model, selection),
              QStringLiteral("科目编码\tZT\n1122\t\n\tsay \"hi\"\n"));
    EXPECT_EQ(selectionText(model, {}), QString());
}

TEST(ResultExport, CsvIsUtf8WithBomAndQuotedFields) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("结果.csv"));
    ResultModel model(kSampleColumns);
    fillSample(model);
    writeResultCsv(model, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xEF\xBB\xBF") +
                                  QStringLiteral("科目编码,ZT\r\n1001,\"现金,零钱\"\r\n1122,\r\n,\"say \"\"hi\"\"\"\r\n").toUtf8());
}

TEST(ResultExport, UnwritableFileFailsWithItsName) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/folder/x.csv"));
    try {
        ResultModel model(kSampleColumns);
    fillSample(model);
    writeResultCsv(model, path);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(path));
    }
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace tallomar::test
