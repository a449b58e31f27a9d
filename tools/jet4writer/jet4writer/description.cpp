#include "jet4writer/description.h"

#include "platform/error.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace tallomar::jet4 {

namespace {

using mdb::ColumnKind;

ColumnKind kindNamed(const QString& name, const QString& where) {
    static const std::map<QString, ColumnKind> kinds = {
        {QStringLiteral("boolean"), ColumnKind::Boolean}, {QStringLiteral("byte"), ColumnKind::Byte},
        {QStringLiteral("integer"), ColumnKind::Integer}, {QStringLiteral("long"), ColumnKind::LongInteger},
        {QStringLiteral("double"), ColumnKind::Double},   {QStringLiteral("datetime"), ColumnKind::DateTime},
        {QStringLiteral("text"), ColumnKind::Text},       {QStringLiteral("memo"), ColumnKind::Memo},
        {QStringLiteral("ole"), ColumnKind::Ole},
    };
    const auto it = kinds.find(name.toLower());
    if (it == kinds.end()) throw Error(QStringLiteral("%1: unknown column kind \"%2\"").arg(where, name));
    return it->second;
}

QVariant valueOf(const QJsonValue& json, const ColumnSpec& column, const QString& where) {
    if (json.isNull()) return QVariant();
    switch (column.kind) {
        case ColumnKind::Boolean:
            if (!json.isBool())
                throw Error(QStringLiteral("%1: column %2 expects true or false").arg(where, column.name));
            return QVariant(json.toBool());
        case ColumnKind::Byte:
        case ColumnKind::Integer:
        case ColumnKind::LongInteger:
        case ColumnKind::Double:
            if (!json.isDouble()) throw Error(QStringLiteral("%1: column %2 expects a number").arg(where, column.name));
            return column.kind == ColumnKind::Double ? QVariant(json.toDouble()) : QVariant(qint64(json.toDouble()));
        case ColumnKind::DateTime: {
            const QDateTime when = QDateTime::fromString(json.toString(), Qt::ISODate);
            if (!when.isValid())
                throw Error(QStringLiteral("%1: column %2 expects an ISO date and time").arg(where, column.name));
            return QVariant(when);
        }
        case ColumnKind::Ole:
            return QVariant(QByteArray::fromBase64(json.toString().toLatin1()));
        default:
            if (!json.isString()) throw Error(QStringLiteral("%1: column %2 expects text").arg(where, column.name));
            return QVariant(json.toString());
    }
}

}  // namespace

DatabaseSpec parseDescription(const QByteArray& json, const QString& source) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull())
        throw Error(QStringLiteral("%1: not valid JSON at offset %2: %3")
                        .arg(source)
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    DatabaseSpec spec;
    for (const QJsonValue& tableJson : document.object().value(QStringLiteral("tables")).toArray()) {
        const QJsonObject tableObject = tableJson.toObject();
        TableSpec table;
        table.name = tableObject.value(QStringLiteral("name")).toString();
        const QString where = QStringLiteral("%1: table %2").arg(source, table.name);
        if (table.name.isEmpty()) throw Error(QStringLiteral("%1: a table without a name").arg(source));
        for (const QJsonValue& columnJson : tableObject.value(QStringLiteral("columns")).toArray()) {
            const QJsonObject c = columnJson.toObject();
            ColumnSpec column;
            column.name = c.value(QStringLiteral("name")).toString();
            column.kind = kindNamed(c.value(QStringLiteral("kind")).toString(), where);
            column.length = c.value(QStringLiteral("length")).toInt(255);
            column.deleted = c.value(QStringLiteral("deleted")).toBool();
            column.indexed = c.value(QStringLiteral("indexed")).toBool();
            table.columns.push_back(column);
        }
        int number = 0;
        for (const QJsonValue& rowJson : tableObject.value(QStringLiteral("rows")).toArray()) {
            ++number;
            const QString rowWhere = QStringLiteral("%1, row %2").arg(where).arg(number);
            RowSpec row;
            const QJsonArray values =
                rowJson.isArray() ? rowJson.toArray() : rowJson.toObject().value(QStringLiteral("values")).toArray();
            row.deleted = rowJson.toObject().value(QStringLiteral("deleted")).toBool();
            row.overflow = rowJson.toObject().value(QStringLiteral("overflow")).toBool();
            if (static_cast<size_t>(values.size()) != table.columns.size())
                throw Error(QStringLiteral("%1: %2 values for %3 columns")
                                .arg(rowWhere)
                                .arg(values.size())
                                .arg(table.columns.size()));
            for (qsizetype i = 0; i < values.size(); ++i)
                row.values.push_back(valueOf(values[i], table.columns[static_cast<size_t>(i)], rowWhere));
            table.rows.push_back(std::move(row));
        }
        spec.tables.push_back(std::move(table));
    }
    return spec;
}

}  // namespace tallomar::jet4
