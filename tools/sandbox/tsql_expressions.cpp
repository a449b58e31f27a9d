// Expressions and the clauses around them, token by token: literals,
// operators, CASE, subqueries, TOP and table hints.
#include "sandbox/tsql_translator_internal.h"

#include <set>

namespace tallomar::sandbox::tsql {

namespace {

// Words that separate operands: an addition never reaches across them.
const std::set<std::string> keywords = {
    "SELECT",  "FROM",     "WHERE",   "AND",        "OR",         "NOT",     "AS",     "ON",        "JOIN",   "INNER",
    "LEFT",    "RIGHT",    "FULL",    "OUTER",      "CROSS",      "GROUP",   "ORDER",  "BY",        "HAVING", "UNION",
    "ALL",     "DISTINCT", "TOP",     "INTO",       "VALUES",     "SET",     "CASE",   "WHEN",      "THEN",   "ELSE",
    "END",     "IS",       "IN",      "LIKE",       "BETWEEN",    "EXISTS",  "ASC",    "DESC",      "INSERT", "UPDATE",
    "DELETE",  "CREATE",   "DROP",    "TABLE",      "ESCAPE",     "COLLATE", "EXCEPT", "INTERSECT", "WITH",   "PERCENT",
    "PRIMARY", "KEY",      "DEFAULT", "CONSTRAINT", "REFERENCES", "UNIQUE",  "CHECK",  "FOREIGN",   "IF",     "VIEW",
    "INDEX",   "ADD",      "COLUMN",  "ALTER",      "TRUNCATE"};

// One piece of translated expression text and how it binds.
struct Item {
    enum class Role { Operand, Tight, Plus, Minus, Boundary };
    std::string sql;
    Role role = Role::Operand;
};

Item symbolItem(const TsqlToken& token, const std::vector<Item>& before) {
    if (token.text == "+") return {"+", Item::Role::Plus};
    if (token.text == "-") return {"-", Item::Role::Minus};
    if (token.text == "*") {
        // A star after an operand multiplies; elsewhere it means all columns.
        const bool multiplies = !before.empty() && before.back().role == Item::Role::Operand;
        return {"*", multiplies ? Item::Role::Tight : Item::Role::Operand};
    }
    if (token.text == "/" || token.text == "%" || token.text == "~") return {token.text, Item::Role::Tight};
    if (token.text == "!<") return {">=", Item::Role::Boundary};
    if (token.text == "!>") return {"<=", Item::Role::Boundary};
    if (token.text == ".") return {".", Item::Role::Tight};
    return {token.text, Item::Role::Boundary};
}

// Emits the items; within each run of operands, a binary + becomes
// tsql_add(), which adds numbers and joins strings as SQL Server does,
// and the right operand of / and % goes through tsql_divisor(), which
// refuses a zero as SQL Server does (SQLite would answer NULL).
std::string joinWithAddition(const std::vector<Item>& items) {
    std::string sql;
    const auto append = [&sql](const std::string& piece) {
        if (!sql.empty() && piece != "," && piece != ")" && piece != ".") sql += ' ';
        sql += piece;
    };
    std::size_t i = 0;
    while (i < items.size()) {
        if (items[i].role == Item::Role::Boundary) {
            append(items[i++].sql);
            continue;
        }
        std::size_t end = i;
        while (end < items.size() && items[end].role != Item::Role::Boundary) ++end;
        // Terms separated by binary + and -.
        std::vector<std::string> terms(1);
        std::vector<char> operators;
        bool addition = false;
        for (std::size_t k = i; k < end; ++k) {
            const Item& item = items[k];
            const bool binary = (item.role == Item::Role::Plus || item.role == Item::Role::Minus) && k > i &&
                                items[k - 1].role == Item::Role::Operand;
            if (binary) {
                operators.push_back(item.role == Item::Role::Plus ? '+' : '-');
                addition = addition || item.role == Item::Role::Plus;
                terms.emplace_back();
            } else {
                std::string& term = terms.back();
                if (!term.empty() && item.sql != "." && term.back() != '.') term += ' ';
                const bool divisor = item.role == Item::Role::Operand && k > i &&
                                     items[k - 1].role == Item::Role::Tight &&
                                     (items[k - 1].sql == "/" || items[k - 1].sql == "%");
                term += divisor ? "tsql_divisor(" + item.sql + ")" : item.sql;
            }
        }
        if (addition) {
            std::string acc = terms[0];
            for (std::size_t k = 0; k < operators.size(); ++k)
                acc = operators[k] == '+' ? "tsql_add(" + acc + ", " + terms[k + 1] + ")"
                                          : "(" + acc + " - " + terms[k + 1] + ")";
            append(acc);
        } else {
            for (std::size_t k = 0; k < terms.size(); ++k) {
                if (k) append(std::string(1, operators[k - 1]));
                append(terms[k]);
            }
        }
        i = end;
    }
    return sql;
}

}  // namespace

bool isKeyword(const TsqlToken& token) {
    return token.kind == Kind::Word && keywords.count(upperAscii(token.text)) > 0;
}

// Translates tokens [begin, end) into SQLite text: names, literals,
// functions, TOP n as LIMIT n, and + as the T-SQL addition that also
// joins strings.
std::string Translator::translateRange(std::size_t begin, std::size_t end) {
    std::vector<Item> items;
    std::string limit;
    for (std::size_t i = begin; i < end;) {
        const TsqlToken& token = tokens_[i];
        const TsqlToken* previous = i > begin ? &tokens_[i - 1] : nullptr;
        if (definitions_ && (token.isWord("CLUSTERED") || token.isWord("NONCLUSTERED"))) {
            ++i;  // index layout: no meaning for SQLite
            continue;
        }
        if (token.isWord("WITH") && i + 1 < end && tokens_[i + 1].isSymbol("(") && previous && isNameToken(*previous)) {
            i = tableHints(i + 1, end) + 1;  // locking hints: SQLite has no locks to choose
            continue;
        }
        if (token.isSymbol("(")) {
            const std::size_t close = matchingParen(i, end);
            items.push_back({"(" + translateRange(i + 1, close) + ")", Item::Role::Operand});
            i = close + 1;
            continue;
        }
        if (token.isWord("CASE")) {
            // One operand, so that + reaches across it.
            const std::size_t caseEnd = matchingEnd(i, end);
            items.push_back({"CASE " + translateRange(i + 1, caseEnd) + " END", Item::Role::Operand});
            i = caseEnd + 1;
            continue;
        }
        if (token.isWord("LIMIT") || token.isSymbol("||")) syntaxErrorAt(i);
        if (token.isWord("OFFSET") && previous && i + 1 < end &&
            (tokens_[i + 1].kind == Kind::Number || tokens_[i + 1].isSymbol("(")))
            notUnderstood("OFFSET ... FETCH", token.line);
        if (token.kind == Kind::String && previous && previous->isWord("LIKE") &&
            token.text.find('[') != std::string::npos)
            notUnderstood("LIKE patterns with [...] character classes", token.line);
        if (token.isWord("TOP") && previous &&
            (previous->isWord("SELECT") || previous->isWord("DISTINCT") || previous->isWord("ALL"))) {
            if (!limit.empty()) notUnderstood("TOP in more than one part of a query", token.line);
            std::size_t count = i + 1;
            const bool parenthesized = count < end && tokens_[count].isSymbol("(");
            if (parenthesized) ++count;
            if (count >= end || tokens_[count].kind != Kind::Number ||
                (parenthesized && (count + 1 >= end || !tokens_[count + 1].isSymbol(")"))))
                notUnderstood("TOP with an expression", token.line);
            limit = tokens_[count].text;
            if (limit.find_first_not_of("0123456789") != std::string::npos)
                throw TsqlError(
                    {1060, 15, 1,
                     "The number of rows provided for a TOP or FETCH clauses row count parameter must be an integer.",
                     token.line});
            i = count + (parenthesized ? 2 : 1);
            if (i < end && (tokens_[i].isWord("PERCENT") || tokens_[i].isWord("WITH")))
                notUnderstood("TOP ... " + upperAscii(tokens_[i].text), token.line);
            if (topLevelWord(begin, end, "UNION") != end) notUnderstood("TOP together with UNION", token.line);
            continue;
        }
        if (token.kind == Kind::Word && i + 1 < end && tokens_[i + 1].isSymbol("(") && !definitions_ &&
            !(previous && (previous->isWord("AS") || previous->isWord("INTO") || previous->isWord("TABLE"))) &&
            (!isKeyword(token) || token.isWord("LEFT") || token.isWord("RIGHT"))) {
            const std::size_t close = matchingParen(i + 1, end);
            items.push_back({functionSql(upperAscii(token.text), i + 1, close, token.line), Item::Role::Operand});
            i = close + 1;
            continue;
        }
        if (!definitions_ && !items.empty() && items.back().role == Item::Role::Operand &&
            (token.kind == Kind::Word || token.kind == Kind::QuotedName || token.kind == Kind::String) &&
            !isKeyword(token) && !token.isWord("NULL")) {
            // A name right after an operand is its alias (SELECT a + b total,
            // FROM t x); quoted, so that SQLite never reads it as a word of
            // its own dialect (ISNULL, LIMIT, GLOB).
            items.push_back({quoteName(token.text), Item::Role::Boundary});
            ++i;
            continue;
        }
        if (isNameToken(token)) {
            const int line = token.line;
            const auto parts = readName(i, end);
            const bool aliasFollows = i < end && (tokens_[i].isWord("AS") || isNameToken(tokens_[i]));
            items.push_back({nameSql(parts, aliasFollows, line), Item::Role::Operand});
            continue;
        }
        ++i;
        switch (token.kind) {
            case Kind::String:
                items.push_back({quoteText(token.text), Item::Role::Operand});
                break;
            case Kind::Number:
                items.push_back({token.text, Item::Role::Operand});
                break;
            case Kind::Variable:
                if (upperAscii(token.text) == "@@TRANCOUNT") {
                    items.push_back({"tsql_trancount()", Item::Role::Operand});
                    break;
                }
                notUnderstood("variables such as " + token.text, token.line);
            case Kind::Word:
                items.push_back(
                    {token.text, upperAscii(token.text) == "NULL" ? Item::Role::Operand : Item::Role::Boundary});
                break;
            default:
                items.push_back(symbolItem(token, items));
        }
    }
    std::string sql = joinWithAddition(items);
    if (!limit.empty()) sql += " LIMIT " + limit;
    return sql;
}

std::size_t Translator::topLevelWord(std::size_t begin, std::size_t end, std::string_view word) const {
    int depth = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (tokens_[i].isSymbol("("))
            ++depth;
        else if (tokens_[i].isSymbol(")"))
            --depth;
        else if (depth == 0 && tokens_[i].isWord(word))
            return i;
    }
    return end;
}

std::size_t Translator::matchingParen(std::size_t open, std::size_t end) const {
    int depth = 0;
    for (std::size_t i = open; i < end; ++i) {
        if (tokens_[i].isSymbol("("))
            ++depth;
        else if (tokens_[i].isSymbol(")") && --depth == 0)
            return i;
    }
    syntaxErrorAt(open);
}

// The END that closes the CASE at `open`.
std::size_t Translator::matchingEnd(std::size_t open, std::size_t end) const {
    CaseNesting cases;
    int parens = 0;
    for (std::size_t i = open; i < end; ++i) {
        if (tokens_[i].isSymbol("("))
            ++parens;
        else if (tokens_[i].isSymbol(")"))
            --parens;
        else if (parens == 0 && cases.takes(tokens_[i]) && tokens_[i].isWord("END") && cases.depth == 0)
            return i;
    }
    syntaxErrorAt(end);
}

// WITH (NOLOCK, ...) after a table: the closing parenthesis. Hints other
// than locking and index choice are refused.
std::size_t Translator::tableHints(std::size_t open, std::size_t end) const {
    static const std::set<std::string> locking = {
        "NOLOCK",   "READUNCOMMITTED", "READCOMMITTED", "READCOMMITTEDLOCK", "REPEATABLEREAD", "SERIALIZABLE",
        "HOLDLOCK", "ROWLOCK",         "PAGLOCK",       "TABLOCK",           "TABLOCKX",       "UPDLOCK",
        "XLOCK",    "NOWAIT",          "READPAST"};
    const std::size_t close = matchingParen(open, end);
    for (std::size_t i = open + 1; i < close; ++i) {
        const auto& token = tokens_[i];
        if (token.isSymbol(",")) continue;
        if (token.kind != Kind::Word || !locking.count(upperAscii(token.text)))
            notUnderstood("the table hint " + token.text, token.line);
    }
    return close;
}

}  // namespace tallomar::sandbox::tsql
