#include "tooldb/update_statement.h"

#include "platform/error.h"
#include "tooldb/sqlite_mirror.h"
#include "tooldb/tool_database_error.h"

#include <QStringList>
#include <algorithm>

namespace tallomar::tooldb {

namespace {

// A quoted name or literal stands as this word: it is never a keyword.
const QString kQuoted = QStringLiteral("'");

qsizetype closingQuote(const QString& sql, qsizetype open, QChar close) {
    qsizetype at = open + 1;
    while (at < sql.size()) {
        if (sql[at] == close) {
            // A doubled quote stands for itself, except in [names].
            if (close != QLatin1Char(']') && at + 1 < sql.size() && sql[at + 1] == close) {
                at += 2;
                continue;
            }
            return at;
        }
        ++at;
    }
    return sql.size();
}

// The statement's words outside parentheses, upper-cased, with ';' as a
// word of its own; literals, quoted names and comments are skipped.
QStringList topLevelWords(const QString& sql) {
    QStringList words;
    int depth = 0;
    for (qsizetype at = 0; at < sql.size();) {
        const QChar c = sql[at];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            at = closingQuote(sql, at, c == QLatin1Char('[') ? QLatin1Char(']') : c) + 1;
            if (depth == 0) words << kQuoted;
        } else if (sql.mid(at, 2) == QLatin1String("--")) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), at);
            at = end < 0 ? sql.size() : end + 1;
        } else if (sql.mid(at, 2) == QLatin1String("/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), at + 2);
            at = end < 0 ? sql.size() : end + 2;
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
            qsizetype end = at;
            while (end < sql.size() &&
                   (sql[end].isLetterOrNumber() || sql[end] == QLatin1Char('_') || sql[end] == QLatin1Char('$')))
                ++end;
            if (depth == 0) words << sql.mid(at, end - at).toUpper();
            at = end;
        } else {
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')'))
                depth = std::max(0, depth - 1);
            else if (c == QLatin1Char(';') && depth == 0)
                words << QStringLiteral(";");
            ++at;
        }
    }
    return words;
}

void checkShape(const QString& sql) {
    const QStringList words = topLevelWords(sql);
    const auto refuse = [&sql](const QString& why) {
        return ToolDatabaseError(ToolDatabaseError::Kind::Refused, QStringLiteral("%1: %2").arg(sql, why));
    };
    if (words.isEmpty() || words.first() != QLatin1String("UPDATE"))
        throw refuse(QStringLiteral("the tool database accepts only UPDATE statements"));
    if (words.size() > 1 && words[1] == QLatin1String("OR"))
        throw refuse(QStringLiteral("UPDATE OR %1 is refused; only a plain UPDATE ... SET is accepted")
                         .arg(words.size() > 2 ? words[2] : QString()));
    const qsizetype end = words.indexOf(QStringLiteral(";"));
    if (end >= 0 && end + 1 < words.size()) throw refuse(QStringLiteral("only one statement at a time"));
    if (words.contains(QStringLiteral("FROM")))
        throw refuse(QStringLiteral("UPDATE ... FROM is refused; an UPDATE changes one table from its own rows"));
    if (words.contains(QStringLiteral("RETURNING"))) throw refuse(QStringLiteral("UPDATE ... RETURNING is refused"));
}

struct Authorization {
    const std::vector<mdb::Table>& tables;
    QString refusal;  // the first thing denied
};

bool isUserColumn(const std::vector<mdb::Table>& tables, const char* table, const char* column) {
    const QString tableName = QString::fromUtf8(table);
    const QString columnName = QString::fromUtf8(column);
    return std::any_of(tables.begin(), tables.end(), [&](const mdb::Table& t) {
        return t.name.compare(tableName, Qt::CaseInsensitive) == 0 &&
               std::any_of(t.columns.begin(), t.columns.end(),
                           [&](const mdb::Column& c) { return c.name.compare(columnName, Qt::CaseInsensitive) == 0; });
    });
}

int authorize(void* context, int action, const char* first, const char* second, const char*, const char* trigger) {
    auto* authorization = static_cast<Authorization*>(context);
    const auto deny = [&](const QString& why) {
        if (authorization->refusal.isEmpty()) authorization->refusal = why;
        return SQLITE_DENY;
    };
    switch (action) {
        case SQLITE_READ:
        case SQLITE_SELECT:
        case SQLITE_FUNCTION:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_UPDATE:
            if (trigger) return deny(QStringLiteral("a trigger would change table %1").arg(QString::fromUtf8(first)));
            if (!isUserColumn(authorization->tables, first, second))
                return deny(QStringLiteral("column %1 of %2 cannot be changed; rowid, oid and _rowid_ say where a row "
                                           "lives and are not columns of the tool database")
                                .arg(QString::fromUtf8(second), QString::fromUtf8(first)));
            return SQLITE_OK;
        default:
            return deny(QStringLiteral("only UPDATE ... SET of the columns of one table is accepted"));
    }
}

}  // namespace

PreparedUpdate prepareUpdate(sqlite3* db, const QString& sql, const std::vector<mdb::Table>& tables) {
    checkShape(sql);
    Authorization authorization{tables, {}};
    sqlite3_set_authorizer(db, &authorize, &authorization);
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int prepared = sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &raw, &tail);
    const QString reason = sqliteMessage(db);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    PreparedUpdate statement(raw);
    if (!authorization.refusal.isEmpty())
        throw ToolDatabaseError(ToolDatabaseError::Kind::Refused,
                                QStringLiteral("%1: %2").arg(sql, authorization.refusal));
    if (prepared != SQLITE_OK) throw Error(QStringLiteral("%1: %2").arg(sql, reason));
    if (!statement) throw Error(QStringLiteral("%1: empty statement").arg(sql));
    if (!QByteArray(tail).trimmed().isEmpty())
        throw ToolDatabaseError(ToolDatabaseError::Kind::Refused,
                                QStringLiteral("%1: only one statement at a time").arg(sql));
    return statement;
}

}  // namespace tallomar::tooldb
