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
    ResultChunk first(2);
    first.appendRow({QStringLiteral("1001"), QStringLiteral("现金,零钱")});
    first.appendRow({QStringLiteral("1122"), std::nullopt});
    model.appendChunk(std::move(first));
    ResultChunk second(2);
    second.appendRow({QString(), QStringLiteral("say \"hi\"")});
    model.appendChunk(std::move(second));
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
    model.appendChunk(std::move(rows));
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
    chunk.squeeze();
    EXPECT_EQ(chunk.text(0, 1), longText);
    EXPECT_EQ(chunk.text(1, 1), chinese);
    EXPECT_EQ(chunk.text(2, 1), longText + QStringLiteral("!"));
    EXPECT_TRUE(chunk.isNull(3, 1));
    EXPECT_TRUE(chunk.isNull(1, 0));
    EXPECT_EQ(chunk.text(3, 0), QStringLiteral("d"));
}

TEST(ResultModel, ViewSeesRowsAsTheyArrive) {
    ResultModel model({QStringLiteral("a")});
    QTableView grid;
    grid.setModel(&model);
    int inserted = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        inserted += last - first + 1;
    });
    for (int block = 0; block < 3; ++block) {
        ResultChunk chunk(1);
        for (int i = 0; i < 10; ++i) chunk.appendRow({QString::number(block * 10 + i)});
        model.appendChunk(std::move(chunk));
        EXPECT_EQ(grid.model()->rowCount(), (block + 1) * 10);
    }
    EXPECT_EQ(inserted, 30);
    EXPECT_EQ(model.text(25, 0), QStringLiteral("25"));
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
