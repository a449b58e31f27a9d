// The result grid: column widths from header texts, NULL cells, copying and
// CSV export.
#include "logic/workbench/result_arena.h"
#include "logic/workbench/result_chunk.h"
#include "logic/workbench/result_export.h"
#include "logic/workbench/result_model.h"
#include "platform/error.h"
#include "windows/workbench/column_fit.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace tallomar::test {
namespace {

using Cells = std::vector<std::optional<QStringView>>;

// Rows gathered in a chunk and kept in an arena, as a check keeps them.
ResultBlock stored(int columns, const std::vector<Cells>& rows) {
    ResultChunk chunk(columns);
    for (const Cells& row : rows) chunk.appendRow(row);
    return chunk.rows().copyInto(std::make_shared<ResultArena>());
}

// Three rows in two blocks, with a NULL, a comma and quotes.
void fillSample(ResultModel& model) {
    model.appendBlocks(
        {stored(2, {{QStringLiteral("1001"), QStringLiteral("现金,零钱")}, {QStringLiteral("1122"), std::nullopt}}),
         stored(2, {{QString(), QStringLiteral("say \"hi\"")}})});
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
    model.appendBlocks({stored(4, {{QStringLiteral("一段很长很长很长很长很长的数据文本"), QStringLiteral("x"),
                                    QStringLiteral("y"), QStringLiteral("z")}})});
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

TEST(ResultBlock, LongTextColumnsKeepEveryCellInTheChunkAndInItsCopy) {
    ResultChunk chunk(2);
    const QString longText(30000, QLatin1Char('x'));
    const QString chinese(12000, QChar(0x8D26));  // 36,000 bytes in UTF-8
    chunk.appendRow({QStringLiteral("a"), longText});
    chunk.appendRow({std::nullopt, chinese});
    chunk.appendRow({QStringLiteral("c"), longText + QStringLiteral("!")});
    chunk.appendRow({QStringLiteral("d"), std::nullopt});
    const ResultBlock kept = chunk.rows().copyInto(std::make_shared<ResultArena>());
    for (const ResultBlock& rows : {chunk.rows(), kept}) {
        ASSERT_EQ(rows.rowCount(), 4);
        EXPECT_EQ(rows.text(0, 1), longText);
        EXPECT_EQ(rows.text(1, 1), chinese);
        EXPECT_EQ(rows.text(2, 1), longText + QStringLiteral("!"));
        EXPECT_TRUE(rows.isNull(3, 1));
        EXPECT_TRUE(rows.isNull(1, 0));
        EXPECT_FALSE(rows.isNull(2, 0));
        EXPECT_EQ(rows.text(3, 0), QStringLiteral("d"));
    }
    // Refilled after clear, the chunk starts again with two-byte offsets and
    // no NULLs; the copy keeps the old rows.
    chunk.clear();
    chunk.appendRow({QStringLiteral("e"), QStringLiteral("ab短c")});  // ASCII, then not
    chunk.appendRow({QString(), QString()});
    ASSERT_EQ(chunk.rows().rowCount(), 2);
    EXPECT_EQ(chunk.rows().text(0, 1), QStringLiteral("ab短c"));
    EXPECT_FALSE(chunk.rows().isNull(1, 0));
    const ResultBlock refilled = chunk.rows().copyInto(std::make_shared<ResultArena>());
    EXPECT_EQ(refilled.text(0, 0), QStringLiteral("e"));
    EXPECT_EQ(refilled.text(1, 1), QString());
    EXPECT_EQ(kept.text(3, 0), QStringLiteral("d"));
    EXPECT_EQ(kept.text(1, 1), chinese);
}

TEST(ResultBlock, NullsBeyondTheFirstByteOfFlags) {
    std::vector<Cells> rows;
    for (int row = 0; row < 20; ++row) rows.push_back({row % 3 == 0 ? std::nullopt : std::optional(QStringView(u"v"))});
    const ResultBlock block = stored(1, rows);
    for (int row = 0; row < 20; ++row) EXPECT_EQ(block.isNull(row, 0), row % 3 == 0) << row;
}

TEST(ResultArena, AlignedAllocationsThatStayPut) {
    ResultArena arena;
    std::vector<std::pair<unsigned char*, std::size_t>> pieces;
    for (std::size_t size : std::initializer_list<std::size_t>{1, 7, 4096, 3, 33, 20 << 20, 5, 40 << 20, 9}) {
        auto* piece = static_cast<unsigned char*>(arena.allocate(size, 4));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(piece) % 4, 0u) << size;
        piece[0] = static_cast<unsigned char>(size);
        piece[size - 1] = static_cast<unsigned char>(size + 1);
        pieces.emplace_back(piece, size);
    }
    // Pieces never overlap, even across regions and for one larger than a region.
    for (const auto& [piece, size] : pieces) {
        EXPECT_EQ(piece[0], static_cast<unsigned char>(size == 1 ? size + 1 : size));
        EXPECT_EQ(piece[size - 1], static_cast<unsigned char>(size + 1));
    }
}

TEST(ResultModel, HoveringACellShowsItsWholeValueWithOuterBlanksMarked) {
    ResultModel model({QStringLiteral("科目编码"), QStringLiteral("摘要")});
    model.appendBlocks({stored(
        2, {{QStringLiteral(" 1001"), QStringLiteral("提取备用金　")}, {QStringLiteral("a <b> c"), std::nullopt}})});
    QTableView view;
    view.setModel(&model);
    view.setColumnWidth(1, 30);  // far too narrow for the value: the grid elides it
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    const auto hover = [&](int row, int column) {
        const QPoint at = view.visualRect(model.index(row, column)).center();
        QHelpEvent event(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &event);
        const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        return shown;
    };
    const QString explained = QStringLiteral("␣ 表示值开头或结尾的一个空格（半角或全角）");
    EXPECT_TRUE(hover(0, 0).contains(QStringLiteral(">␣1001<"))) << hover(0, 0).toStdString();
    EXPECT_TRUE(hover(0, 0).contains(explained));
    EXPECT_TRUE(hover(0, 1).contains(QStringLiteral(">提取备用金␣<"))) << hover(0, 1).toStdString();
    // Blanks between words stay, markup in a value is shown as text, and no mark means no explanation.
    EXPECT_TRUE(hover(1, 0).contains(QStringLiteral(">a &lt;b&gt; c<"))) << hover(1, 0).toStdString();
    EXPECT_FALSE(hover(1, 0).contains(explained));
    EXPECT_TRUE(hover(1, 1).isEmpty()) << "a NULL cell has no tooltip";
    EXPECT_EQ(view.columnWidth(1), 30);
}

TEST(ResultModel, ViewSeesRowsAsTheyArriveOneInsertionPerDelivery) {
    ResultModel model({QStringLiteral("a")});
    QTableView grid;
    grid.setModel(&model);
    std::vector<std::pair<int, int>> insertions;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) { insertions.emplace_back(first, last); });
    int next = 0;
    const auto block = [&next](int rows) {
        std::vector<QString> values;
        for (int i = 0; i < rows; ++i) values.push_back(QString::number(next++));
        std::vector<Cells> cells;
        for (const QString& value : values) cells.push_back({value});
        return stored(1, cells);
    };
    model.appendBlocks({block(10)});
    EXPECT_EQ(grid.model()->rowCount(), 10);
    // Blocks that arrived together, an empty one among them, make one insertion.
    model.appendBlocks({block(10), block(0), block(5)});
    model.appendBlocks({block(0)});
    EXPECT_EQ(grid.model()->rowCount(), 25);
    EXPECT_EQ(insertions, (std::vector<std::pair<int, int>>{{0, 9}, {10, 24}}));
    for (int row : {0, 9, 10, 19, 20, 24}) EXPECT_EQ(model.text(row, 0), QString::number(row));
}

TEST(ResultExport, SelectionCopiesWithHeadersAsTabSeparatedText) {
    ResultModel model(kSampleColumns);
    fillSample(model);
    const QModelIndexList selection = {model.index(1, 0), model.index(1, 1), model.index(2, 1), model.index(2, 0)};
    EXPECT_EQ(selectionText(model, selection), QStringLiteral("科目编码\tZT\n1122\t\n\tsay \"hi\"\n"));
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
    EXPECT_EQ(file.readAll(),
              QByteArray("\xEF\xBB\xBF") +
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
