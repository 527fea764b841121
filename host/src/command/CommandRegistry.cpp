#include "command/CommandRegistry.h"
#include "command/UndoQueue.h"
#include "core/HostInit.h"
#include <map>

namespace khost {

namespace {
std::map<std::string, CommandEntry>& commands() {
    static std::map<std::string, CommandEntry> entries;
    return entries;
}
} // namespace

void registerBuiltin(const std::string& name, MCreateSyntaxFunction syntax, BuiltinFunction run) {
    CommandEntry entry;
    entry.name = name;
    entry.syntax = syntax;
    entry.builtin = run;
    commands()[name] = entry;
}

MStatus registerPluginCommand(const std::string& name, MCreatorFunction creator, MCreateSyntaxFunction syntax,
                              const std::string& pluginName) {
    if (name.empty() || !creator || commands().count(name))
        return MS::kFailure;
    CommandEntry entry;
    entry.name = name;
    entry.syntax = syntax;
    entry.creator = creator;
    entry.pluginName = pluginName;
    commands()[name] = entry;
    return MS::kSuccess;
}

MStatus deregisterPluginCommand(const std::string& name) {
    auto it = commands().find(name);
    if (it == commands().end() || !it->second.creator)
        return MS::kFailure;
    UndoQueue::instance().flush();
    commands().erase(it);
    return MS::kSuccess;
}

const CommandEntry* findCommand(const std::string& name) {
    auto it = commands().find(name);
    return it == commands().end() ? nullptr : &it->second;
}

void registerBuiltinCommands() {
    registerSceneCommands();
    registerAttributeCommands();
    registerGeometryCommands();
    registerBlendShapeCommand();
    registerTransformCommands();
    registerParentCommands();
    registerFileCommands();
    registerTimerCommands();
    registerEvaluatorCommand();
}

} // namespace khost
