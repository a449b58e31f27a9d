// Statements the session carries out itself: USE, SET, PRINT, RAISERROR,
// IF ... ELSE, BEGIN ... END, transactions, WAITFOR DELAY, and those
// refused inside a transaction.
#include "sandbox/tsql_translator_internal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <regex>
#include <set>

namespace tallomar::sandbox::tsql {

namespace {

// The whole part of a number argument (".7" is 0); a number beyond int's
// range becomes int's limit, which the severity and state checks treat as
// any other value out of their range.
int wholeNumber(const std::string& text) {
    long long value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range)
        value = text.starts_with('-') ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    return static_cast<int>(
        std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// printf-style placeholders of RAISERROR: %s, %d, %i, %u and %%.
std::string formatMessage(const std::string& format, const std::vector<TsqlToken>& arguments, std::size_t next) {
    std::string text;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            text += format[i];
            continue;
        }
        const char kind = format[++i];
        if (kind == '%') {
            text += '%';
        } else if (kind == 's' || kind == 'd' || kind == 'i' || kind == 'u') {
            text += next < arguments.size() ? arguments[next++].text : "(null)";
        } else {
            text += '%';
            text += kind;
        }
    }
    return text;
}

}  // namespace

TsqlStatement Translator::useStatement() {
    TsqlStatement use;
    use.kind = TsqlStatement::Kind::Use;
    use.line = peek().line;
    ++pos_;
    const auto& name = peek();
    if (atEnd() || (name.kind != Kind::Word && name.kind != Kind::QuotedName)) syntaxErrorAt(pos_);
    use.database = name.text;
    ++pos_;
    return use;
}

// BEGIN TRAN[SACTION] [name], COMMIT [TRAN[SACTION] [name] | WORK],
// ROLLBACK [TRAN[SACTION] [name] | WORK], SAVE TRAN[SACTION] name.
TsqlStatement Translator::transactionStatement() {
    using Verb = TsqlStatement::TransactionVerb;
    TsqlStatement transaction;
    transaction.kind = TsqlStatement::Kind::Transaction;
    transaction.line = peek().line;
    const std::string verb = upperAscii(peek().text);
    transaction.transaction = verb == "BEGIN"    ? Verb::Begin
                              : verb == "COMMIT" ? Verb::Commit
                              : verb == "SAVE"   ? Verb::Save
                                                 : Verb::Rollback;
    ++pos_;
    const bool namable = peek().isWord("TRAN") || peek().isWord("TRANSACTION");
    if (namable)
        ++pos_;
    else if (verb == "SAVE")
        syntaxErrorAt(pos_);
    else if (peek().isWord("WORK"))
        ++pos_;
    if (namable && peek().kind == Kind::Variable) notUnderstood("transaction names in variables", transaction.line);
    if (namable && (peek().kind == Kind::QuotedName || (peek().kind == Kind::Word && !startsStatement(pos_)))) {
        transaction.name = peek().text;
        ++pos_;
    }
    if (verb == "SAVE" && transaction.name.empty()) syntaxErrorAt(pos_);
    if (peek().isWord("WITH")) notUnderstood(verb + " TRANSACTION ... WITH", transaction.line);
    if (transaction.transaction == Verb::Begin) transactionMayBeOpen_ = true;
    return transaction;
}

// WAITFOR DELAY 'hh:mm[:ss[.fff]]'.
TsqlStatement Translator::waitForStatement() {
    TsqlStatement wait;
    wait.kind = TsqlStatement::Kind::WaitFor;
    wait.line = peek().line;
    ++pos_;
    if (!peek().isWord("DELAY")) notUnderstood("WAITFOR other than WAITFOR DELAY", wait.line);
    ++pos_;
    if (peek().kind != Kind::String) notUnderstood("WAITFOR DELAY other than a constant time", wait.line);
    static const std::regex time(R"(\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d{1,3}))?)?\s*)");
    std::smatch parts;
    const std::string text = peek().text;
    const bool matched = std::regex_match(text, parts, time);
    const int hours = matched ? std::stoi(parts[1]) : 0;
    const int minutes = matched ? std::stoi(parts[2]) : 0;
    const int seconds = matched && parts[3].matched ? std::stoi(parts[3]) : 0;
    if (!matched || hours > 23 || minutes > 59 || seconds > 59)
        throw TsqlError(
            {148, 15, 1, "Incorrect time syntax in time string '" + text + "' used with WAITFOR.", wait.line});
    std::string fraction = parts[4].matched ? parts[4].str() : "";
    fraction.append(3 - fraction.size(), '0');
    wait.delay = std::chrono::hours(hours) + std::chrono::minutes(minutes) + std::chrono::seconds(seconds) +
                 std::chrono::milliseconds(std::stoi(fraction));
    ++pos_;
    return wait;
}

// ALTER/CREATE/DROP DATABASE, BACKUP, RESTORE: not run here at all, but
// inside a transaction they fail as SQL Server fails them there.
TsqlStatement Translator::notInTransactionStatement(const std::string& name, int number) {
    const int line = peek().line;
    if (!transactionMayBeOpen_) notUnderstood(name, line);
    TsqlStatement refused;
    refused.kind = TsqlStatement::Kind::NotInTransaction;
    refused.line = line;
    refused.name = name;
    refused.message =
        number == 226
            ? ServerMessage{226, 16, 6, name + " statement not allowed within multi-statement transaction.", line}
            : ServerMessage{number, 16, 1, "Cannot perform a backup or restore operation within a transaction.", line};
    // Its options (ALTER DATABASE d SET ...) belong to it: it ends at a
    // semicolon or at a statement on a later line.
    ++pos_;
    while (!atEnd() && !peek().isSymbol(";") && !(peek().line > line && startsStatement(pos_))) ++pos_;
    return refused;
}

TsqlStatement Translator::setStatement() {
    static const std::set<std::string> harmless = {"ANSI_NULLS",
                                                   "ANSI_PADDING",
                                                   "ANSI_WARNINGS",
                                                   "ANSI_NULL_DFLT_ON",
                                                   "QUOTED_IDENTIFIER",
                                                   "ARITHABORT",
                                                   "CONCAT_NULL_YIELDS_NULL",
                                                   "TEXTSIZE",
                                                   "LOCK_TIMEOUT",
                                                   "DATEFORMAT",
                                                   "DATEFIRST",
                                                   "LANGUAGE",
                                                   "IMPLICIT_TRANSACTIONS",
                                                   "CURSOR_CLOSE_ON_COMMIT",
                                                   "NUMERIC_ROUNDABORT",
                                                   "TRANSACTION",
                                                   "DEADLOCK_PRIORITY",
                                                   "ROWCOUNT"};
    TsqlStatement set;
    set.line = peek().line;
    ++pos_;
    const std::string option = upperAscii(peek().text);
    if (atEnd() || peek().kind != Kind::Word) syntaxErrorAt(pos_);
    ++pos_;
    if (option == "NOCOUNT" || option == "XACT_ABORT") {
        set.kind = option == "NOCOUNT" ? TsqlStatement::Kind::NoCount : TsqlStatement::Kind::XactAbort;
        if (peek().isWord("ON"))
            set.flag = true;
        else if (!peek().isWord("OFF"))
            syntaxErrorAt(pos_);
        ++pos_;
        return set;
    }
    if (option == "ROWCOUNT" && !(peek().kind == Kind::Number && peek().text == "0"))
        notUnderstood("SET ROWCOUNT other than 0", set.line);
    if (!harmless.count(option)) notUnderstood("SET " + option, set.line);
    // Transactions begun by themselves would commit here at once,
    // silently unlike SQL Server.
    if (option == "IMPLICIT_TRANSACTIONS" && peek().isWord("ON"))
        notUnderstood("SET IMPLICIT_TRANSACTIONS ON", set.line);
    set.kind = TsqlStatement::Kind::Ignored;
    pos_ = simpleStatementEnd(pos_);
    return set;
}

TsqlStatement Translator::printStatement() {
    TsqlStatement print;
    print.kind = TsqlStatement::Kind::Print;
    print.line = peek().line;
    ++pos_;
    const std::size_t end = simpleStatementEnd(pos_);
    if (end == pos_) syntaxErrorAt(pos_);
    print.sql = "SELECT " + translateRange(pos_, end);
    pos_ = end;
    return print;
}

TsqlStatement Translator::raiseErrorStatement() {
    TsqlStatement raise;
    raise.kind = TsqlStatement::Kind::RaiseError;
    raise.line = peek().line;
    ++pos_;
    if (!peek().isSymbol("(")) notUnderstood("RAISERROR without parentheses", raise.line);
    ++pos_;
    std::vector<TsqlToken> arguments;
    while (!atEnd() && !peek().isSymbol(")")) {
        bool negative = false;
        if (peek().isSymbol("-")) {
            negative = true;
            ++pos_;
        }
        TsqlToken argument = peek();
        if (argument.kind != Kind::String && argument.kind != Kind::Number)
            notUnderstood("RAISERROR arguments other than constants", raise.line);
        if (negative) argument.text = "-" + argument.text;
        arguments.push_back(argument);
        ++pos_;
        if (peek().isSymbol(","))
            ++pos_;
        else if (!peek().isSymbol(")"))
            syntaxErrorAt(pos_);
    }
    if (atEnd()) syntaxErrorAt(pos_);
    ++pos_;
    if (peek().isWord("WITH")) {
        ++pos_;
        while (peek().kind == Kind::Word || peek().isSymbol(",")) {
            if (peek().isWord("LOG")) notUnderstood("RAISERROR WITH LOG", raise.line);
            ++pos_;
        }
    }
    if (arguments.size() < 3 || arguments[0].kind != Kind::String || arguments[1].kind != Kind::Number ||
        arguments[2].kind != Kind::Number)
        notUnderstood("RAISERROR other than RAISERROR('message', severity, state)", raise.line);
    const int severity = wholeNumber(arguments[1].text);
    if (severity < 0 || severity > 18) notUnderstood("RAISERROR with severity above 18", raise.line);
    raise.message = {50000, severity, wholeNumber(arguments[2].text), formatMessage(arguments[0].text, arguments, 3),
                     raise.line};
    if (raise.message.state < 0 || raise.message.state > 255) raise.message.state = 1;
    return raise;
}

// IF's condition runs up to the statement that it governs.
TsqlStatement Translator::ifStatement() {
    TsqlStatement branch;
    branch.kind = TsqlStatement::Kind::If;
    branch.line = peek().line;
    ++pos_;
    const std::size_t conditionEnd = simpleStatementEnd(pos_);
    if (conditionEnd == pos_ || conditionEnd >= tokens_.size() || tokens_[conditionEnd].isSymbol(";"))
        syntaxErrorAt(conditionEnd);
    branch.sql = "SELECT CASE WHEN " + translateRange(pos_, conditionEnd) + " THEN 1 ELSE 0 END";
    pos_ = conditionEnd;
    branch.body.push_back(statement());
    while (peek().isSymbol(";")) ++pos_;
    if (peek().isWord("ELSE")) {
        ++pos_;
        branch.body.push_back(statement());
    }
    return branch;
}

TsqlStatement Translator::blockStatement() {
    TsqlStatement block;
    block.kind = TsqlStatement::Kind::Block;
    block.line = peek().line;
    ++pos_;
    if (peek().isWord("TRY") || peek().isWord("DISTRIBUTED"))
        notUnderstood("BEGIN " + upperAscii(peek().text), block.line);
    for (;;) {
        while (peek().isSymbol(";")) ++pos_;
        if (atEnd()) syntaxErrorAt(pos_);
        if (peek().isWord("END")) break;
        block.body.push_back(statement());
    }
    ++pos_;
    return block;
}

}  // namespace tallomar::sandbox::tsql
