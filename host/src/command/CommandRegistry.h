#pragma once
// The commands the language knows: the host's built-ins and those plug-ins register.
#include "command/Result.h"
#include "core/Undo.h"
#include <maya/MArgDatabase.h>
#include <maya/MTypes.h>
#include <string>

namespace khost {

// A built-in reads its parsed arguments, writes its result and records every scene edit it makes
// in `undo` (on failure the host reverses what was recorded).
using BuiltinFunction = MStatus (*)(const MArgDatabase& args, CommandResult& result, UndoRecord& undo);

struct CommandEntry {
    std::string name;
    MCreateSyntaxFunction syntax = nullptr;
    BuiltinFunction builtin = nullptr;
    MCreatorFunction creator = nullptr; // plug-in commands
    std::string pluginName;
};

void registerBuiltin(const std::string& name, MCreateSyntaxFunction syntax, BuiltinFunction run);
MStatus registerPluginCommand(const std::string& name, MCreatorFunction creator, MCreateSyntaxFunction syntax,
                              const std::string& pluginName);
// Also empties the undo queue, whose entries may hold the command's objects.
MStatus deregisterPluginCommand(const std::string& name);
const CommandEntry* findCommand(const std::string& name);

// Registration of each group of built-ins (called by registerBuiltinCommands).
void registerSceneCommands();
void registerAttributeCommands();
void registerGeometryCommands();
void registerBlendShapeCommand();
void registerTransformCommands();
void registerParentCommands();
void registerFileCommands();
void registerTimerCommands();
void registerEvaluatorCommand();

} // namespace khost
