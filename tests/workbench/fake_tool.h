#pragma once

#include "logic/workbench/workbench.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <vector>

namespace tallomar::test {

// An in-memory tool database answering the workbench's reads the way the
// tool database does: File rows filtered by cSign (and cType) and ordered by
// iOrder, ZOL values by cName, the first Bewrite ID.
class FakeTool {
public:
    struct FileRow {
        QString sign;
        int order = 0;
        QVariant path;  // null: no file name
        QVariant result;
        QString type = QStringLiteral("sql");
    };

    void addCheck(int order, const QVariant& path, const QVariant& result = {});
    void addCorrection(int order, const QVariant& path);
    std::vector<FileRow> files;
    QMap<QString, QString> settings;  // ZOL: cName -> cValue
    QString bewriteId;
    bool failRecordsets = false;  // every OpenRecordset throws

    ToolReads reads();
    // Number of OpenRecordset calls so far.
    int recordsetReads() const { return recordsetReads_; }

private:
    QString selectValue(const QString& field, const QString& table, const QString& condition) const;
    tooldb::Recordset openRecordset(const QString& sql);
    int recordsetReads_ = 0;
};

}  // namespace tallomar::test
