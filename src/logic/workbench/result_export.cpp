#include "logic/workbench/result_export.h"

#include "platform/error.h"
#include "logic/workbench/result_model.h"

#include <QSaveFile>
#include <set>

namespace tallomar {

namespace {

QStringList rowFields(const ResultModel& model, int row) {
    QStringList fields;
    for (int column = 0; column < model.columnCount(); ++column) fields << model.text(row, column);
    return fields;
}

}  // namespace

void writeResultCsv(const ResultModel& model, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()));
    file.write(kUtf8Bom);
    file.write(csvRecord(model.columns()).toUtf8());
    for (int row = 0; row < model.rowCount(); ++row) file.write(csvRecord(rowFields(model, row)).toUtf8());
    if (!file.commit()) throw Error(QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()));
}

QString selectionText(const ResultModel& model, const QModelIndexList& selection) {
    std::set<int> rows;
    std::set<int> columns;
    for (const QModelIndex& index : selection) {
        rows.insert(index.row());
        columns.insert(index.column());
    }
    if (rows.empty()) return {};
    QStringList lines;
    QStringList header;
    for (int column : columns) header << model.columns().value(column);
    lines << header.join(QLatin1Char('\t'));
    for (int row : rows) {
        QStringList cells;
        for (int column : columns) cells << model.text(row, column);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace tallomar
