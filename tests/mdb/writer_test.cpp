// The fixture writer's JSON descriptions and its refusals.
#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/access/mdb_reader.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

using mdb::ColumnKind;

std::string failureOf(const QByteArray& json) {
    try {
        jet4::buildDatabase(jet4::parseDescription(json, QStringLiteral("d.json")));
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(Description, EveryKindReadsBackAsDescribed) {
    const QByteArray json = R"({"tables": [{"name": "表一", "columns": [
        {"name": "b", "kind": "boolean"}, {"name": "y", "kind": "byte"}, {"name": "i", "kind": "integer"},
        {"name": "l", "kind": "long"}, {"name": "d", "kind": "double"}, {"name": "t", "kind": "datetime"},
        {"name": "s", "kind": "text", "length": 20}, {"name": "m", "kind": "memo"}, {"name": "o", "kind": "ole"}],
      "rows": [[true, 200, -3, 123456789, 2.5, "2024-02-29T13:45:10", "中文", "备注", "AAEC"],
               [false, null, null, null, null, null, null, null, null],
               {"values": [true, 1, 1, 1, 1, null, "gone", null, null], "deleted": true}]}]})";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kinds.mdb"));
    jet4::writeDatabase(jet4::parseDescription(json, QStringLiteral("d.json")), path);
    const auto tables = mdb::readTables(path);
    ASSERT_EQ(tables.size(), 1u);
    const mdb::Table& table = tables[0];
    EXPECT_EQ(table.name, QStringLiteral("表一"));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(cell(table, 0, "b"), QVariant(qint64(-1)));
    EXPECT_EQ(cell(table, 0, "y"), QVariant(qint64(200)));
    EXPECT_EQ(cell(table, 0, "i"), QVariant(qint64(-3)));
    EXPECT_EQ(cell(table, 0, "l"), QVariant(qint64(123456789)));
    EXPECT_DOUBLE_EQ(cell(table, 0, "d").toDouble(), 2.5);
    EXPECT_EQ(cell(table, 0, "t").toString(), QStringLiteral("2024-02-29 13:45:10"));
    EXPECT_EQ(cell(table, 0, "s").toString(), QStringLiteral("中文"));
    EXPECT_EQ(cell(table, 0, "m").toString(), QStringLiteral("备注"));
    EXPECT_EQ(cell(table, 0, "o").toByteArray(), QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(cell(table, 1, "b"), QVariant(qint64(0)));
    for (const char* column : {"y", "i", "l", "d", "t", "s", "m", "o"})
        EXPECT_TRUE(cell(table, 1, column).isNull()) << column;
}

TEST(Description, FaultsNameTheirPlace) {
    EXPECT_NE(failureOf("{not json").find("d.json: not valid JSON"), std::string::npos);
    EXPECT_NE(failureOf(R"({"tables": [{"name": "T", "columns": [{"name": "a", "kind": "money"}]}]})")
                  .find("unknown column kind \"money\""),
              std::string::npos);
    EXPECT_NE(
        failureOf(R"({"tables": [{"name": "T", "columns": [{"name": "a", "kind": "text"}], "rows": [["x", "y"]]}]})")
            .find("row 1: 2 values for 1 columns"),
        std::string::npos);
    EXPECT_NE(failureOf(R"({"tables": [{"name": "T", "columns": [{"name": "a", "kind": "long"}], "rows": [["x"]]}]})")
                  .find("column a expects a number"),
              std::string::npos);
    EXPECT_NE(failureOf(R"({"tables": [{"columns": []}]})").find("a table without a name"), std::string::npos);
}

TEST(Writer, RefusesWhatItCannotStore) {
    jet4::TableSpec table{
        QStringLiteral("T"), {{QStringLiteral("s"), ColumnKind::Text, 5}}, {{{QStringLiteral("123456")}}}};
    EXPECT_THROW(jet4::buildDatabase({{table}}), Error);
    table.columns[0].length = 4000;
    table.rows = {{{QString(3000, QChar(u'x'))}}};
    try {
        jet4::buildDatabase({{table}});
        ADD_FAILURE() << "a row larger than a page was written";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("does not fit a page"))) << error.what();
    }
    jet4::TableSpec guid{QStringLiteral("G"), {{QStringLiteral("g"), ColumnKind::Guid}}, {}};
    EXPECT_THROW(jet4::buildDatabase({{guid}}), Error);
}

TEST(Writer, ManyTablesAndAnEmptyOne) {
    jet4::DatabaseSpec spec;
    for (int t = 0; t < 40; ++t) {
        jet4::TableSpec table{QStringLiteral("T%1").arg(t), {{QStringLiteral("n"), ColumnKind::LongInteger}}, {}};
        for (int r = 0; r < t; ++r) table.rows.push_back({{qint64(r)}});
        spec.tables.push_back(table);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.mdb"));
    jet4::writeDatabase(spec, path);
    const auto tables = mdb::readTables(path);
    ASSERT_EQ(tables.size(), 40u);
    for (size_t t = 0; t < tables.size(); ++t) EXPECT_EQ(tables[t].rows.size(), t) << tables[t].name.toStdString();
}

}  // namespace
}  // namespace tallomar::test
