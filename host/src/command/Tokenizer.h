#pragma once
// Splits command-language text into words, quoted strings and punctuation.
#include <string>
#include <vector>

namespace khost {

struct Token {
    enum Kind { Word, String, Substitution, Semicolon, OpenParen, CloseParen, Comma, End };
    Kind kind = End;
    // For String: the contents with escapes resolved; for Substitution: the command between the
    // backquotes, as it stands.
    std::string text;
    int line = 1;
    int column = 1;
};

struct SyntaxError {
    std::string message; // Maya's wording: "Line 3.7: Unterminated string."
};

// Returns false (and fills error) on an unterminated string or comment, or a bad escape.
bool tokenize(const std::string& text, std::vector<Token>& tokens, SyntaxError& error);

} // namespace khost
