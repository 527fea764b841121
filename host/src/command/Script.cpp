#include "command/Script.h"
#include "command/CommandRegistry.h"
#include "command/Parser.h"
#include "command/Python.h"
#include "command/UndoQueue.h"
#include "command/Values.h"
#include "command/Variables.h"
#include "core/Messages.h"
#include <maya/MArgDatabase.h>
#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <maya/MPxCommand.h>
#include <maya/MStringArray.h>
#include <memory>

namespace khost {

namespace {

// Commands run commands (python, file -open, executeCommand). A scene file that opens itself must
// end with an error, not with the stack exhausted.
constexpr int kMaxCommandDepth = 64;
int gCommandDepth = 0;

struct CommandDepth {
    CommandDepth() { ++gCommandDepth; }
    ~CommandDepth() { --gCommandDepth; }
    CommandDepth(const CommandDepth&) = delete;
    CommandDepth& operator=(const CommandDepth&) = delete;
};

MStatus runBuiltin(const CommandEntry& entry, const MArgList& args, CommandResult& result, bool toQueue) {
    MSyntax syntax = entry.syntax ? entry.syntax() : MSyntax();
    MStatus status;
    MArgDatabase database(syntax, args, &status);
    if (!status)
        return status;
    UndoRecord undo;
    {
        UndoQueue::Capture capture(undo);
        ResultScope scope(result);
        status = entry.builtin(database, result, undo);
    }
    if (!status) {
        // A failing command loses nothing: whatever it changed before failing is put back.
        undo.undo();
        return status;
    }
    UndoQueue::instance().record(entry.name, std::move(undo), toQueue);
    return status;
}

MStatus runPlugin(const CommandEntry& entry, const MArgList& args, CommandResult& result, bool toQueue) {
    std::shared_ptr<MPxCommand> command(static_cast<MPxCommand*>(entry.creator()));
    if (!command)
        return MS::kFailure;
    if (entry.syntax) {
        MSyntax syntax = entry.syntax();
        command->hostSetSyntax(syntax);
        if (command->hasSyntax()) {
            MStatus status;
            MArgDatabase check(syntax, args, &status);
            if (!status)
                return status;
        }
    }
    MStatus status;
    const unsigned long generation = UndoQueue::instance().generation();
    {
        ResultScope scope(result);
        status = command->doIt(args);
    }
    // A command that replaced the scene (it ran file -new) cannot be undone into the new one.
    if (status && command->isUndoable() && generation == UndoQueue::instance().generation()) {
        UndoRecord undo;
        undo.add([command]() { command->undoIt(); }, [command]() { command->redoIt(); });
        UndoQueue::instance().record(entry.name, std::move(undo), toQueue);
    }
    return status;
}

} // namespace

MStatus runCommand(const std::string& name, const MArgList& args, CommandResult& result, bool toQueue) {
    result.clear();
    const CommandEntry* found = findCommand(name);
    if (!found) {
        MGlobal::displayError(MString(("Cannot find procedure \"" + name + "\".").c_str()));
        return MS::kNotFound;
    }
    if (gCommandDepth >= kMaxCommandDepth) {
        MGlobal::displayError(MString(("Commands are nested more than " + std::to_string(kMaxCommandDepth) +
                                       " levels deep: \"" + name + "\" is not run.")
                                          .c_str()));
        return MS::kFailure;
    }
    const CommandDepth depth;
    // The entry is copied: a command may unregister itself (unloadPlugin) while it runs.
    CommandEntry entry = *found;
    size_t errorsBefore = Messages::instance().errorsShown();
    MStatus status =
        entry.builtin ? runBuiltin(entry, args, result, toQueue) : runPlugin(entry, args, result, toQueue);
    if (!status && Messages::instance().errorsShown() == errorsBefore)
        MGlobal::displayError(status.errorString());
    return status;
}

MStatus runStatements(const std::string& text, CommandResult& result, bool toQueue) {
    std::vector<Statement> statements;
    SyntaxError error;
    result.clear();
    if (!parseScript(text, statements, error)) {
        MGlobal::displayError(MString(error.message.c_str()));
        return MS::kInvalidParameter;
    }
    for (const Statement& statement : statements) {
        MStatus status = runStatement(statement, result, toQueue);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}

MStatus runStatement(const Statement& statement, CommandResult& result, bool toQueue) {
    result.clear();
    if (isVariableStatement(statement))
        return runVariableStatement(statement, result, toQueue);
    MArgList args;
    MStatus status = expandArguments(statement, args, toQueue);
    if (!status)
        return status;
    return runCommand(statement.command, args, result, toQueue);
}

bool runScript(const std::string& text, const ScriptOptions& options) {
    std::vector<Statement> statements;
    SyntaxError error;
    if (!parseScript(text, statements, error)) {
        MGlobal::displayError(MString(error.message.c_str()));
        return false;
    }
    bool allSucceeded = true;
    for (const Statement& statement : statements) {
        CommandResult result;
        if (!runStatement(statement, result, true)) {
            allSucceeded = false;
            if (!options.keepGoing)
                break;
            continue;
        }
        if (!result.empty())
            Messages::instance().result(result.text());
    }
    return allSucceeded;
}

MStatus executeStatement(const std::string& statement, std::vector<std::string>* result) {
    CommandResult values;
    MStatus status = runStatements(statement, values, true);
    if (result)
        *result = values.strings();
    return status;
}

} // namespace khost

namespace {

MStatus execute(const MString& command, bool displayEnabled, bool undoEnabled, khost::CommandResult& result) {
    MStatus status = khost::runStatements(command.asChar(), result, undoEnabled);
    if (status && displayEnabled && !result.empty())
        khost::Messages::instance().result(result.text());
    return status;
}

} // namespace

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool undoEnabled) {
    khost::CommandResult result;
    return execute(command, displayEnabled, undoEnabled, result);
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool displayEnabled,
                                bool undoEnabled) {
    khost::CommandResult values;
    MStatus status = execute(command, displayEnabled, undoEnabled, values);
    result = MString(values.text().c_str());
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool displayEnabled,
                                bool undoEnabled) {
    khost::CommandResult values;
    MStatus status = execute(command, displayEnabled, undoEnabled, values);
    result.clear();
    for (const std::string& s : values.strings())
        result.append(MString(s.c_str()));
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled,
                                bool undoEnabled) {
    khost::CommandResult values;
    MStatus status = execute(command, displayEnabled, undoEnabled, values);
    result.clear();
    if (!status)
        return status;
    for (const auto& item : values.items()) {
        double number = item.number;
        if (!item.isNumber && !khost::parseNumber(item.text, number))
            return MS::kInvalidParameter;
        result.append(number);
    }
    return status;
}

MStatus MGlobal::executePythonCommand(const MString& command, bool displayEnabled, bool undoEnabled) {
    khost::CommandResult result;
    MStatus status = khost::runPython(command.asChar(), result, undoEnabled);
    if (status && displayEnabled && !result.empty())
        khost::Messages::instance().result(result.text());
    return status;
}
