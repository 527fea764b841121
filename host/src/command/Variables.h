#pragma once
// MEL variables, as far as scripts need them to time themselves: `float $t = `timerX`;` declares
// (float, int or string) or assigns a variable from a word, a string, another variable or a
// command's result in backquotes, and `$t` in a statement's words stands for its value.
#include "command/Parser.h"
#include "command/Result.h"
#include <maya/MArgList.h>
#include <maya/MStatus.h>

namespace khost {

// `[type] $name = value`, `[type] $name`, or `$name` alone.
bool isVariableStatement(const Statement& statement);
// Sets the variable. A plain assignment, and a variable on its own, give the value as their
// result, as in Maya; a declaration gives none. Anything else about a variable is a syntax error.
MStatus runVariableStatement(const Statement& statement, CommandResult& result, bool toQueue);
// The statement's words with variables and backquoted commands replaced by their values (which are
// never flags). Fails with an error for an undeclared variable or a failing command.
MStatus expandArguments(const Statement& statement, MArgList& args, bool toQueue);

} // namespace khost
