#include "launcher/calculator.h"

#include "launcher/decimal_number.h"

#include <vector>

namespace {

// Parentheses and signs nested deeper than this are no sum anyone types; the limit keeps the
// recursion of the parser bounded whatever the text.
const int kMaxDepth = 64;

enum class TokenKind { Number, Plus, Minus, Times, Divide, Power, Percent, Of, Open, Close, Equals, End };

struct Token {
    TokenKind kind;
    std::string_view text;   // of a number
    bool plainInteger = false; // digits alone: no point, no exponent
};

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool isLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool isSpace(char ch) { return ch == ' ' || ch == '\t'; }

// Cuts the query into tokens; false at anything that belongs in no sum (a word, a comma, a colon).
bool tokenise(std::string_view query, std::vector<Token> &tokens, bool &spaced) {
    spaced = false;
    size_t at = 0;
    while (true) {
        const size_t before = at;
        while (at < query.size() && isSpace(query[at]))
            ++at;
        if (at > before && before > 0 && at < query.size())
            spaced = true;
        if (at == query.size()) {
            tokens.push_back({TokenKind::End, {}});
            return true;
        }
        const char ch = query[at];
        if (isDigit(ch) || (ch == '.' && at + 1 < query.size() && isDigit(query[at + 1]))) {
            const size_t start = at;
            bool plain = true;
            while (at < query.size() && isDigit(query[at]))
                ++at;
            if (at < query.size() && query[at] == '.') {
                plain = false;
                for (++at; at < query.size() && isDigit(query[at]);)
                    ++at;
            }
            if (at < query.size() && (query[at] == 'e' || query[at] == 'E')) {
                size_t digits = at + 1;
                if (digits < query.size() && (query[digits] == '+' || query[digits] == '-'))
                    ++digits;
                if (digits < query.size() && isDigit(query[digits])) {
                    plain = false;
                    for (at = digits; at < query.size() && isDigit(query[at]);)
                        ++at;
                }
            }
            // "2x3", "3rd", "1.2.3" and the like are not numbers of a sum.
            if (at < query.size() && (isLetter(query[at]) || isDigit(query[at]) || query[at] == '.'))
                return false;
            tokens.push_back({TokenKind::Number, query.substr(start, at - start), plain});
            continue;
        }
        if (isLetter(ch)) {
            const size_t start = at;
            while (at < query.size() && isLetter(query[at]))
                ++at;
            const std::string_view word = query.substr(start, at - start);
            if (word.size() != 2 || (word[0] != 'o' && word[0] != 'O') || (word[1] != 'f' && word[1] != 'F'))
                return false;
            tokens.push_back({TokenKind::Of, {}});
            continue;
        }
        TokenKind kind;
        switch (ch) {
        case '+': kind = TokenKind::Plus; break;
        case '-': kind = TokenKind::Minus; break;
        case '/': kind = TokenKind::Divide; break;
        case '^': kind = TokenKind::Power; break;
        case '%': kind = TokenKind::Percent; break;
        case '(': kind = TokenKind::Open; break;
        case ')': kind = TokenKind::Close; break;
        case '=': kind = TokenKind::Equals; break;
        case '*':
            kind = TokenKind::Times;
            if (at + 1 < query.size() && query[at + 1] == '*') {
                kind = TokenKind::Power;
                ++at;
            }
            break;
        default: return false;
        }
        ++at;
        tokens.push_back({kind, {}});
    }
}

// Numbers joined by one kind of operator without spaces that read as something else than a sum:
// hyphens alone (dates, ranges, telephone numbers) or slashes between three numbers or more (dates).
bool looksLikeDateOrCode(const std::vector<Token> &tokens, bool spaced) {
    if (spaced || tokens.size() < 4)
        return false;
    const TokenKind joiner = tokens[1].kind;
    if (joiner != TokenKind::Minus && joiner != TokenKind::Divide)
        return false;
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        const Token &token = tokens[i];
        if (i % 2 == 0 ? !(token.kind == TokenKind::Number && token.plainInteger) : token.kind != joiner)
            return false;
    }
    const size_t numbers = tokens.size() / 2;
    return joiner == TokenKind::Minus || numbers >= 3;
}

struct Value {
    DecimalNumber number;
    bool percentOnly = false; // a percentage and nothing else: "80 + 15%" adds 15% of 80
};

class Parser {
public:
    explicit Parser(const std::vector<Token> &tokens) : tokens_(tokens) {}

    // False when the tokens are no sum; true with the value or with error set.
    bool parseAll(DecimalNumber &result) {
        if (peek() == TokenKind::Equals)
            ++at_;
        Value value;
        if (!expression(value))
            return false;
        if (peek() == TokenKind::Equals)
            ++at_;
        if (peek() != TokenKind::End)
            return false;
        result = value.number;
        return true;
    }

    DecimalError error() const { return error_; }
    int operations() const { return operations_; }

private:
    TokenKind peek() const { return tokens_[at_].kind; }

    // Keeps the first error and goes on with zero, so that the rest is still read as a sum or not.
    void note(DecimalError error, DecimalNumber &value) {
        if (error == DecimalError::None)
            return;
        if (error_ == DecimalError::None)
            error_ = error;
        value = DecimalNumber();
    }

    bool expression(Value &out) {
        if (!term(out))
            return false;
        while (peek() == TokenKind::Plus || peek() == TokenKind::Minus) {
            const bool adding = tokens_[at_++].kind == TokenKind::Plus;
            Value right;
            if (!term(right))
                return false;
            ++operations_;
            DecimalNumber amount = right.number;
            if (right.percentOnly)
                note(out.number.multiply(right.number, amount), amount);
            DecimalNumber sum;
            note(adding ? out.number.add(amount, sum) : out.number.subtract(amount, sum), sum);
            out.number = sum;
            out.percentOnly = false;
        }
        return true;
    }

    bool term(Value &out) {
        if (!unary(out))
            return false;
        while (peek() == TokenKind::Times || peek() == TokenKind::Divide) {
            const bool times = tokens_[at_++].kind == TokenKind::Times;
            Value right;
            if (!unary(right))
                return false;
            ++operations_;
            DecimalNumber product;
            note(times ? out.number.multiply(right.number, product) : out.number.divide(right.number, product),
                 product);
            out.number = product;
            out.percentOnly = false;
        }
        return true;
    }

    bool unary(Value &out) {
        if (peek() != TokenKind::Minus && peek() != TokenKind::Plus)
            return power(out);
        const bool minus = tokens_[at_++].kind == TokenKind::Minus;
        if (++depth_ > kMaxDepth)
            return false;
        const bool read = unary(out);
        --depth_;
        if (minus)
            out.number = out.number.negated();
        return read;
    }

    bool power(Value &out) {
        if (!postfix(out))
            return false;
        if (peek() != TokenKind::Power)
            return true;
        ++at_;
        if (++depth_ > kMaxDepth)
            return false;
        Value exponent;
        const bool read = unary(exponent);
        --depth_;
        if (!read)
            return false;
        ++operations_;
        DecimalNumber raised;
        note(out.number.power(exponent.number, raised), raised);
        out.number = raised;
        out.percentOnly = false;
        return true;
    }

    bool postfix(Value &out) {
        if (!primary(out))
            return false;
        while (peek() == TokenKind::Percent) {
            ++at_;
            ++operations_;
            DecimalNumber share;
            note(out.number.divide(DecimalNumber::fromInteger(100), share), share);
            out.number = share;
            out.percentOnly = true;
            if (peek() != TokenKind::Of)
                continue;
            ++at_;
            Value whole;
            if (++depth_ > kMaxDepth)
                return false;
            const bool read = unary(whole);
            --depth_;
            if (!read)
                return false;
            DecimalNumber part;
            note(out.number.multiply(whole.number, part), part);
            out.number = part;
            out.percentOnly = false;
        }
        return true;
    }

    bool primary(Value &out) {
        const Token &token = tokens_[at_];
        if (token.kind == TokenKind::Number) {
            ++at_;
            DecimalError error = DecimalError::None;
            if (!DecimalNumber::parse(token.text, out.number, error))
                return false;
            note(error, out.number);
            if (!token.plainInteger && token.text.find_first_of("eE") != std::string_view::npos)
                ++operations_; // "2e3" is worked out, so it shows its value
            return true;
        }
        if (token.kind != TokenKind::Open)
            return false;
        ++at_;
        if (++depth_ > kMaxDepth)
            return false;
        const bool read = expression(out);
        --depth_;
        if (!read)
            return false;
        out.percentOnly = false;
        if (peek() == TokenKind::Close)
            ++at_;
        else if (peek() != TokenKind::End && peek() != TokenKind::Equals)
            return false; // open at the end of the query: closed there
        return true;
    }

    const std::vector<Token> &tokens_;
    size_t at_ = 0;
    int depth_ = 0;
    int operations_ = 0;
    DecimalError error_ = DecimalError::None;
};

const char *errorMessage(DecimalError error) {
    switch (error) {
    case DecimalError::DivisionByZero: return "Cannot divide by zero";
    case DecimalError::Overflow: return "The result is too large";
    case DecimalError::Underflow: return "The result is too small";
    case DecimalError::NotReal: return "Not a real number";
    case DecimalError::None: break;
    }
    return "";
}

} // namespace

Calculation calculate(std::string_view query) {
    Calculation result;
    std::vector<Token> tokens;
    bool spaced = false;
    if (!tokenise(query, tokens, spaced) || looksLikeDateOrCode(tokens, spaced))
        return result;
    Parser parser(tokens);
    DecimalNumber value;
    if (!parser.parseAll(value) || parser.operations() == 0)
        return result;
    if (parser.error() != DecimalError::None) {
        result.kind = Calculation::Kind::Error;
        result.text = errorMessage(parser.error());
        return result;
    }
    result.kind = Calculation::Kind::Value;
    result.text = value.toString(kCalculatorDigits);
    return result;
}
