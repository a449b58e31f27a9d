// Variables, the two system procedures the sandbox knows and SQL run from a
// text: just what a client needs to take and give back an application
// lock and to run SQL it builds at run time.
//
//     declare @result int
//     exec @result = tempdb.dbo.sp_getapplock @Resource = N'name', @LockMode = 'Exclusive',
//                                             @LockOwner = 'Session', @LockTimeout = 5000
//     select @result
//     exec tempdb.dbo.sp_releaseapplock @Resource = N'name', @LockOwner = 'Session'
//     exec ('select 1 as a into tempdb..' + 't')
#include "sandbox/tsql_translator_internal.h"

#include <algorithm>

namespace tallomar::sandbox::tsql {

namespace {

const std::string kProcedures[] = {"SP_GETAPPLOCK", "SP_RELEASEAPPLOCK"};

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

std::string Translator::declaredVariable(const TsqlToken& token) const {
    const std::string name = lowerAscii(token.text);
    if (std::find(variables_.begin(), variables_.end(), name) == variables_.end())
        throw TsqlError({137, 15, 2, "Must declare the scalar variable \"" + token.text + "\".", token.line});
    return name;
}

// DECLARE @name INT
TsqlStatement Translator::declareStatement() {
    TsqlStatement declare;
    declare.kind = TsqlStatement::Kind::Declare;
    declare.line = peek().line;
    ++pos_;
    if (peek().kind != Kind::Variable) syntaxErrorAt(pos_);
    declare.name = lowerAscii(peek().text);
    ++pos_;
    if (peek().isWord("AS")) ++pos_;
    if (!peek().isWord("INT")) notUnderstood("variables other than one INT per DECLARE", declare.line);
    ++pos_;
    if (peek().isSymbol(",") || peek().isSymbol("="))
        notUnderstood("variables other than one INT per DECLARE", declare.line);
    variables_.push_back(declare.name);
    return declare;
}

// EXEC (text) runs the text; EXEC [@status =] [db.[schema].]procedure
// @name = value, ... calls one of the procedures the sandbox knows.
TsqlStatement Translator::executeStatement() {
    TsqlStatement call;
    call.line = peek().line;
    ++pos_;
    if (peek().isSymbol("(")) {
        const std::size_t close = matchingParen(pos_, tokens_.size());
        if (close >= tokens_.size() || close == pos_ + 1) syntaxErrorAt(close);
        call.kind = TsqlStatement::Kind::Execute;
        call.sql = "SELECT " + translateRange(pos_ + 1, close);
        pos_ = close + 1;
        return call;
    }
    call.kind = TsqlStatement::Kind::Procedure;
    if (peek().kind == Kind::Variable && peek(1).isSymbol("=")) {
        call.variable = declaredVariable(peek());
        pos_ += 2;
    }
    // The procedure's name is the last part of a dotted name (db..name, db.dbo.name).
    std::string procedure;
    for (;;) {
        if (peek().kind != Kind::Word && peek().kind != Kind::QuotedName) syntaxErrorAt(pos_);
        procedure = peek().text;
        ++pos_;
        if (!peek().isSymbol(".")) break;
        while (peek().isSymbol(".")) ++pos_;
    }
    if (std::find(std::begin(kProcedures), std::end(kProcedures), upperAscii(procedure)) == std::end(kProcedures))
        notUnderstood("EXEC of procedures other than sp_getapplock and sp_releaseapplock", call.line);
    call.name = lowerAscii(procedure);
    while (peek().kind == Kind::Variable && peek(1).isSymbol("=")) {
        const std::string argument = lowerAscii(peek().text.substr(1));
        pos_ += 2;
        std::string value;
        if (peek().isSymbol("-") && peek(1).kind == Kind::Number) {
            value = "-";
            ++pos_;
        }
        if (peek().kind != Kind::String && peek().kind != Kind::Number)
            notUnderstood("procedure arguments other than constants", call.line);
        call.arguments[argument] = value + peek().text;
        ++pos_;
        if (!peek().isSymbol(",")) break;
        ++pos_;
    }
    if (!atEnd() && !peek().isSymbol(";") && !startsStatement(pos_))
        notUnderstood("procedure arguments other than @name = constant", call.line);
    return call;
}

bool Translator::selectsOnlyAVariable() const {
    // @@TRANCOUNT and the like are functions, not variables.
    if (peek(1).kind != Kind::Variable || peek(1).text.starts_with("@@")) return false;
    const std::size_t after = pos_ + 2;
    return after >= tokens_.size() || tokens_[after].isSymbol(";") || startsStatement(after);
}

// SELECT @name
TsqlStatement Translator::selectVariableStatement() {
    TsqlStatement select;
    select.kind = TsqlStatement::Kind::SelectVariable;
    select.line = peek().line;
    select.name = declaredVariable(peek(1));
    pos_ += 2;
    return select;
}

}  // namespace tallomar::sandbox::tsql
