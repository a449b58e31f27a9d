#include "sandbox/tsql_translator_internal.h"

#include <cstdio>
#include <set>
#include <utility>

namespace tallomar::sandbox {
namespace tsql {

bool equalsNoCase(std::string_view a, std::string_view b) { return upperAscii(a) == upperAscii(b); }

std::string quoteName(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// Control characters 1 to 3 mark database names in translated text, so a
// literal holding one spells it with char().
std::string quoteText(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c >= '\x01' && c <= '\x03') {
            quoted += "' || char(" + std::to_string(static_cast<int>(c)) + ") || '";
            continue;
        }
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

std::string placeholder(std::string_view database) {
    return std::string(1, PlaceholderOpen) + std::string(database) + PlaceholderClose;
}

ServerMessage syntaxError(const std::string& near, int line) {
    return {102, 15, 1, "Incorrect syntax near '" + near + "'.", line};
}

[[noreturn]] void notUnderstood(const std::string& what, int line) {
    throw TsqlError({102, 15, 1, "The sandbox server does not understand " + what + ".", line});
}

[[noreturn]] void Translator::syntaxErrorAt(std::size_t index) const {
    if (index >= tokens_.size()) throw TsqlError(syntaxError("end of batch", lastLine()));
    const auto& token = tokens_[index];
    throw TsqlError(syntaxError(token.text, token.line));
}

// Splits the arguments between `open` and its closing parenthesis at
// top-level commas.
std::vector<std::pair<std::size_t, std::size_t>> Translator::arguments(std::size_t open, std::size_t close) const {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    if (close == open + 1) return ranges;
    int depth = 0;
    std::size_t start = open + 1;
    for (std::size_t i = open + 1; i < close; ++i) {
        if (tokens_[i].isSymbol("(")) ++depth;
        else if (tokens_[i].isSymbol(")")) --depth;
        else if (depth == 0 && tokens_[i].isSymbol(",")) {
            ranges.emplace_back(start, i);
            start = i + 1;
        }
    }
    ranges.emplace_back(start, close);
    return ranges;
}

std::string Translator::objectIdSql(std::size_t open, std::size_t close, int line) {
    const auto args = arguments(open, close);
    if (args.empty() || args.size() > 2 || args[0].second != args[0].first + 1 ||
        tokens_[args[0].first].kind != Kind::String)
        notUnderstood("OBJECT_ID other than OBJECT_ID('name')", line);
    std::vector<std::string> parts;
    {
        // The name inside the string follows the rules of names in
        // statements: [brackets], db..table, db.dbo.table.
        std::string current;
        bool bracket = false;
        for (char c : tokens_[args[0].first].text) {
            if (c == '[' && !bracket) bracket = true;
            else if (c == ']' && bracket) bracket = false;
            else if (c == '.' && !bracket) {
                parts.push_back(current);
                current.clear();
            } else current += c;
        }
        parts.push_back(current);
    }
    std::string database;
    if (parts.size() == 3) database = parts[0];
    else if (parts.size() > 3) return "NULL";
    std::string table = parts.back();
    if (!table.empty() && table[0] == '#') {
        database = "tempdb";
        table = tempTableName(table, context_.sessionId);
    }
    if (!database.empty() && !context_.databaseExists(database)) return "NULL";
    const std::string schema = database.empty() ? "main" : placeholder(database);
    return "(SELECT rootpage FROM " + schema +
           ".sqlite_master WHERE type IN ('table','view') AND name = " + quoteText(table) +
           " COLLATE NOCASE)";
}

std::string Translator::argumentSql(const std::pair<std::size_t, std::size_t>& range) {
    return translateRange(range.first, range.second);
}

std::string Translator::functionSql(const std::string& name, std::size_t open, std::size_t close, int line) {
    static const std::set<std::string> same = {"COUNT", "SUM", "MIN", "MAX", "AVG", "ABS", "ROUND",
                                               "UPPER", "LOWER", "LTRIM", "RTRIM", "REPLACE",
                                               "COALESCE", "NULLIF"};
    const auto args = arguments(open, close);
    const auto expect = [&](std::size_t count) {
        if (args.size() != count) notUnderstood(name + " with " + std::to_string(args.size()) + " arguments", line);
    };
    if (same.count(name)) {
        std::string sql = name + "(";
        for (std::size_t k = 0; k < args.size(); ++k) sql += (k ? ", " : "") + argumentSql(args[k]);
        return sql + ")";
    }
    if (name == "ISNULL") {
        expect(2);
        return "IFNULL(" + argumentSql(args[0]) + ", " + argumentSql(args[1]) + ")";
    }
    if (name == "GETDATE") {
        expect(0);
        return "strftime('%Y-%m-%d %H:%M:%f','now','localtime')";
    }
    if (name == "LEN") {
        expect(1);
        return "length(rtrim(" + argumentSql(args[0]) + "))";
    }
    if (name == "SUBSTRING") {
        expect(3);
        return "substr(" + argumentSql(args[0]) + ", " + argumentSql(args[1]) + ", " + argumentSql(args[2]) + ")";
    }
    if (name == "CHARINDEX") {
        expect(2);
        return "instr(" + argumentSql(args[1]) + ", " + argumentSql(args[0]) + ")";
    }
    if (name == "LEFT") {
        expect(2);
        return "substr(" + argumentSql(args[0]) + ", 1, " + argumentSql(args[1]) + ")";
    }
    if (name == "RIGHT") {
        expect(2);
        const std::string text = argumentSql(args[0]);
        return "substr(" + text + ", max(length(" + text + ") - (" + argumentSql(args[1]) + ") + 1, 1))";
    }
    if (name == "OBJECT_ID") return objectIdSql(open, close, line);
    if (name == "DB_NAME") {
        expect(0);
        return std::string(1, CurrentDatabaseName);
    }
    if (name == "CAST") {
        expect(1);
        const std::size_t as = topLevelWord(args[0].first, args[0].second, "AS");
        if (as == args[0].second) syntaxErrorAt(args[0].second);
        return "CAST(" + translateRange(args[0].first, as) + " AS " + typeSql(as + 1, args[0].second) + ")";
    }
    if (name == "CONVERT") {
        expect(2);
        return "CAST(" + argumentSql(args[1]) + " AS " + typeSql(args[0].first, args[0].second) + ")";
    }
    notUnderstood("the function " + name, line);
}

}  // namespace tsql

std::string tempTableName(std::string_view name, std::uint64_t sessionId) {
    if (name.substr(0, 2) == "##") return std::string(name);
    // As SQL Server does: padded with underscores to 116 characters, then a
    // number unique to the session.
    std::string full(name);
    if (full.size() > 116)
        throw TsqlError({193, 15, 1,
                         "The object or column name starting with '" + full.substr(0, 116) +
                             "' is too long. The maximum length is 116 characters.",
                         1});
    full.append(116 - full.size(), '_');
    char number[13];
    std::snprintf(number, sizeof number, "%012llX", static_cast<unsigned long long>(sessionId));
    return full + number;
}

std::vector<TsqlStatement> translateBatch(std::string_view batch, const TranslationContext& context) {
    std::vector<TsqlToken> tokens;
    try {
        tokens = tokenizeTsql(batch);
    } catch (const TsqlLexError& error) {
        throw TsqlError({error.number, 15, 1, error.what(), error.line});
    }
    return tsql::Translator(std::move(tokens), context).run();
}

std::vector<std::string> referencedDatabases(std::string_view sql) {
    std::vector<std::string> names;
    for (std::size_t open = sql.find(tsql::PlaceholderOpen); open != std::string_view::npos;
         open = sql.find(tsql::PlaceholderOpen, open + 1)) {
        const std::size_t close = sql.find(tsql::PlaceholderClose, open);
        if (close == std::string_view::npos) break;
        names.emplace_back(sql.substr(open + 1, close - open - 1));
    }
    return names;
}

std::string bindDatabases(std::string_view sql, std::string_view currentDatabase) {
    std::string bound;
    bound.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == tsql::CurrentDatabaseName) {
            bound += tsql::quoteText(currentDatabase);
        } else if (sql[i] == tsql::PlaceholderOpen) {
            const std::size_t close = sql.find(tsql::PlaceholderClose, i);
            const std::string_view name = sql.substr(i + 1, close - i - 1);
            bound += tsql::equalsNoCase(name, currentDatabase) ? "main" : tsql::quoteName(name);
            i = close;
        } else {
            bound += sql[i];
        }
    }
    return bound;
}

}  // namespace tallomar::sandbox
