#include "command/Tokenizer.h"
#include <cctype>

namespace khost {

namespace {

class Scanner {
public:
    explicit Scanner(const std::string& text) : fText(text) {}
    bool done() const { return fPos >= fText.size(); }
    char peek(size_t ahead = 0) const { return fPos + ahead < fText.size() ? fText[fPos + ahead] : '\0'; }
    char get() {
        char c = fText[fPos++];
        if (c == '\n') {
            ++fLine;
            fColumn = 1;
        } else {
            ++fColumn;
        }
        return c;
    }
    int line() const { return fLine; }
    int column() const { return fColumn; }

private:
    const std::string& fText;
    size_t fPos = 0;
    int fLine = 1;
    int fColumn = 1;
};

bool isDelimiter(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == ';' || c == '"' || c == '`' || c == '(' ||
           c == ')' || c == ',' || c == '\0';
}

std::string where(int line, int column) {
    return "Line " + std::to_string(line) + "." + std::to_string(column) + ": ";
}

} // namespace

bool tokenize(const std::string& text, std::vector<Token>& tokens, SyntaxError& error) {
    tokens.clear();
    // A NUL cannot be part of any word or string: a binary file fed as a script stops here.
    if (text.find('\0') != std::string::npos) {
        Scanner at(text);
        while (!at.done() && at.peek(0) != '\0')
            at.get();
        error.message = where(at.line(), at.column()) + "Invalid NUL character.";
        return false;
    }
    Scanner in(text);
    while (true) {
        while (!in.done() && std::isspace(static_cast<unsigned char>(in.peek())))
            in.get();
        Token token;
        token.line = in.line();
        token.column = in.column();
        if (in.done()) {
            tokens.push_back(token);
            return true;
        }
        char c = in.peek();
        if (c == '/' && in.peek(1) == '/') {
            while (!in.done() && in.peek() != '\n')
                in.get();
            continue;
        }
        if (c == '/' && in.peek(1) == '*') {
            in.get();
            in.get();
            while (!in.done() && !(in.peek() == '*' && in.peek(1) == '/'))
                in.get();
            if (in.done()) {
                error.message = where(token.line, token.column) + "Unterminated comment.";
                return false;
            }
            in.get();
            in.get();
            continue;
        }
        switch (c) {
        case ';':
            token.kind = Token::Semicolon;
            break;
        case '(':
            token.kind = Token::OpenParen;
            break;
        case ')':
            token.kind = Token::CloseParen;
            break;
        case ',':
            token.kind = Token::Comma;
            break;
        default:
            break;
        }
        if (token.kind != Token::End) {
            token.text = std::string(1, in.get());
            tokens.push_back(token);
            continue;
        }
        if (c == '`') {
            in.get();
            token.kind = Token::Substitution;
            while (!in.done() && in.peek() != '`')
                token.text += in.get();
            if (in.done()) {
                error.message = where(token.line, token.column) + "Unterminated backquote.";
                return false;
            }
            in.get();
            tokens.push_back(token);
            continue;
        }
        if (c == '"') {
            in.get();
            token.kind = Token::String;
            bool closed = false;
            while (!in.done()) {
                char ch = in.get();
                if (ch == '"') {
                    closed = true;
                    break;
                }
                if (ch != '\\') {
                    token.text += ch;
                    continue;
                }
                if (in.done())
                    break;
                char escaped = in.get();
                switch (escaped) {
                case '"':
                    token.text += '"';
                    break;
                case '\\':
                    token.text += '\\';
                    break;
                case 'n':
                    token.text += '\n';
                    break;
                case 't':
                    token.text += '\t';
                    break;
                case 'r':
                    token.text += '\r';
                    break;
                default:
                    // MEL keeps an unknown escape's character and drops the backslash.
                    token.text += escaped;
                    break;
                }
            }
            if (!closed) {
                error.message = where(token.line, token.column) + "Unterminated string.";
                return false;
            }
            tokens.push_back(token);
            continue;
        }
        token.kind = Token::Word;
        while (!isDelimiter(in.peek()) && !(in.peek() == '/' && in.peek(1) == '/'))
            token.text += in.get();
        tokens.push_back(token);
    }
}

} // namespace khost
