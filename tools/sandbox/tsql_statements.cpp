// The statements of a batch: which one begins at each point, and where
// it ends when its grammar does not say.
#include "sandbox/tsql_translator_internal.h"

#include <set>
#include <string>

namespace tallomar::sandbox::tsql {

namespace {

const std::set<std::string> statementStarts = {
    "SELECT",   "INSERT", "UPDATE",    "DELETE",   "CREATE",  "DROP",  "ALTER",  "TRUNCATE", "USE",
    "SET",      "PRINT",  "RAISERROR", "IF",       "BEGIN",   "END",   "ELSE",   "DECLARE",  "EXEC",
    "EXECUTE",  "WHILE",  "RETURN",    "GOTO",     "MERGE",   "GRANT", "REVOKE", "DENY",     "COMMIT",
    "ROLLBACK", "SAVE",   "BREAK",     "CONTINUE", "WAITFOR", "WITH",  "BACKUP", "RESTORE"};

}  // namespace

std::vector<TsqlStatement> Translator::run() {
    std::vector<TsqlStatement> statements;
    while (pos_ < tokens_.size()) {
        if (tokens_[pos_].isSymbol(";")) {
            ++pos_;
            continue;
        }
        statements.push_back(statement());
    }
    return statements;
}

bool Translator::startsStatement(std::size_t index) const {
    return index < tokens_.size() && tokens_[index].kind == Kind::Word &&
           statementStarts.count(upperAscii(tokens_[index].text)) > 0;
}

TsqlStatement Translator::statement() {
    const TsqlToken& first = peek();
    if (first.kind != Kind::Word) syntaxErrorAt(pos_);
    const std::string word = upperAscii(first.text);
    if (word == "USE") return useStatement();
    if (word == "SET") return setStatement();
    if (word == "PRINT") return printStatement();
    if (word == "RAISERROR") return raiseErrorStatement();
    if (word == "IF") return ifStatement();
    if (word == "BEGIN" && (peek(1).isWord("TRAN") || peek(1).isWord("TRANSACTION"))) return transactionStatement();
    if (word == "BEGIN") return blockStatement();
    if (word == "COMMIT" || word == "ROLLBACK" || word == "SAVE") return transactionStatement();
    if (word == "WAITFOR") return waitForStatement();
    if (word == "DECLARE") return declareStatement();
    if (word == "EXEC" || word == "EXECUTE") return executeStatement();
    if (word == "SELECT" && selectsOnlyAVariable()) return selectVariableStatement();
    if ((word == "CREATE" || word == "ALTER" || word == "DROP") && peek(1).isWord("DATABASE"))
        return notInTransactionStatement(word + " DATABASE", 226);
    if (word == "BACKUP" || word == "RESTORE") return notInTransactionStatement(word, 3021);
    if (word == "SELECT" || word == "INSERT" || word == "UPDATE" || word == "DELETE" || word == "CREATE" ||
        word == "DROP" || word == "TRUNCATE" || word == "ALTER" || word == "WITH")
        return sqlStatement();
    if (statementStarts.count(word)) {
        if (word == "END" || word == "ELSE") syntaxErrorAt(pos_);
        notUnderstood(word + " statements", first.line);
    }
    syntaxErrorAt(pos_);
}

// End of a statement whose extent is not given by its grammar: the next
// statement keyword, a semicolon or the end of the batch.
std::size_t Translator::simpleStatementEnd(std::size_t from) const {
    int depth = 0;
    CaseNesting cases;
    for (std::size_t i = from; i < tokens_.size(); ++i) {
        const auto& token = tokens_[i];
        if (token.isSymbol("("))
            ++depth;
        else if (token.isSymbol(")"))
            --depth;
        else if (depth > 0 || cases.takes(token))
            continue;
        else if (token.isSymbol(";") || startsStatement(i))
            return i;
    }
    return tokens_.size();
}

// The extent of a SQL statement: keywords that begin statements end it,
// except where they belong to it (INSERT ... SELECT, UPDATE ... SET,
// UNION SELECT, CASE ... END, DROP TABLE IF EXISTS).
std::size_t Translator::sqlStatementEnd(std::size_t from) const {
    const std::string kind = upperAscii(tokens_[from].text);
    int depth = 0;
    CaseNesting cases;
    bool sawSelect = kind == "SELECT";
    bool sawSet = false;
    for (std::size_t i = from + 1; i < tokens_.size(); ++i) {
        const auto& token = tokens_[i];
        if (token.isSymbol("(")) {
            ++depth;
            continue;
        }
        if (token.isSymbol(")")) {
            --depth;
            continue;
        }
        if (depth > 0) continue;
        if (token.isSymbol(";")) return i;
        if (token.kind != Kind::Word) continue;
        const std::string word = upperAscii(token.text);
        if (word == "VALUES") sawSelect = true;  // INSERT ... VALUES takes no SELECT after it
        if (cases.takes(token)) continue;
        if (!statementStarts.count(word)) continue;
        const auto& previous = tokens_[i - 1];
        if (word == "SELECT" && ((!sawSelect && (kind == "INSERT" || kind == "WITH")) || previous.isWord("UNION") ||
                                 previous.isWord("ALL") || previous.isWord("EXCEPT") || previous.isWord("INTERSECT"))) {
            sawSelect = true;
            continue;
        }
        if (word == "SET" && kind == "UPDATE" && !sawSet) {
            sawSet = true;
            continue;
        }
        if (word == "IF" && (previous.isWord("TABLE") || previous.isWord("VIEW"))) continue;
        if ((word == "DELETE" || word == "UPDATE") && previous.isWord("ON")) continue;
        if (word == "WITH") continue;  // table hints, never a new statement here
        return i;
    }
    return tokens_.size();
}

}  // namespace tallomar::sandbox::tsql
