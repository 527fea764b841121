#pragma once
// Groups tokens into statements: `name arg arg ...;` or the call form `name(arg, arg);`.
#include "command/Tokenizer.h"
#include <string>
#include <vector>

namespace khost {

struct Argument {
    std::string text;
    bool quoted = false;       // quoted strings are never flags
    bool substitution = false; // `command`: replaced by the command's result when the statement runs
};

struct Statement {
    std::string command;
    std::vector<Argument> args;
    int line = 1;
};

// The last statement may omit its semicolon, as on Maya's command line.
bool parseScript(const std::string& text, std::vector<Statement>& statements, SyntaxError& error);

} // namespace khost
