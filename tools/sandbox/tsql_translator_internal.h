#pragma once

#include "sandbox/tsql_lexer.h"
#include "sandbox/tsql_translator.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the parts of the T-SQL translator share: the Translator, which walks
// the tokens of one batch, and the quoting and error functions all of them
// use. Only the translator's own files include this; everything else goes
// through tsql_translator.h.
namespace tallomar::sandbox::tsql {

using Kind = TsqlToken::Kind;

// Placeholders for database names in translated SQL, bound per run because
// USE changes which database is SQLite's "main" in the middle of a batch.
// They are bytes that UTF-8 never uses, so that no text of the batch, not
// even a control character in a string, is taken for one.
inline constexpr char PlaceholderOpen = '\xFD';
inline constexpr char PlaceholderClose = '\xFE';
inline constexpr char CurrentDatabaseName = '\xFF';

bool equalsNoCase(std::string_view a, std::string_view b);
std::string quoteName(std::string_view name);
std::string quoteText(std::string_view text);
// `database` as translated SQL names it until bindDatabases binds the run.
std::string placeholder(std::string_view database);
// Refuses the whole batch: nothing of it runs half-understood.
[[noreturn]] void notUnderstood(const std::string& what, int line);
bool isKeyword(const TsqlToken& token);

struct NamePart {
    std::string text;
    Kind kind = Kind::Word;
};

// CASE ... END nesting at one parenthesis level: the ELSE and END of a CASE
// belong to it, not to the statement around it.
struct CaseNesting {
    int depth = 0;

    // True when `token` is a CASE, or the ELSE or END of an open one.
    bool takes(const TsqlToken& token) {
        if (token.isWord("CASE")) {
            ++depth;
            return true;
        }
        if (depth > 0 && token.isWord("END")) {
            --depth;
            return true;
        }
        return depth > 0 && token.isWord("ELSE");
    }
};

// Its member functions live in one file for each part of the language
// they translate. A new statement takes its first word in statementStarts,
// a line in statement() and a function among the control or SQL
// statements.
class Translator {
public:
    Translator(std::vector<TsqlToken> tokens, const TranslationContext& context)
        : tokens_(std::move(tokens)), context_(context), transactionMayBeOpen_(context.inTransaction) {}

    std::vector<TsqlStatement> run();

private:
    bool atEnd() const { return pos_ >= tokens_.size(); }
    const TsqlToken& peek(std::size_t ahead = 0) const {
        static const TsqlToken none{};
        return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : none;
    }
    int lastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }
    [[noreturn]] void syntaxErrorAt(std::size_t index) const;

    // Statements: which one begins where, and where it ends (tsql_statements.cpp).
    bool startsStatement(std::size_t index) const;
    TsqlStatement statement();
    std::size_t simpleStatementEnd(std::size_t from) const;
    std::size_t sqlStatementEnd(std::size_t from) const;

    // Control statements (tsql_control_statements.cpp).
    TsqlStatement useStatement();
    TsqlStatement transactionStatement();
    TsqlStatement waitForStatement();
    TsqlStatement notInTransactionStatement(const std::string& name, int number);
    TsqlStatement setStatement();
    TsqlStatement printStatement();
    TsqlStatement raiseErrorStatement();
    TsqlStatement ifStatement();
    TsqlStatement blockStatement();

    // Variables, procedures and SQL run from a text (tsql_procedure_statements.cpp).
    TsqlStatement declareStatement();
    TsqlStatement executeStatement();
    bool selectsOnlyAVariable() const;
    TsqlStatement selectVariableStatement();
    std::string declaredVariable(const TsqlToken& token) const;

    // SQL statements (tsql_sql_statements.cpp).
    TsqlStatement sqlStatement();
    void translateSelect(TsqlStatement& sql, std::size_t begin, std::size_t end);
    void translateInsert(TsqlStatement& sql, std::size_t begin, std::size_t end);
    void translateUpdate(TsqlStatement& sql, std::size_t begin, std::size_t end);
    void translateDelete(TsqlStatement& sql, std::size_t begin, std::size_t end);
    void translateTruncate(TsqlStatement& sql, std::size_t begin, std::size_t end);
    void translateDefinition(TsqlStatement& sql, std::size_t begin, std::size_t end);
    std::string indexSql(const std::string& verb, bool unique, std::size_t at, std::size_t end, int line);

    // Expressions (tsql_expressions.cpp).
    std::string translateRange(std::size_t begin, std::size_t end);
    std::size_t topLevelWord(std::size_t begin, std::size_t end, std::string_view word) const;
    std::size_t matchingParen(std::size_t open, std::size_t end) const;
    std::size_t matchingEnd(std::size_t open, std::size_t end) const;
    std::size_t tableHints(std::size_t open, std::size_t end) const;

    // Names and types (tsql_names.cpp).
    bool isNameToken(const TsqlToken& token) const;
    std::vector<NamePart> readName(std::size_t& i, std::size_t end) const;
    static std::string partSql(const NamePart& part);
    std::string tempReference(const std::string& name) const;
    std::string sysobjects(const std::string& schema, bool aliasFollows) const;
    void remember(const std::string& key, const std::string& written);
    static std::string written(const std::vector<NamePart>& parts);
    std::string nameSql(const std::vector<NamePart>& parts, bool aliasFollows, int line);
    std::string nameAt(std::size_t& i, std::size_t end);
    std::string typeSql(std::size_t begin, std::size_t end) const;

    // Functions (tsql_functions.cpp).
    std::vector<std::pair<std::size_t, std::size_t>> arguments(std::size_t open, std::size_t close) const;
    std::string objectIdSql(std::size_t open, std::size_t close, int line);
    std::string argumentSql(const std::pair<std::size_t, std::size_t>& range);
    std::string functionSql(const std::string& name, std::size_t open, std::size_t close, int line);

    std::vector<TsqlToken> tokens_;
    const TranslationContext& context_;
    std::size_t pos_ = 0;
    bool definitions_ = false;  // translating CREATE, ALTER or DROP: column definitions, not expressions
    bool transactionMayBeOpen_;
    std::map<std::string, std::string>* names_ = nullptr;  // the writtenNames of the SQL statement at hand
    std::vector<std::string> variables_;                   // declared so far in the batch, lower case
};

}  // namespace tallomar::sandbox::tsql
