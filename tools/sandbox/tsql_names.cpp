// Names of tables and columns as SQLite knows them: database
// placeholders, tempdb and #temp tables, sysobjects, and type names.
#include "sandbox/tsql_translator_internal.h"

namespace tallomar::sandbox::tsql {

bool Translator::isNameToken(const TsqlToken& token) const {
    return (token.kind == Kind::Word && !isKeyword(token)) || token.kind == Kind::QuotedName ||
           token.kind == Kind::TempName;
}

// Reads a dotted name at `i` (advancing it): a.b, db..t, db.dbo.t.
std::vector<NamePart> Translator::readName(std::size_t& i, std::size_t end) const {
    std::vector<NamePart> parts;
    parts.push_back({tokens_[i].text, tokens_[i].kind});
    ++i;
    while (i < end && tokens_[i].isSymbol(".")) {
        ++i;
        if (i < end && tokens_[i].isSymbol(".")) {
            parts.push_back({"", Kind::Word});
        } else if (i < end && (tokens_[i].kind == Kind::Word || tokens_[i].kind == Kind::QuotedName ||
                               tokens_[i].kind == Kind::TempName || tokens_[i].isSymbol("*"))) {
            parts.push_back({tokens_[i].text, tokens_[i].kind});
            ++i;
        } else {
            syntaxErrorAt(i);
        }
    }
    return parts;
}

std::string Translator::partSql(const NamePart& part) {
    if (part.kind == Kind::QuotedName) return quoteName(part.text);
    return part.text;
}

std::string Translator::tempReference(const std::string& name) const {
    return placeholder("tempdb") + "." + quoteName(tempTableName(name, context_.sessionId));
}

std::string Translator::sysobjects(const std::string& schema, bool aliasFollows) const {
    std::string sql =
        "(SELECT name COLLATE NOCASE AS name, rootpage AS id, "
        "CASE type WHEN 'view' THEN 'V' ELSE 'U' END AS xtype, "
        "CASE type WHEN 'view' THEN 'V' ELSE 'U' END AS type, 1 AS uid FROM " +
        schema + ".sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite^_%' ESCAPE '^')";
    return aliasFollows ? sql : sql + " AS sysobjects";
}

void Translator::remember(const std::string& key, const std::string& written) {
    if (names_) (*names_)[upperAscii(key)] = written;
}

std::string Translator::written(const std::vector<NamePart>& parts) {
    std::string text;
    for (std::size_t k = 0; k < parts.size(); ++k) text += (k ? "." : "") + parts[k].text;
    return text;
}

std::string Translator::nameSql(const std::vector<NamePart>& parts, bool aliasFollows, int line) {
    const auto isOwner = [](const NamePart& part) { return part.text.empty() || equalsNoCase(part.text, "dbo"); };
    const auto isSysobjects = [](const NamePart& part) {
        return part.kind != Kind::TempName && equalsNoCase(part.text, "sysobjects");
    };
    const auto single = [&](const NamePart& part) {
        if (part.kind == Kind::TempName) {
            remember("tempdb." + tempTableName(part.text, context_.sessionId), part.text);
            return tempReference(part.text);
        }
        if (isSysobjects(part) && !definitions_) return sysobjects("main", aliasFollows);
        remember(part.text, part.text);
        return partSql(part);
    };
    switch (parts.size()) {
        case 1:
            return single(parts[0]);
        case 2:
            if (equalsNoCase(parts[0].text, "dbo")) return single(parts[1]);
            return partSql(parts[0]) + "." + partSql(parts[1]);
        case 3:
        case 4: {
            if (!isOwner(parts[1])) {
                if (parts.size() == 3 && equalsNoCase(parts[0].text, "dbo"))
                    return partSql(parts[1]) + "." + partSql(parts[2]);
                notUnderstood("the name '" + written(parts) + "'", line);
            }
            const NamePart& table = parts[2];
            std::string sql;
            if (table.kind == Kind::TempName) {
                sql = single(table);
            } else if (isSysobjects(table) && parts.size() == 3) {
                sql = sysobjects(placeholder(parts[0].text), aliasFollows);
            } else {
                remember(parts[0].text + "." + table.text, written(parts));
                sql = placeholder(parts[0].text) + "." + partSql(table);
            }
            if (parts.size() == 4) sql += "." + partSql(parts[3]);
            return sql;
        }
        default:
            notUnderstood("the name '" + written(parts) + "'", line);
    }
}

// The translated table name at `i` (advanced past it), or empty.
std::string Translator::nameAt(std::size_t& i, std::size_t end) {
    if (i >= end || !isNameToken(tokens_[i])) return {};
    const int line = tokens_[i].line;
    const auto parts = readName(i, end);
    if (parts.size() == 1 && parts[0].kind != Kind::TempName) remember(parts[0].text, parts[0].text);
    return nameSql(parts, true, line);
}

// A type name as CAST and CONVERT take it; (MAX) has no SQLite form.
std::string Translator::typeSql(std::size_t begin, std::size_t end) const {
    std::string sql;
    for (std::size_t i = begin; i < end; ++i) {
        const auto& token = tokens_[i];
        if (token.isWord("MAX"))
            sql += " MAX";
        else if (token.isSymbol("(") && i + 2 < end && tokens_[i + 1].isWord("MAX") && tokens_[i + 2].isSymbol(")")) {
            sql += " MAX";
            i += 2;
        } else {
            sql += (sql.empty() || token.kind == Kind::Symbol ? "" : " ") + token.text;
        }
    }
    return sql;
}

}  // namespace tallomar::sandbox::tsql
