#include "Console.h"
#include "command/Script.h"
#include "command/Tokenizer.h"
#include <istream>
#include <string>

namespace kivo {
namespace {

// A statement is complete once the text ends with a semicolon outside strings and comments; text that
// cannot be tokenized yet because a string or comment is still open waits for more lines.
bool complete(const std::string& text) {
    std::vector<khost::Token> tokens;
    khost::SyntaxError error;
    if (!khost::tokenize(text, tokens, error))
        return error.message.find("Unterminated") == std::string::npos;
    for (auto it = tokens.rbegin(); it != tokens.rend(); ++it)
        if (it->kind != khost::Token::End)
            return it->kind == khost::Token::Semicolon;
    return false;
}

bool blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

bool runConsole(std::istream& in) {
    khost::ScriptOptions options;
    options.keepGoing = true;
    bool allSucceeded = true;
    std::string pending;
    std::string line;
    while (std::getline(in, line)) {
        pending += line + '\n';
        if (!complete(pending))
            continue;
        allSucceeded = khost::runScript(pending, options) && allSucceeded;
        pending.clear();
    }
    // What is left at the end of the input runs too, so that its errors are reported.
    if (!blank(pending))
        allSucceeded = khost::runScript(pending, options) && allSucceeded;
    return allSucceeded;
}

} // namespace kivo
