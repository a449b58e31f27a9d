#include "tooldb/sqlite_mirror.h"

#include "platform/error.h"

#include <QStringList>

namespace tallomar::tooldb {

namespace {

QString quotedName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// Access compares text without regard to case, so text columns do too.
QString columnType(mdb::ColumnKind kind) {
    using K = mdb::ColumnKind;
    switch (kind) {
        case K::Boolean:
        case K::Byte:
        case K::Integer:
        case K::LongInteger:
            return QStringLiteral("INTEGER");
        case K::Currency:
        case K::Single:
        case K::Double:
        case K::Numeric:
            return QStringLiteral("REAL");
        case K::Text:
        case K::Memo:
        case K::Guid:
            return QStringLiteral("TEXT COLLATE NOCASE");
        case K::Binary:
        case K::Ole:
            return QStringLiteral("BLOB");
        case K::DateTime:
        case K::Other:
            break;
    }
    return QStringLiteral("TEXT");
}

}  // namespace

QString sqliteMessage(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

SqliteMirror::SqliteMirror(const std::vector<mdb::Table>& tables) {
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString reason = sqliteMessage(db_);
        sqlite3_close(db_);
        throw Error(QStringLiteral("in-memory database: %1").arg(reason));
    }
    try {
        run("BEGIN");
        for (const mdb::Table& table : tables) createTable(table);
        run("COMMIT");
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqliteMirror::~SqliteMirror() {
    for (auto& entry : statements_) sqlite3_finalize(entry.second);
    sqlite3_close(db_);
}

void SqliteMirror::run(const char* sql) const {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), sqliteMessage(db_)));
}

sqlite3_stmt* SqliteMirror::prepared(const QString& sql) const {
    if (const auto found = statements_.find(sql); found != statements_.end()) {
        sqlite3_reset(found->second);
        return found->second;
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &statement, &tail) != SQLITE_OK)
        throw Error(QStringLiteral("%1: %2").arg(sql, sqliteMessage(db_)));
    if (statement == nullptr) throw Error(QStringLiteral("empty statement"));
    if (!QByteArray(tail).trimmed().isEmpty()) {
        sqlite3_finalize(statement);
        throw Error(QStringLiteral("%1: only one statement at a time").arg(sql));
    }
    statements_.emplace(sql, statement);
    return statement;
}

void SqliteMirror::createTable(const mdb::Table& table) {
    QStringList definitions;
    for (const mdb::Column& column : table.columns)
        definitions << quotedName(column.name) + QLatin1Char(' ') + columnType(column.kind);
    run(QStringLiteral("CREATE TABLE %1 (%2)")
            .arg(quotedName(table.name), definitions.join(QStringLiteral(", ")))
            .toUtf8()
            .constData());
    QStringList parameters;
    for (std::size_t i = 0; i < table.columns.size(); ++i) parameters << QStringLiteral("?");
    const QString insert = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?, %3)")
                               .arg(quotedName(table.name))
                               .arg([&] {
                                   QStringList names;
                                   for (const mdb::Column& c : table.columns) names << quotedName(c.name);
                                   return names.join(QStringLiteral(", "));
                               }())
                               .arg(parameters.join(QStringLiteral(", ")));
    sqlite3_stmt* statement = prepared(insert);
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        sqlite3_reset(statement);
        sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(row + 1));
        for (std::size_t column = 0; column < table.columns.size(); ++column)
            bindValue(statement, static_cast<int>(column + 2), table.rows[row][column]);
        if (sqlite3_step(statement) != SQLITE_DONE)
            throw Error(QStringLiteral("table %1: %2").arg(table.name, sqliteMessage(db_)));
    }
    statements_.erase(insert);
    sqlite3_finalize(statement);
}

void bindValue(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::Bool:
            sqlite3_bind_int64(statement, index, value.toLongLong());
            return;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(statement, index, value.toDouble());
            return;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            return;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            return;
        }
    }
}

QVariant columnValue(sqlite3_stmt* statement, int index) {
    switch (sqlite3_column_type(statement, index)) {
        case SQLITE_INTEGER:
            return QVariant::fromValue<qint64>(sqlite3_column_int64(statement, index));
        case SQLITE_FLOAT:
            return sqlite3_column_double(statement, index);
        case SQLITE_TEXT:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, index)),
                                     sqlite3_column_bytes(statement, index));
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, index)),
                              sqlite3_column_bytes(statement, index));
        default:
            return {};
    }
}

}  // namespace tallomar::tooldb
