#include "windows/viewer/bewrite_logic.h"

#include "bewrite_table.h"
#include "picture_files.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace tallomar {
namespace {

using test::BewriteTable;
using test::middleColour;
using test::writeBytes;
using test::writePicture;

const QString kList = QStringLiteral("select ID,cOperate as 操作步骤,cResult as 提示信息 from Bewrite");
const QString kDetail = QStringLiteral("select ID,cOperate,cResult,cPath,Picture from Bewrite where ID=");

class BewriteLogicTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }

    QString toolFolder() const { return root.filePath(QStringLiteral("file")); }
    BewriteLogic& logic() {
        if (!logic_)
            logic_ =
                std::make_unique<BewriteLogic>([this](const QString& sql) { return table.query(sql); }, toolFolder());
        return *logic_;
    }
    const BewriteScreen& load() {
        logic().LoadSymptomList();
        return logic().screen();
    }
    void addRow(int id, const QString& operate, const QString& result, const QVariant& path = QVariant()) {
        table.add({id, operate, result, path});
    }

    QTemporaryDir root;
    BewriteTable table;

private:
    std::unique_ptr<BewriteLogic> logic_;
};

TEST_F(BewriteLogicTest, EmptyTableGivesHeaderOnlyAndEmptyDetails) {
    const BewriteScreen& screen = load();
    EXPECT_TRUE(screen.rows.empty());
    EXPECT_EQ(screen.currentRow, -1);
    EXPECT_TRUE(screen.operate.isEmpty());
    EXPECT_TRUE(screen.result.isEmpty());
    EXPECT_TRUE(screen.picture.isNull());
    EXPECT_TRUE(screen.caption.isEmpty());
    EXPECT_EQ(table.sent(), QStringList{kList});
}

TEST_F(BewriteLogicTest, ListHasTheFormatWidthsAndRowsInDatabaseOrder) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    addRow(3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"));
    const BewriteScreen& screen = load();
    ASSERT_EQ(screen.columns.size(), 3u);
    EXPECT_EQ(screen.columns[1].header, QStringLiteral("操作步骤"));
    EXPECT_EQ(screen.columnWidthsTwips, (std::vector<int>{0, 2000, 3000}));
    ASSERT_EQ(screen.rows.size(), 2u);
    EXPECT_EQ(screen.rows[0],
              QStringList({QStringLiteral("7"), QStringLiteral("凭证审核"), QStringLiteral("科目不存在")}));
    EXPECT_EQ(screen.rows[1],
              QStringList({QStringLiteral("3"), QStringLiteral("月末结账"), QStringLiteral("有未记账凭证")}));
}

TEST_F(BewriteLogicTest, FirstDescriptionIsSelectedAndShownAtLoad) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    addRow(3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"));
    const BewriteScreen& screen = load();
    EXPECT_EQ(screen.currentRow, 0);
    EXPECT_EQ(screen.operate, QStringLiteral("操作步骤：凭证审核"));
    EXPECT_EQ(screen.result, QStringLiteral("提示信息：科目不存在"));
    EXPECT_EQ(table.sent(), QStringList({kList, kDetail + QStringLiteral("7")}));
}

TEST_F(BewriteLogicTest, ClickShowsTheClickedDescription) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    addRow(-3, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"));
    load();
    logic().grdBewriteClick(1);
    EXPECT_EQ(logic().screen().currentRow, 1);
    EXPECT_EQ(logic().screen().operate, QStringLiteral("操作步骤：月末结账"));
    EXPECT_EQ(logic().screen().result, QStringLiteral("提示信息：有未记账凭证"));
    EXPECT_EQ(table.sent().last(), kDetail + QStringLiteral("-3"));
}

TEST_F(BewriteLogicTest, ClickOutsideTheRowsChangesNothing) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"));
    load();
    const qsizetype sent = table.sent().size();
    logic().grdBewriteClick(-1);
    logic().grdBewriteClick(1);
    EXPECT_EQ(table.sent().size(), sent);
    EXPECT_EQ(logic().screen().currentRow, 0);
    EXPECT_EQ(logic().screen().operate, QStringLiteral("操作步骤：凭证审核"));
}

TEST_F(BewriteLogicTest, ClickOnAnEmptyListDoesNothing) {
    load();
    logic().grdBewriteClick(0);
    EXPECT_EQ(table.sent(), QStringList{kList});
    EXPECT_TRUE(logic().screen().operate.isEmpty());
}

TEST_F(BewriteLogicTest, NullTextsShowThePrefixAlone) {
    table.add({5, QVariant(), QVariant(), QVariant()});
    const BewriteScreen& screen = load();
    EXPECT_EQ(screen.rows[0], QStringList({QStringLiteral("5"), QString(), QString()}));
    EXPECT_EQ(screen.operate, QStringLiteral("操作步骤："));
    EXPECT_EQ(screen.result, QStringLiteral("提示信息："));
    EXPECT_TRUE(screen.picture.isNull());
}

TEST_F(BewriteLogicTest, MissingDescriptionSaysSoAndClearsTheDetails) {
    addRow(7, QStringLiteral("凭证审核"), QStringLiteral("科目不存在"), QStringLiteral("a.png"));
    writePicture(toolFolder() + QStringLiteral("/a.png"), Qt::red);
    load();
    ASSERT_FALSE(logic().screen().picture.isNull());
    logic().ShowSymptomDetails(99);
    EXPECT_EQ(logic().screen().caption, QStringLiteral("没有现象"));
    EXPECT_TRUE(logic().screen().operate.isEmpty());
    EXPECT_TRUE(logic().screen().result.isEmpty());
    EXPECT_TRUE(logic().screen().picture.isNull());

    // The caption belongs to the missing description only.
    logic().grdBewriteClick(0);
    EXPECT_TRUE(logic().screen().caption.isEmpty());
    EXPECT_EQ(logic().screen().operate, QStringLiteral("操作步骤：凭证审核"));
}

TEST_F(BewriteLogicTest, IdsBeyondSixteenBitsAreKeptAndNeverQueried) {
    addRow(40000, QStringLiteral("大号"), QStringLiteral("超出范围"));
    addRow(32767, QStringLiteral("最大"), QStringLiteral("在范围内"));
    const BewriteScreen& screen = load();
    // Read as a 16-bit number, 40000 would turn into -25536: some other row.
    EXPECT_EQ(screen.rows[0].value(0), QStringLiteral("40000"));
    EXPECT_EQ(screen.currentRow, 0);
    EXPECT_TRUE(screen.operate.isEmpty());
    EXPECT_TRUE(screen.caption.isEmpty());
    EXPECT_EQ(table.sent(), QStringList{kList});

    logic().grdBewriteClick(1);
    EXPECT_EQ(logic().screen().operate, QStringLiteral("操作步骤：最大"));
    logic().grdBewriteClick(0);
    EXPECT_TRUE(logic().screen().operate.isEmpty()) << "the previous description must not stay shown";
    EXPECT_EQ(table.sent().size(), 2);
}

TEST_F(BewriteLogicTest, IdCellConversion) {
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("12")), qint16(12));
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("-32768")), qint16(-32768));
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("32767")), qint16(32767));
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("32768")), std::nullopt);
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("-32769")), std::nullopt);
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("4294967296")), std::nullopt);
    EXPECT_EQ(symptomIdFromCell(QString()), std::nullopt);
    EXPECT_EQ(symptomIdFromCell(QStringLiteral("abc")), std::nullopt);
}

TEST_F(BewriteLogicTest, PictureFromThePackageFolderInAnyLetterCase) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"), QStringLiteral("FIG2.png"));
    writePicture(toolFolder() + QStringLiteral("/fig2.PNG"), Qt::red);
    EXPECT_EQ(middleColour(load().picture), QColor(Qt::red));
}

TEST_F(BewriteLogicTest, PictureFromAFullPathWithBackslashes) {
    const QString elsewhere = root.filePath(QStringLiteral("pics/fig2.png"));
    writePicture(elsewhere, Qt::green);
    writePicture(toolFolder() + QStringLiteral("/fig2.png"), Qt::red);
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"),
           QString(elsewhere).replace(QLatin1Char('/'), QLatin1Char('\\')));
    EXPECT_EQ(middleColour(load().picture), QColor(Qt::green));
}

TEST_F(BewriteLogicTest, PictureNameWithBlanksAround) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"), QStringLiteral("  fig2.png  "));
    writePicture(toolFolder() + QStringLiteral("/fig2.png"), Qt::blue);
    EXPECT_EQ(middleColour(load().picture), QColor(Qt::blue));
}

TEST_F(BewriteLogicTest, MissingOrUnreadablePictureLeavesTheAreaEmptyButTheTextsShown) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"), QStringLiteral("D:\\pics\\fig2.jpg"));
    addRow(2, QStringLiteral("二"), QStringLiteral("乙"), QStringLiteral("notes.jpg"));
    addRow(3, QStringLiteral("三"), QStringLiteral("丙"), QStringLiteral("gone.png"));
    writeBytes(toolFolder() + QStringLiteral("/notes.jpg"), "plain text, no picture");
    load();
    for (int row = 0; row < 3; ++row) {
        logic().grdBewriteClick(row);
        EXPECT_TRUE(logic().screen().picture.isNull()) << row;
        EXPECT_EQ(logic().screen().operate, QStringLiteral("操作步骤：") + table.query(kList).rows[row][1].toString());
        EXPECT_FALSE(logic().screen().result.isEmpty());
    }
}

TEST_F(BewriteLogicTest, NextDescriptionWithoutPictureRemovesThePreviousOne) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"), QStringLiteral("fig.png"));
    addRow(2, QStringLiteral("二"), QStringLiteral("乙"));
    writePicture(toolFolder() + QStringLiteral("/fig.png"), Qt::red);
    ASSERT_FALSE(load().picture.isNull());
    logic().grdBewriteClick(1);
    EXPECT_TRUE(logic().screen().picture.isNull());
}

TEST_F(BewriteLogicTest, ClearEmptiesBothLabelsAndThePicture) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"), QStringLiteral("fig.png"));
    writePicture(toolFolder() + QStringLiteral("/fig.png"), Qt::red);
    load();
    logic().ClearSymptomDetails();
    EXPECT_TRUE(logic().screen().operate.isEmpty());
    EXPECT_TRUE(logic().screen().result.isEmpty());
    EXPECT_TRUE(logic().screen().picture.isNull());
    EXPECT_EQ(logic().screen().rows.size(), 1u);
}

TEST_F(BewriteLogicTest, DatabaseFailureReachesTheCallerWithDetailsCleared) {
    addRow(1, QStringLiteral("一"), QStringLiteral("甲"));
    load();
    table.breakDown();
    EXPECT_THROW(logic().grdBewriteClick(0), Error);
    EXPECT_TRUE(logic().screen().operate.isEmpty());
    EXPECT_THROW(logic().LoadSymptomList(), Error);
    EXPECT_TRUE(logic().screen().rows.empty());
    EXPECT_EQ(logic().screen().currentRow, -1);
}

}  // namespace
}  // namespace tallomar
