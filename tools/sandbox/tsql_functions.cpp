// T-SQL functions in SQLite's terms.
#include "sandbox/tsql_translator_internal.h"

#include <set>
#include <utility>

namespace tallomar::sandbox::tsql {

// Splits the arguments between `open` and its closing parenthesis at
// top-level commas.
std::vector<std::pair<std::size_t, std::size_t>> Translator::arguments(std::size_t open, std::size_t close) const {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    if (close == open + 1) return ranges;
    int depth = 0;
    std::size_t start = open + 1;
    for (std::size_t i = open + 1; i < close; ++i) {
        if (tokens_[i].isSymbol("("))
            ++depth;
        else if (tokens_[i].isSymbol(")"))
            --depth;
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
            if (c == '[' && !bracket)
                bracket = true;
            else if (c == ']' && bracket)
                bracket = false;
            else if (c == '.' && !bracket) {
                parts.push_back(current);
                current.clear();
            } else
                current += c;
        }
        parts.push_back(current);
    }
    std::string database;
    if (parts.size() == 3)
        database = parts[0];
    else if (parts.size() > 3)
        return "NULL";
    std::string table = parts.back();
    if (!table.empty() && table[0] == '#') {
        database = "tempdb";
        table = tempTableName(table, context_.sessionId);
    }
    if (!database.empty() && !context_.databaseExists(database)) return "NULL";
    const std::string schema = database.empty() ? "main" : placeholder(database);
    return "(SELECT rootpage FROM " + schema +
           ".sqlite_master WHERE type IN ('table','view') AND name = " + quoteText(table) + " COLLATE NOCASE)";
}

std::string Translator::argumentSql(const std::pair<std::size_t, std::size_t>& range) {
    return translateRange(range.first, range.second);
}

std::string Translator::functionSql(const std::string& name, std::size_t open, std::size_t close, int line) {
    static const std::set<std::string> same = {"COUNT", "SUM",   "MIN",   "MAX",   "AVG",     "ABS",      "ROUND",
                                               "UPPER", "LOWER", "LTRIM", "RTRIM", "REPLACE", "COALESCE", "NULLIF"};
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

}  // namespace tallomar::sandbox::tsql
