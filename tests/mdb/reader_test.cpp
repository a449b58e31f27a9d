// Files written by the fixture writer read back through libmdb with every
// value, NULL and row place as written.
#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/access/mdb_reader.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

using mdb::ColumnKind;

class ReadBack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZOL.mdb"));
        jet4::writeDatabase(toolDatabaseSpec(), path);
        tables = mdb::readTables(path);
    }
    QTemporaryDir dir;
    QString path;
    std::vector<mdb::Table> tables;
};

TEST_F(ReadBack, ListsTheUserTablesOnly) {
    QStringList names;
    for (const auto& table : tables) names << table.name;
    EXPECT_EQ(names, (QStringList{"ZOL", "File", "Version", "Bewrite"}));
}

TEST_F(ReadBack, ReadsOnlyTheNamedTablesWithoutRegardToCase) {
    const auto some = mdb::readTables(path, {QStringLiteral("version"), QStringLiteral("FILE")});
    ASSERT_EQ(some.size(), 2u);
    EXPECT_EQ(some[0].name, QStringLiteral("File"));
    EXPECT_EQ(some[1].name, QStringLiteral("Version"));
}

TEST_F(ReadBack, TextColumnsCarryChineseText) {
    const auto& file = tableNamed(tables, QStringLiteral("File"));
    EXPECT_EQ(cell(file, 0, QStringLiteral("cSign")).toString(), QStringLiteral("校验"));
    EXPECT_EQ(cell(file, 1, QStringLiteral("cSign")).toString(), QStringLiteral("订正"));
    EXPECT_EQ(cell(file, 0, QStringLiteral("cName")).toString(), QStringLiteral("检查凭证"));
    EXPECT_EQ(file.columns[0].kind, ColumnKind::Text);
}

TEST_F(ReadBack, NumbersAndBooleans) {
    const auto& version = tableNamed(tables, QStringLiteral("Version"));
    EXPECT_EQ(cell(version, 0, QStringLiteral("iGrade")), QVariant(qint64(1)));
    EXPECT_EQ(cell(version, 0, QStringLiteral("bsign")), QVariant(qint64(-1)));
    EXPECT_EQ(cell(version, 1, QStringLiteral("bsign")), QVariant(qint64(0)));
    EXPECT_EQ(cell(version, 1, QStringLiteral("ID")), QVariant(qint64(2)));
    EXPECT_EQ(version.columns[1].kind, ColumnKind::Integer);
    EXPECT_EQ(version.columns[2].kind, ColumnKind::Boolean);
    EXPECT_EQ(version.columns[3].kind, ColumnKind::LongInteger);
}

TEST_F(ReadBack, NullIsDistinctFromEmptyText) {
    const auto& zol = tableNamed(tables, QStringLiteral("ZOL"));
    const QVariant null = cell(zol, 0, QStringLiteral("cSys"));
    const QVariant empty = cell(zol, 1, QStringLiteral("cSys"));
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.toString(), QString());
    const auto& bewrite = tableNamed(tables, QStringLiteral("Bewrite"));
    EXPECT_TRUE(cell(bewrite, 1, QStringLiteral("cOperate")).isNull());
    EXPECT_FALSE(cell(bewrite, 0, QStringLiteral("cResult")).isNull());
    EXPECT_TRUE(cell(bewrite, 1, QStringLiteral("Picture")).isNull());
}

TEST_F(ReadBack, MemoInlineOnOneLvalPageAndOnAChain) {
    const auto& zol = tableNamed(tables, QStringLiteral("ZOL"));
    EXPECT_EQ(cell(zol, 5, QStringLiteral("cValue")).toString(), QStringLiteral("凭证检查工具"));
    EXPECT_EQ(cell(zol, 3, QStringLiteral("cValue")).toString(), repeated(QStringLiteral("使用说明第一段。"), 100));
    EXPECT_EQ(cell(zol, 4, QStringLiteral("cValue")).toString(), repeated(QStringLiteral("参考说明"), 2500));
    EXPECT_EQ(zol.columns[1].kind, ColumnKind::Memo);
}

TEST_F(ReadBack, OleDataComesBackAsBytes) {
    const auto& bewrite = tableNamed(tables, QStringLiteral("Bewrite"));
    EXPECT_EQ(cell(bewrite, 0, QStringLiteral("Picture")).toByteArray(), QByteArray("BM\x00\x01\x02", 5));
    EXPECT_EQ(bewrite.columns[4].kind, ColumnKind::Ole);
}

TEST_F(ReadBack, DeletedRowsAndDeletedColumnsAreNotListed) {
    const auto& zol = tableNamed(tables, QStringLiteral("ZOL"));
    ASSERT_EQ(zol.rows.size(), 7u);
    QStringList names;
    for (size_t r = 0; r < zol.rows.size(); ++r)
        names << cell(zol, static_cast<int>(r), QStringLiteral("cName")).toString();
    EXPECT_EQ(names, (QStringList{"ServerName", "UserName", "PassWord", "Readme", "ProjectDes", "ToolName", "Soft"}));
    QStringList columns;
    for (const auto& column : zol.columns) columns << column.name;
    EXPECT_EQ(columns, (QStringList{"cName", "cValue", "cSys"}));
}

TEST_F(ReadBack, AnOverflowRowIsReadOnceAtItsNewPlace) {
    const auto& zol = tableNamed(tables, QStringLiteral("ZOL"));
    ASSERT_EQ(zol.rows.size(), 7u);
    EXPECT_EQ(cell(zol, 6, QStringLiteral("cValue")).toString(), QStringLiteral("R3 标准版"));
    EXPECT_NE(zol.locations[6].page, zol.locations[0].page);
}

TEST_F(ReadBack, RowsKnowTheirPlaceInTheFile) {
    const auto& zol = tableNamed(tables, QStringLiteral("ZOL"));
    ASSERT_EQ(zol.locations.size(), zol.rows.size());
    // The second stored row is deleted: the live rows keep their own indexes.
    EXPECT_EQ(zol.locations[0].row, 0);
    EXPECT_EQ(zol.locations[1].row, 2);
    EXPECT_EQ(zol.locations[1].page, zol.locations[0].page);
    EXPECT_GT(zol.definitionPage, 2u);
}

TEST(ReadBackLarge, ManyRowsSpanSeveralDataPages) {
    QTemporaryDir dir;
    jet4::DatabaseSpec spec;
    jet4::TableSpec table{
        QStringLiteral("Big"),
        {{QStringLiteral("n"), ColumnKind::LongInteger}, {QStringLiteral("t"), ColumnKind::Text, 100}},
        {}};
    for (int i = 0; i < 2000; ++i) table.rows.push_back({{qint64(i), QStringLiteral("第%1行").arg(i)}});
    spec.tables = {table};
    const QString path = dir.filePath(QStringLiteral("big.mdb"));
    jet4::writeDatabase(spec, path);
    const auto tables = mdb::readTables(path);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0].rows.size(), 2000u);
    EXPECT_EQ(cell(tables[0], 1999, QStringLiteral("t")).toString(), QStringLiteral("第1999行"));
    EXPECT_NE(tables[0].locations.front().page, tables[0].locations.back().page);
}

}  // namespace
}  // namespace tallomar::test
