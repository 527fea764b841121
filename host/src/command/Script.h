#pragma once
// Running command-language text.
#include "command/Parser.h"
#include "command/Result.h"
#include <maya/MArgList.h>
#include <maya/MStatus.h>
#include <string>
#include <vector>

namespace khost {

struct ScriptOptions {
    bool keepGoing = false;
};

// Runs every statement, printing each result as "// Result: ... //". A failing statement shows its
// error and stops the script unless keepGoing. True when every statement succeeded.
bool runScript(const std::string& text, const ScriptOptions& options = {});
// Runs the statements of `statement` until one fails, without printing results; `result` receives
// the last statement's values as text. Undoable commands go onto the undo queue.
MStatus executeStatement(const std::string& statement, std::vector<std::string>* result = nullptr);

// Runs one registered command. Its undo record goes to the innermost capture, else onto the queue
// when toQueue. A failure always leaves an error message.
MStatus runCommand(const std::string& name, const MArgList& args, CommandResult& result, bool toQueue = true);
// Parses and runs statements, keeping the last one's result; stops at the first failure.
MStatus runStatements(const std::string& text, CommandResult& result, bool toQueue);
// Runs one parsed statement: a variable assignment, or a command whose variables and backquoted
// commands are replaced by their values first.
MStatus runStatement(const Statement& statement, CommandResult& result, bool toQueue);

} // namespace khost
