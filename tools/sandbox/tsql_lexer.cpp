#include "sandbox/tsql_lexer.h"

#include <cctype>

namespace tallomar::sandbox {
namespace {

bool isNameStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool isNamePart(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '@' || c == '#' || c == '$' || c >= 0x80;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    std::vector<TsqlToken> run() {
        std::vector<TsqlToken> tokens;
        while (skipBlanksAndComments()) tokens.push_back(next());
        return tokens;
    }

private:
    unsigned char at(std::size_t i) const { return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0; }

    bool skipBlanksAndComments() {
        while (pos_ < text_.size()) {
            const unsigned char c = at(pos_);
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(c)) {
                ++pos_;
            } else if (c == '-' && at(pos_ + 1) == '-') {
                while (pos_ < text_.size() && at(pos_) != '\n') ++pos_;
            } else if (c == '/' && at(pos_ + 1) == '*') {
                skipBlockComment();
            } else {
                return true;
            }
        }
        return false;
    }

    // Block comments nest in T-SQL.
    void skipBlockComment() {
        const int startLine = line_;
        int depth = 0;
        do {
            if (pos_ >= text_.size()) throw TsqlLexError(113, "Missing end comment mark '*/'.", startLine);
            if (at(pos_) == '/' && at(pos_ + 1) == '*') {
                ++depth;
                pos_ += 2;
            } else if (at(pos_) == '*' && at(pos_ + 1) == '/') {
                --depth;
                pos_ += 2;
            } else {
                if (at(pos_) == '\n') ++line_;
                ++pos_;
            }
        } while (depth > 0);
    }

    // Text up to the closing `close`, where a doubled `close` stands for one.
    std::string quoted(char close) {
        const int startLine = line_;
        const std::size_t start = pos_;
        std::string value;
        for (;;) {
            if (pos_ >= text_.size())
                throw TsqlLexError(
                    105,
                    "Unclosed quotation mark after the character string '" + std::string(text_.substr(start)) + "'.",
                    startLine);
            const char c = text_[pos_++];
            if (c == close) {
                if (at(pos_) != static_cast<unsigned char>(close)) return value;
                ++pos_;
            } else if (c == '\n') {
                ++line_;
            }
            value += c;
        }
    }

    TsqlToken next() {
        TsqlToken token;
        token.line = line_;
        const unsigned char c = at(pos_);
        if ((c == 'N' || c == 'n') && at(pos_ + 1) == '\'') {
            pos_ += 2;
            token.kind = TsqlToken::Kind::String;
            token.national = true;
            token.text = quoted('\'');
        } else if (c == '\'') {
            ++pos_;
            token.kind = TsqlToken::Kind::String;
            token.text = quoted('\'');
        } else if (c == '[') {
            ++pos_;
            token.kind = TsqlToken::Kind::QuotedName;
            token.text = quoted(']');
        } else if (c == '"') {
            ++pos_;
            token.kind = TsqlToken::Kind::QuotedName;
            token.text = quoted('"');
        } else if (std::isdigit(c) || (c == '.' && std::isdigit(at(pos_ + 1)))) {
            token.kind = TsqlToken::Kind::Number;
            token.text = number();
        } else if (isNameStart(c) || c == '@' || c == '#') {
            const std::size_t start = pos_++;
            while (isNamePart(at(pos_))) ++pos_;
            token.text = std::string(text_.substr(start, pos_ - start));
            token.kind = c == '@'   ? TsqlToken::Kind::Variable
                         : c == '#' ? TsqlToken::Kind::TempName
                                    : TsqlToken::Kind::Word;
        } else {
            token.kind = TsqlToken::Kind::Symbol;
            static constexpr std::string_view pairs[] = {"<>", "!=", "<=", ">=", "!<", "!>", "||"};
            const std::string_view two = text_.substr(pos_, 2);
            bool pair = false;
            for (auto candidate : pairs) pair = pair || two == candidate;
            token.text = std::string(text_.substr(pos_, pair ? 2 : 1));
            pos_ += token.text.size();
        }
        return token;
    }

    std::string number() {
        const std::size_t start = pos_;
        while (std::isdigit(at(pos_))) ++pos_;
        if (at(pos_) == '.') {
            ++pos_;
            while (std::isdigit(at(pos_))) ++pos_;
        }
        if ((at(pos_) == 'e' || at(pos_) == 'E') &&
            (std::isdigit(at(pos_ + 1)) ||
             ((at(pos_ + 1) == '+' || at(pos_ + 1) == '-') && std::isdigit(at(pos_ + 2))))) {
            pos_ += 2;
            while (std::isdigit(at(pos_))) ++pos_;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool TsqlToken::isWord(std::string_view upper) const {
    if (kind != Kind::Word || text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i]) return false;
    return true;
}

std::vector<TsqlToken> tokenizeTsql(std::string_view text) {
    return Lexer(text).run();
}

}  // namespace tallomar::sandbox
