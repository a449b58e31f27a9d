// tallomar-mdbdump FILE.mdb
//
// Prints every user table of an Access file as read through libmdb, as JSON:
// {"TABLE": [{"column": value, ...}, ...]}. NULL is null, OLE data base64.
// Other readers' output is compared with it.
#include "platform/access/mdb_reader.h"
#include "platform/error.h"
#include "platform/text/standard_streams.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

QJsonValue jsonOf(const QVariant& value) {
    if (value.isNull()) return QJsonValue::Null;
    if (value.typeId() == QMetaType::QByteArray) return QString::fromLatin1(value.toByteArray().toBase64());
    if (value.typeId() == QMetaType::LongLong) return value.toLongLong();
    if (value.typeId() == QMetaType::Double) return value.toDouble();
    return value.toString();
}

}  // namespace

int main(int argc, char** argv) {
    tallomar::useUtf8StandardStreams();
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: tallomar-mdbdump FILE.mdb\n");
        return 2;
    }
    try {
        QJsonObject tables;
        for (const auto& table : tallomar::mdb::readTables(app.arguments()[1])) {
            QJsonArray rows;
            for (const auto& row : table.rows) {
                QJsonObject object;
                for (size_t i = 0; i < table.columns.size(); ++i) object.insert(table.columns[i].name, jsonOf(row[i]));
                rows.append(object);
            }
            tables.insert(table.name, rows);
        }
        std::fputs(QJsonDocument(tables).toJson(QJsonDocument::Indented).constData(), stdout);
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "tallomar-mdbdump: %s\n", error.what());
        return 1;
    }
    return 0;
}
