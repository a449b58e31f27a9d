#include "bewrite_package.h"

#include "jet4writer/jet4_writer.h"
#include "tooldb/tool_access.h"
#include "tooldb/tool_database.h"

#include <gtest/gtest.h>
#include <QDir>

namespace tallomar::test {

namespace {

using jet4::ColumnSpec;
using jet4::TableSpec;
using mdb::ColumnKind;

ColumnSpec text(const char* name) {
    return {QString::fromLatin1(name), ColumnKind::Text, 255};
}
ColumnSpec number(const char* name, ColumnKind kind = ColumnKind::LongInteger) {
    return {QString::fromLatin1(name), kind, 0};
}

// The tables every tool database has; only Bewrite holds rows here.
jet4::DatabaseSpec toolDatabase(const std::vector<BewritePackage::Description>& descriptions) {
    TableSpec zol{
        QStringLiteral("ZOL"), {text("cName"), {QStringLiteral("cValue"), ColumnKind::Memo, 0}, text("cSys")}, {}};
    zol.rows.push_back({{QStringLiteral("ToolName"), QStringLiteral("凭证检查工具"), QVariant()}});
    TableSpec file{QStringLiteral("File"),
                   {text("cSign"), text("cType"), text("cName"), text("cPath"), number("iOrder"), text("cResult")},
                   {}};
    TableSpec version{QStringLiteral("Version"),
                      {text("cItem"), number("iGrade"), number("bsign", ColumnKind::Boolean), number("ID")},
                      {}};
    TableSpec bewrite{QStringLiteral("Bewrite"),
                      {number("ID"),
                       text("cOperate"),
                       text("cResult"),
                       text("cPath"),
                       {QStringLiteral("Picture"), ColumnKind::Ole, 0}},
                      {}};
    for (const BewritePackage::Description& description : descriptions)
        bewrite.rows.push_back(
            {{description.id, description.operate, description.result, description.path, QVariant()}});
    return {{zol, file, version, bewrite}};
}

}  // namespace

BewritePackage::BewritePackage() {
    EXPECT_TRUE(root_.isValid());
    QDir(root_.path()).mkpath(QStringLiteral("file"));
}

QString BewritePackage::toolFolder() const {
    return root_.filePath(QStringLiteral("file"));
}

void BewritePackage::open(const std::vector<Description>& descriptions) {
    const QString database = toolFolder() + QStringLiteral("/ZOL.mdb");
    jet4::writeDatabase(toolDatabase(descriptions), database);
    tool_ = tooldb::ToolDatabase::open(database);
}

}  // namespace tallomar::test
