#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Cuts T-SQL text into tokens: comments dropped, strings and bracketed
// names unquoted, each token with its line for error messages.
namespace tallomar::sandbox {

struct TsqlToken {
    enum class Kind { Word, QuotedName, String, Number, Variable, TempName, Symbol };
    Kind kind = Kind::Symbol;
    std::string text;  // unquoted for QuotedName and String
    int line = 1;
    bool national = false;  // N'...'

    bool isWord(std::string_view upper) const;  // case-insensitive keyword test
    bool isSymbol(std::string_view symbol) const { return kind == Kind::Symbol && text == symbol; }
};

// The text could not be cut into tokens (an unclosed quote or comment).
class TsqlLexError : public std::runtime_error {
public:
    TsqlLexError(int number, const std::string& message, int line)
        : std::runtime_error(message), number(number), line(line) {}
    int number;
    int line;
};

std::vector<TsqlToken> tokenizeTsql(std::string_view text);

std::string upperAscii(std::string_view text);

}  // namespace tallomar::sandbox
