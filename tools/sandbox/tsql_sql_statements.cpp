// Statements that run on SQLite: queries, INSERT, UPDATE, DELETE,
// TRUNCATE TABLE, and CREATE, ALTER and DROP of tables and indexes.
#include "sandbox/tds_protocol.h"
#include "sandbox/tsql_translator_internal.h"

namespace tallomar::sandbox::tsql {

TsqlStatement Translator::sqlStatement() {
    TsqlStatement sql;
    sql.line = peek().line;
    const std::size_t begin = pos_;
    const std::size_t end = sqlStatementEnd(begin);
    pos_ = end;
    names_ = &sql.writtenNames;
    const std::string kind = upperAscii(tokens_[begin].text);
    if (kind == "SELECT" || kind == "WITH")
        translateSelect(sql, begin, end);
    else if (kind == "INSERT")
        translateInsert(sql, begin, end);
    else if (kind == "UPDATE")
        translateUpdate(sql, begin, end);
    else if (kind == "DELETE")
        translateDelete(sql, begin, end);
    else if (kind == "TRUNCATE")
        translateTruncate(sql, begin, end);
    else
        translateDefinition(sql, begin, end);
    names_ = nullptr;
    return sql;
}

void Translator::translateSelect(TsqlStatement& sql, std::size_t begin, std::size_t end) {
    sql.command = tds::CommandSelect;
    const std::size_t into = topLevelWord(begin, end, "INTO");
    if (into == end) {
        sql.returnsRows = true;
        sql.sql = translateRange(begin, end);
        return;
    }
    // SELECT ... INTO target: the target is made from the query.
    std::size_t afterName = into + 1;
    const std::string target = nameAt(afterName, end);
    if (target.empty()) syntaxErrorAt(into + 1);
    // The query is what remains without "INTO target" (so that a TOP
    // limit lands after all of it).
    const std::size_t removed = afterName - into;
    tokens_.erase(tokens_.begin() + static_cast<std::ptrdiff_t>(into),
                  tokens_.begin() + static_cast<std::ptrdiff_t>(afterName));
    pos_ -= removed;
    sql.sql = "CREATE TABLE " + target + " AS " + translateRange(begin, end - removed);
    sql.countSql = "SELECT count(*) FROM " + target;
}

void Translator::translateInsert(TsqlStatement& sql, std::size_t begin, std::size_t end) {
    sql.command = tds::CommandInsert;
    if (tokens_[begin + 1 < end ? begin + 1 : begin].isWord("INTO")) {
        sql.sql = translateRange(begin, end);
    } else {
        sql.sql = "INSERT INTO " + translateRange(begin + 1, end);
    }
    if (topLevelWord(begin, end, "EXEC") != end || topLevelWord(begin, end, "EXECUTE") != end)
        notUnderstood("INSERT ... EXEC", sql.line);
}

void Translator::translateUpdate(TsqlStatement& sql, std::size_t begin, std::size_t end) {
    sql.command = tds::CommandUpdate;
    if (topLevelWord(begin, end, "FROM") != end) notUnderstood("UPDATE ... FROM", sql.line);
    sql.sql = translateRange(begin, end);
}

void Translator::translateDelete(TsqlStatement& sql, std::size_t begin, std::size_t end) {
    sql.command = tds::CommandDelete;
    if (begin + 1 < end && tokens_[begin + 1].isWord("FROM")) {
        if (topLevelWord(begin + 2, end, "FROM") != end) notUnderstood("DELETE ... FROM ... FROM", sql.line);
        sql.sql = translateRange(begin, end);
    } else {
        if (topLevelWord(begin + 1, end, "FROM") != end) notUnderstood("DELETE table FROM ...", sql.line);
        sql.sql = "DELETE FROM " + translateRange(begin + 1, end);
    }
}

void Translator::translateTruncate(TsqlStatement& sql, std::size_t begin, std::size_t end) {
    if (begin + 1 >= end || !tokens_[begin + 1].isWord("TABLE")) syntaxErrorAt(begin + 1);
    sql.sql = "DELETE FROM " + translateRange(begin + 2, end);
}

// CREATE, DROP and ALTER of tables and indexes.
void Translator::translateDefinition(TsqlStatement& sql, std::size_t begin, std::size_t end) {
    const std::string verb = upperAscii(tokens_[begin].text);
    std::size_t object = begin + 1;
    if (verb == "CREATE" && object < end && tokens_[object].isWord("UNIQUE")) ++object;
    if (verb == "CREATE" && object < end &&
        (tokens_[object].isWord("CLUSTERED") || tokens_[object].isWord("NONCLUSTERED")))
        ++object;
    const std::string what = object < end ? upperAscii(tokens_[object].text) : "";
    const bool table = what == "TABLE";
    if (!table && what != "INDEX") notUnderstood(verb + " " + what, sql.line);
    if (verb == "ALTER" && !table) notUnderstood("ALTER " + what, sql.line);
    for (std::size_t i = begin; i < end; ++i) {
        if (tokens_[i].isWord("IDENTITY")) notUnderstood("IDENTITY columns", tokens_[i].line);
        if (verb == "ALTER" && tokens_[i].isWord("ALTER") && i > begin)
            notUnderstood("ALTER TABLE ... ALTER COLUMN", tokens_[i].line);
    }
    definitions_ = true;
    sql.sql = table ? translateRange(begin, end)
                    : indexSql(verb, tokens_[begin + 1].isWord("UNIQUE"), object + 1, end, sql.line);
    definitions_ = false;
}

// SQLite names an index's database on the index, not on its table:
// CREATE INDEX db.ix ON t (...), DROP INDEX db.ix. T-SQL writes
// CREATE INDEX ix ON db..t (...), DROP INDEX t.ix and DROP INDEX ix ON t.
std::string Translator::indexSql(const std::string& verb, bool unique, std::size_t at, std::size_t end, int line) {
    if (at >= end || !isNameToken(tokens_[at])) syntaxErrorAt(at);
    std::vector<NamePart> index = readName(at, end);
    std::vector<NamePart> table;
    if (at < end && tokens_[at].isWord("ON")) {
        ++at;
        if (at >= end || !isNameToken(tokens_[at])) syntaxErrorAt(at);
        table = readName(at, end);
        if (index.size() != 1) notUnderstood("the index name '" + written(index) + "'", line);
    } else if (verb == "DROP" && index.size() >= 2) {
        table.assign(index.begin(), index.end() - 1);  // t.ix, db..t.ix
        index.erase(index.begin(), index.end() - 1);
    } else {
        syntaxErrorAt(at);
    }
    std::string schema;
    std::string tableSql;
    if (table.size() == 1 && table[0].kind == Kind::TempName) {
        schema = placeholder("tempdb");
        tableSql = quoteName(tempTableName(table[0].text, context_.sessionId));
    } else if (table.size() == 1 || (table.size() == 2 && equalsNoCase(table[0].text, "dbo"))) {
        schema = "main";
        tableSql = partSql(table.back());
    } else if (table.size() == 3 && (table[1].text.empty() || equalsNoCase(table[1].text, "dbo"))) {
        schema = placeholder(table[0].text);
        tableSql = table[2].kind == Kind::TempName ? quoteName(tempTableName(table[2].text, context_.sessionId))
                                                   : partSql(table[2]);
    } else {
        notUnderstood("the name '" + written(table) + "'", line);
    }
    const std::string indexName = schema + "." + partSql(index[0]);
    if (verb == "DROP") {
        if (at != end) syntaxErrorAt(at);
        return "DROP INDEX " + indexName;
    }
    if (at >= end || !tokens_[at].isSymbol("(")) syntaxErrorAt(at);
    return std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + indexName + " ON " + tableSql + " " +
           translateRange(at, end);
}

}  // namespace tallomar::sandbox::tsql
