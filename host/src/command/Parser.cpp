#include "command/Parser.h"

namespace khost {

namespace {

bool syntaxError(const Token& token, SyntaxError& error) {
    error.message =
        "Line " + std::to_string(token.line) + "." + std::to_string(token.column) + ": Syntax error";
    return false;
}

bool isValue(const Token& token) {
    return token.kind == Token::Word || token.kind == Token::String || token.kind == Token::Substitution;
}

Argument argumentOf(const Token& token) {
    return {token.text, token.kind == Token::String, token.kind == Token::Substitution};
}

} // namespace

bool parseScript(const std::string& text, std::vector<Statement>& statements, SyntaxError& error) {
    statements.clear();
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error))
        return false;
    size_t i = 0;
    auto endOfStatement = [&]() {
        return tokens[i].kind == Token::Semicolon || tokens[i].kind == Token::End;
    };
    while (tokens[i].kind != Token::End) {
        if (tokens[i].kind == Token::Semicolon) {
            ++i;
            continue;
        }
        if (tokens[i].kind != Token::Word)
            return syntaxError(tokens[i], error);
        Statement statement;
        statement.command = tokens[i].text;
        statement.line = tokens[i].line;
        ++i;
        if (tokens[i].kind == Token::OpenParen) {
            ++i;
            if (tokens[i].kind != Token::CloseParen) {
                while (true) {
                    if (!isValue(tokens[i]))
                        return syntaxError(tokens[i], error);
                    statement.args.push_back(argumentOf(tokens[i++]));
                    if (tokens[i].kind == Token::Comma) {
                        ++i;
                        continue;
                    }
                    if (tokens[i].kind != Token::CloseParen)
                        return syntaxError(tokens[i], error);
                    break;
                }
            }
            ++i;
            if (!endOfStatement())
                return syntaxError(tokens[i], error);
        } else {
            while (!endOfStatement()) {
                if (!isValue(tokens[i]))
                    return syntaxError(tokens[i], error);
                statement.args.push_back(argumentOf(tokens[i++]));
            }
        }
        statements.push_back(std::move(statement));
    }
    return true;
}

} // namespace khost
