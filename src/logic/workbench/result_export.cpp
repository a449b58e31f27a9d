#include "logic/workbench/result_export.h"

#include "logic/workbench/result_model.h"
#include "platform/error.h"

#include "platform/text/user_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <set>

namespace tallomar {

namespace {

const QString kExportFolderKey = QStringLiteral("export/folder");

QStringList rowFields(const ResultModel& model, int row) {
    QStringList fields;
    for (int column = 0; column < model.columnCount(); ++column) fields << model.text(row, column);
    return fields;
}

}  // namespace

QString proposedExportFileName(const QString& toolName, const QString& databaseName, const QDateTime& when) {
    static const QRegularExpression notInFileNames(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    const QString name =
        QStringLiteral("%1_%2_%3.csv").arg(toolName, databaseName, when.toString(QStringLiteral("yyyyMMdd-HHmm")));
    return QString(name).replace(notInFileNames, QStringLiteral("_"));
}

QString lastExportFolder() {
    const QString folder = QSettings(userSettingsPath(), QSettings::IniFormat).value(kExportFolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void rememberExportFolder(const QString& folder) {
    QSettings(userSettingsPath(), QSettings::IniFormat)
        .setValue(kExportFolderKey, QFileInfo(folder).absoluteFilePath());
}

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
