// The tables a tool database must hold are checked when it opens: what
// Access files of the packages' authors hold opens, in Jet 4 as in Jet 3;
// a file lacking a table the program reads is refused naming it.
#include "jet4writer/jet3_writer.h"
#include "jet4writer/jet4_writer.h"
#include "support/tool_fixture.h"
#include "tooldb/tool_access.h"
#include "tooldb/tool_database.h"
#include "tooldb/tool_database_error.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace tallomar {
namespace {

using mdb::ColumnKind;

// Columns in an order and letter case of their own, memo where text would
// do and text where memo would, whole numbers of every width, a double as
// an ID, a yes/no kept as a number, columns of the authors' own, and no
// Picture column.
jet4::DatabaseSpec authorsOwnLayout() {
    jet4::TableSpec zol{QStringLiteral("zol"),
                        {{QStringLiteral("CVALUE"), ColumnKind::Text, 255},
                         {QStringLiteral("cname"), ColumnKind::Text, 50},
                         {QStringLiteral("cSys"), ColumnKind::Memo}},
                        {{{QStringLiteral("凭证检查工具"), QStringLiteral("ToolName"), QVariant()}}}};
    jet4::TableSpec file{QStringLiteral("FILE"),
                         {{QStringLiteral("iOrder"), ColumnKind::Integer},
                          {QStringLiteral("cRemark"), ColumnKind::Text, 50},
                          {QStringLiteral("CSIGN"), ColumnKind::Text, 10},
                          {QStringLiteral("cPath"), ColumnKind::Memo},
                          {QStringLiteral("cType"), ColumnKind::Text, 10},
                          {QStringLiteral("cName"), ColumnKind::Text, 50},
                          {QStringLiteral("cResult"), ColumnKind::Memo}},
                         {{{qint64(2), QStringLiteral("后"), QStringLiteral("校验"), QStringLiteral("check2.sql"),
                            QStringLiteral("sql"), QStringLiteral("二"), QStringLiteral("tmp_r")}},
                          {{qint64(1), QVariant(), QStringLiteral("校验"), QStringLiteral("check1.sql"),
                            QStringLiteral("sql"), QStringLiteral("一"), QStringLiteral("tmp_r")}}}};
    jet4::TableSpec version{QStringLiteral("Version"),
                            {{QStringLiteral("ID"), ColumnKind::Double},
                             {QStringLiteral("cItem"), ColumnKind::Memo},
                             {QStringLiteral("iGrade"), ColumnKind::Byte},
                             {QStringLiteral("bsign"), ColumnKind::Integer}},
                            {{{2.0, QStringLiteral("R6 标准版"), qint64(1), qint64(-1)}},
                             {{1.0, QStringLiteral("R3 标准版"), qint64(1), qint64(-1)}},
                             {{3.0, QStringLiteral("旧版"), qint64(1), qint64(0)}}}};
    jet4::TableSpec bewrite{QStringLiteral("Bewrite"),
                            {{QStringLiteral("ID"), ColumnKind::LongInteger},
                             {QStringLiteral("cOperate"), ColumnKind::Text, 255},
                             {QStringLiteral("cResult"), ColumnKind::Text, 255},
                             {QStringLiteral("cPath"), ColumnKind::Text, 255},
                             {QStringLiteral("nScore"), ColumnKind::Double}},
                            {{{qint64(5), QStringLiteral("打开凭证"), QStringLiteral("提示"), QVariant(), 1.5}}}};
    return {{zol, file, version, bewrite}};
}

QStringList column(const tooldb::Recordset& result, const QString& name) {
    QStringList values;
    for (std::size_t row = 0; row < result.rows.size(); ++row) values << result.value(row, name).toString();
    return values;
}

void expectTheProgramsStatementsWork(const tooldb::ToolDatabase& database) {
    EXPECT_EQ(
        SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), QStringLiteral("cName='ToolName'"), database),
        QStringLiteral("凭证检查工具"));
    const tooldb::Recordset checks =
        OpenRecordset(QStringLiteral("select * from File where cSign='校验' order by iOrder"), database);
    EXPECT_EQ(column(checks, QStringLiteral("cPath")), (QStringList{"check1.sql", "check2.sql"}));
    const tooldb::Recordset editions =
        OpenRecordset(QStringLiteral("select cItem from Version where iGrade=1 and bsign=-1 order by ID"), database);
    EXPECT_EQ(column(editions, QStringLiteral("cItem")), (QStringList{"R3 标准版", "R6 标准版"}));
    EXPECT_EQ(SelectValue(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString(), database), QStringLiteral("5"));
}

TEST(ToolTables, WhatAuthorsAccessFilesHoldOpens) {
    const test::ToolDatabaseFile file(authorsOwnLayout());
    expectTheProgramsStatementsWork(*tooldb::ToolDatabase::open(file.path()));
}

TEST(ToolTables, AnAccess97ToolDatabaseOpens) {
    jet4::DatabaseSpec spec = authorsOwnLayout();
    for (jet4::TableSpec& table : spec.tables)
        if (table.name == u"zol") {
            table.columns.front().kind = ColumnKind::Memo;  // CVALUE
            table.rows.push_back(
                {{QStringLiteral("使用说明。").repeated(400), QStringLiteral("Readme"), QStringLiteral("TDB")}});
        }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ZOL.mdb"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(jet3::buildDatabase(spec));
    out.close();

    const auto database = tooldb::ToolDatabase::open(path);
    expectTheProgramsStatementsWork(*database);
    EXPECT_EQ(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                          QStringLiteral("cSys='TDB' and cName='Readme'"), *database),
              QStringLiteral("使用说明。").repeated(400));
}

TEST(ToolTables, AFileWithoutATableTheProgramReadsIsRefused) {
    jet4::DatabaseSpec spec = authorsOwnLayout();
    spec.tables.pop_back();
    const test::ToolDatabaseFile file(spec);
    try {
        tooldb::ToolDatabase::open(file.path());
        ADD_FAILURE() << "opened";
    } catch (const tooldb::ToolDatabaseError& error) {
        EXPECT_EQ(error.kind(), tooldb::ToolDatabaseError::Kind::NotAToolDatabase);
        EXPECT_EQ(error.subject().table, QStringLiteral("Bewrite"));
        EXPECT_EQ(error.message(),
                  QStringLiteral("ZOL.mdb: not a tool database, or its table definitions are damaged: there is no "
                                 "table Bewrite"));
    }
}

}  // namespace
}  // namespace tallomar
