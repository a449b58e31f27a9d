#include "support/tool_fixture.h"

#include "jet4writer/jet4_writer.h"

namespace tallomar::test {

namespace {

using mdb::ColumnKind;

jet4::RowSpec row(std::vector<QVariant> values) {
    return {std::move(values), false, false};
}

}  // namespace

jet4::DatabaseSpec toolPackageSpec() {
    const QVariant null;
    jet4::TableSpec zol{QStringLiteral("ZOL"),
                        {{QStringLiteral("cSys"), ColumnKind::Text, 20},
                         {QStringLiteral("cName"), ColumnKind::Text, 50},
                         {QStringLiteral("cValue"), ColumnKind::Memo}},
                        {row({QStringLiteral("TDB"), QStringLiteral("ServerName"), QStringLiteral("(local)")}),
                         row({QStringLiteral("TDB"), QStringLiteral("PassWord"), null}),
                         row({QStringLiteral("TDB"), QStringLiteral("UserName"), QStringLiteral("")}),
                         row({QStringLiteral("TDB"), QStringLiteral("ToolName"), QStringLiteral("凭证检查工具")}),
                         row({QStringLiteral("TDB"), QStringLiteral("Readme"), QStringLiteral("说明")})}};
    // Version keeps a column cName of the package authors' beside the ones the program reads.
    jet4::TableSpec version{QStringLiteral("Version"),
                            {{QStringLiteral("cName"), ColumnKind::Text, 50},
                             {QStringLiteral("iGrade"), ColumnKind::Integer},
                             {QStringLiteral("bsign"), ColumnKind::Boolean},
                             {QStringLiteral("cItem"), ColumnKind::Text, 50},
                             {QStringLiteral("ID"), ColumnKind::LongInteger}},
                            {row({QStringLiteral("标准版"), 1, false, QStringLiteral("标准版"), 1}),
                             row({QStringLiteral("专业版"), 1, false, QStringLiteral("专业版"), 2}),
                             row({QStringLiteral("专业版 8.5"), 2, true, QStringLiteral("专业版 8.5"), 3}),
                             row({QStringLiteral("标准版 8.5"), 2, true, QStringLiteral("标准版 8.5"), 4}),
                             row({QStringLiteral("旧版"), 2, false, QStringLiteral("旧版"), 5})}};
    jet4::TableSpec file{
        QStringLiteral("File"),
        {{QStringLiteral("cName"), ColumnKind::Text, 100},
         {QStringLiteral("cSign"), ColumnKind::Text, 10},
         {QStringLiteral("cType"), ColumnKind::Text, 10},
         {QStringLiteral("cPath"), ColumnKind::Text, 100},
         {QStringLiteral("iOrder"), ColumnKind::LongInteger},
         {QStringLiteral("cResult"), ColumnKind::Text, 100}},
        {row({QStringLiteral("fix.sql"), QStringLiteral("订正"), QStringLiteral("SQL"), QStringLiteral("1"), 2, null}),
         row({QStringLiteral("check2.sql"), QStringLiteral("校验"), QStringLiteral("sql"), QStringLiteral("1"), 3,
              QStringLiteral("tmp_check")}),
         row({QStringLiteral("check1.sql"), QStringLiteral("校验"), QStringLiteral("sql"), QStringLiteral("999"), 1,
              QStringLiteral("tmp_check")})}};
    jet4::TableSpec bewrite{
        QStringLiteral("Bewrite"),
        {{QStringLiteral("ID"), ColumnKind::LongInteger},
         {QStringLiteral("cOperate"), ColumnKind::Memo},
         {QStringLiteral("cResult"), ColumnKind::Memo},
         {QStringLiteral("cPath"), ColumnKind::Text, 100},
         {QStringLiteral("Picture"), ColumnKind::Ole},
         {QStringLiteral("nScore"), ColumnKind::Double}},
        {row({7, QStringLiteral("打开凭证"), QStringLiteral("借贷不平"), null, null, 3.0}),
         row({9, QStringLiteral("重新记账"), null, QStringLiteral("pic\\a.bmp"), QByteArray("BM\x01\x02", 4), 2.5})}};
    return {{zol, version, file, bewrite}};
}

jet4::DatabaseSpec packageWithSettings(const std::vector<std::pair<QString, QVariant>>& settings) {
    jet4::DatabaseSpec spec = toolPackageSpec();
    for (jet4::TableSpec& table : spec.tables) {
        if (table.name != u"ZOL") continue;
        table.rows.clear();
        for (const auto& [name, value] : settings) table.rows.push_back(row({QStringLiteral("TDB"), name, value}));
    }
    return spec;
}

ToolDatabaseFile::ToolDatabaseFile(const jet4::DatabaseSpec& spec) {
    jet4::writeDatabase(spec, path());
}

}  // namespace tallomar::test
