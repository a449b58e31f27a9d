#include "fake_tool.h"

#include "platform/error.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <algorithm>

namespace tallomar::test {

namespace {

// The value of `column='value'` in a condition; empty optional when absent.
std::optional<QString> conditionValue(const QString& condition, const QString& column) {
    const QRegularExpression pattern(column + QStringLiteral("='([^']*)'"));
    const QRegularExpressionMatch match = pattern.match(condition);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1);
}

}  // namespace

void FakeTool::addCheck(int order, const QVariant& path, const QVariant& result) {
    files.push_back({QStringLiteral("校验"), order, path, result});
}

void FakeTool::addCorrection(int order, const QVariant& path) {
    files.push_back({QStringLiteral("订正"), order, path, {}});
}

ToolReads FakeTool::reads() {
    return {
        [this](const QString& field, const QString& table, const QString& condition) {
            return selectValue(field, table, condition);
        },
        [this](const QString& sql) { return openRecordset(sql); },
    };
}

QString FakeTool::selectValue(const QString& field, const QString& table, const QString& condition) const {
    if (table == u"Bewrite" && field == u"ID") return bewriteId;
    if (table == u"ZOL" && field == u"cValue")
        return settings.value(conditionValue(condition, QStringLiteral("cName")).value_or(QString()));
    if (table == u"File" && field == u"cName") {
        const auto sign = conditionValue(condition, QStringLiteral("cSign"));
        const auto type = conditionValue(condition, QStringLiteral("cType"));
        for (const FileRow& row : files) {
            if (sign && row.sign != *sign) continue;
            if (type && row.type.compare(*type, Qt::CaseInsensitive) != 0) continue;
            return QStringLiteral("step %1").arg(row.order);
        }
        return {};
    }
    ADD_FAILURE() << "unexpected read of " << field.toStdString() << " from " << table.toStdString();
    return {};
}

tooldb::Recordset FakeTool::openRecordset(const QString& sql) {
    ++recordsetReads_;
    if (failRecordsets) throw Error(QStringLiteral("工具数据库无法读取"));
    const auto sign = conditionValue(sql, QStringLiteral("cSign"));
    EXPECT_TRUE(sign.has_value()) << sql.toStdString();
    EXPECT_TRUE(sql.endsWith(QStringLiteral("order by iOrder"))) << sql.toStdString();
    std::vector<FileRow> chosen;
    std::copy_if(files.begin(), files.end(), std::back_inserter(chosen),
                 [&](const FileRow& row) { return row.sign == sign; });
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const FileRow& a, const FileRow& b) { return a.order < b.order; });
    tooldb::Recordset rows;
    rows.columns = {QStringLiteral("cSign"), QStringLiteral("iOrder"), QStringLiteral("cPath"),
                    QStringLiteral("cResult"), QStringLiteral("cType")};
    for (const FileRow& row : chosen)
        rows.rows.push_back({row.sign, qint64(row.order), row.path, row.result, row.type});
    return rows;
}

}  // namespace tallomar::test
