#include "mdb_fixture.h"

#include "platform/access/mdb_reader.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace tallomar::test {

using mdb::ColumnKind;

QString repeated(const QString& piece, int times) {
    QString text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

jet4::DatabaseSpec toolDatabaseSpec() {
    jet4::DatabaseSpec spec;
    jet4::TableSpec zol{QStringLiteral("ZOL"),
                        {{QStringLiteral("cName"), ColumnKind::Text, 50},
                         {QStringLiteral("cRemark"), ColumnKind::Text, 50, true},
                         {QStringLiteral("cValue"), ColumnKind::Memo},
                         {QStringLiteral("cSys"), ColumnKind::Text, 10}},
                        {}};
    const auto row = [](const QVariant& name, const QVariant& remark, const QVariant& value, const QVariant& sys,
                        bool deleted = false) {
        return jet4::RowSpec{{name, remark, value, sys}, deleted};
    };
    zol.rows = {
        row(QStringLiteral("ServerName"), QStringLiteral("旧备注"), QStringLiteral("(local)"), QVariant()),
        row(QStringLiteral("Removed"), QVariant(), QStringLiteral("已删除"), QVariant(), true),
        row(QStringLiteral("UserName"), QVariant(), QStringLiteral("sa"), QString()),
        row(QStringLiteral("PassWord"), QVariant(), QStringLiteral(" "), QVariant()),
        row(QStringLiteral("Readme"), QVariant(), repeated(QStringLiteral("使用说明第一段。"), 100),
            QStringLiteral("TDB")),
        row(QStringLiteral("ProjectDes"), QVariant(), repeated(QStringLiteral("参考说明"), 2500),
            QStringLiteral("TDB")),
        row(QStringLiteral("ToolName"), QVariant(), QStringLiteral("凭证检查工具"), QVariant()),
        row(QStringLiteral("Old"), QStringLiteral("x"), QStringLiteral("旧值"), QVariant(), true),
    };
    jet4::RowSpec moved = row(QStringLiteral("Soft"), QVariant(), QStringLiteral("R3 标准版"), QVariant());
    moved.overflow = true;
    zol.rows.push_back(moved);
    jet4::TableSpec file{QStringLiteral("File"),
                         {{QStringLiteral("cSign"), ColumnKind::Text, 10},
                          {QStringLiteral("cType"), ColumnKind::Text, 10},
                          {QStringLiteral("cName"), ColumnKind::Text, 100},
                          {QStringLiteral("cPath"), ColumnKind::Text, 255},
                          {QStringLiteral("iOrder"), ColumnKind::LongInteger},
                          {QStringLiteral("cResult"), ColumnKind::Text, 100}},
                         {{{QStringLiteral("校验"), QStringLiteral("sql"), QStringLiteral("检查凭证"),
                            QStringLiteral("check1.sql"), qint64(1), QStringLiteral("tmp_result")}},
                          {{QStringLiteral("订正"), QStringLiteral("sql"), QStringLiteral("订正凭证"),
                            QStringLiteral("999"), qint64(2), QVariant()}}}};
    file.description = QStringLiteral("脚本清单");
    jet4::TableSpec version{QStringLiteral("Version"),
                            {{QStringLiteral("cItem"), ColumnKind::Text, 50},
                             {QStringLiteral("iGrade"), ColumnKind::Integer},
                             {QStringLiteral("bsign"), ColumnKind::Boolean},
                             {QStringLiteral("ID"), ColumnKind::LongInteger, 255, false, true}},
                            {{{QStringLiteral("R3 标准版"), qint64(1), true, qint64(1)}},
                             {{QStringLiteral("R6 企业版"), qint64(2), false, qint64(2)}}}};
    jet4::TableSpec bewrite{QStringLiteral("Bewrite"),
                            {{QStringLiteral("ID"), ColumnKind::LongInteger},
                             {QStringLiteral("cOperate"), ColumnKind::Memo},
                             {QStringLiteral("cResult"), ColumnKind::Memo},
                             {QStringLiteral("cPath"), ColumnKind::Text, 255},
                             {QStringLiteral("Picture"), ColumnKind::Ole}},
                            {{{qint64(1), QStringLiteral("打开凭证"), QString(), QStringLiteral("图1.bmp"),
                               QByteArray("BM\x00\x01\x02", 5)}},
                             {{qint64(2), QVariant(), QStringLiteral("提示"), QVariant(), QVariant()}}}};
    spec.tables = {zol, file, version, bewrite};
    return spec;
}

jet4::DatabaseSpec crowdedPagesSpec(int rows) {
    jet4::TableSpec zol{QStringLiteral("ZOL"),
                        {{QStringLiteral("cName"), ColumnKind::Text, 255},
                         {QStringLiteral("cValue"), ColumnKind::Memo},
                         {QStringLiteral("cSys"), ColumnKind::Text, 10}},
                        {}};
    for (int moved = 0; moved < 2; ++moved) {
        for (int i = 0; i < rows; ++i) {
            jet4::RowSpec row{{QStringLiteral("%1%2").arg(moved ? QStringLiteral("M") : QStringLiteral("R")).arg(i) +
                                   repeated(QStringLiteral("名"), 238),
                               QStringLiteral("值%1").arg(i), QStringLiteral("TDB")}};
            row.overflow = moved == 1;
            zol.rows.push_back(row);
        }
    }
    return jet4::DatabaseSpec{{zol}};
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

const mdb::Table& tableNamed(const std::vector<mdb::Table>& tables, const QString& name) {
    for (const mdb::Table& table : tables) {
        if (table.name == name) return table;
    }
    throw std::runtime_error("no table " + name.toStdString());
}

QVariant cell(const mdb::Table& table, int row, const QString& column) {
    for (size_t c = 0; c < table.columns.size(); ++c) {
        if (table.columns[c].name == column) return table.rows.at(static_cast<size_t>(row)).at(c);
    }
    throw std::runtime_error("no column " + column.toStdString());
}

void expectRefusedAtOnceAsNotARegularFile(const QString& path, const QString& kind) {
    QElapsedTimer clock;
    clock.start();
    try {
        mdb::readTables(path);
        ADD_FAILURE() << path.toStdString() << " was read";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), QStringLiteral("%1: not a regular file (%2), not an Access database")
                                       .arg(QFileInfo(path).fileName(), kind));
    }
    EXPECT_LT(clock.elapsed(), 1000) << path.toStdString();
}

}  // namespace tallomar::test
