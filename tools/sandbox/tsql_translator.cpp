#include "sandbox/tsql_translator_internal.h"

#include <cstdio>

namespace tallomar::sandbox {
namespace tsql {

namespace {

ServerMessage syntaxError(const std::string& near, int line) {
    return {102, 15, 1, "Incorrect syntax near '" + near + "'.", line};
}

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
    return upperAscii(a) == upperAscii(b);
}

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

[[noreturn]] void notUnderstood(const std::string& what, int line) {
    throw TsqlError({102, 15, 1, "The sandbox server does not understand " + what + ".", line});
}

[[noreturn]] void Translator::syntaxErrorAt(std::size_t index) const {
    if (index >= tokens_.size()) throw TsqlError(syntaxError("end of batch", lastLine()));
    const auto& token = tokens_[index];
    throw TsqlError(syntaxError(token.text, token.line));
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
