#include "command/Variables.h"
#include "command/Script.h"
#include "command/Values.h"
#include <cmath>
#include <map>
#include <maya/MGlobal.h>
#include <string>
#include <vector>

namespace khost {

namespace {

struct Variable {
    std::string type; // "float", "int" or "string"
    std::string value;
};

// Variables live as long as the session, as MEL's globals do.
std::map<std::string, Variable>& variables() {
    static std::map<std::string, Variable> all;
    return all;
}

bool isVariableName(const Argument& word) {
    if (word.quoted || word.substitution || word.text.size() < 2 || word.text[0] != '$')
        return false;
    for (size_t k = 1; k < word.text.size(); ++k) {
        const char c = word.text[k];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    }
    return !std::isdigit(static_cast<unsigned char>(word.text[1]));
}

bool isTypeName(const std::string& word) {
    return word == "float" || word == "int" || word == "string";
}

MStatus undeclared(const std::string& name) {
    MGlobal::displayError(MString(("\"" + name + "\" is an undeclared variable.").c_str()));
    return MS::kFailure;
}

// The words one argument stands for.
MStatus valuesOf(const Argument& word, std::vector<std::string>& values, bool toQueue) {
    if (word.substitution) {
        CommandResult result;
        MStatus status = runStatements(word.text, result, toQueue);
        if (status)
            values = result.strings();
        return status;
    }
    if (isVariableName(word)) {
        const auto found = variables().find(word.text);
        if (found == variables().end())
            return undeclared(word.text);
        values = {found->second.value};
        return MS::kSuccess;
    }
    values = {word.text};
    return MS::kSuccess;
}

// The value as the variable's type holds it: numbers in their shortest form, ints truncated.
bool convert(const std::string& type, const std::string& text, std::string& value) {
    if (type == "string") {
        value = text;
        return true;
    }
    double number = 0.0;
    if (!parseNumber(text, number))
        return false;
    value = formatNumber(type == "int" ? std::trunc(number) : number);
    return true;
}

} // namespace

bool isVariableStatement(const Statement& statement) {
    if (isTypeName(statement.command))
        return !statement.args.empty() && isVariableName(statement.args[0]);
    return isVariableName(Argument{statement.command});
}

MStatus runVariableStatement(const Statement& statement, CommandResult& result, bool toQueue) {
    const bool declared = isTypeName(statement.command);
    const std::string name = declared ? statement.args[0].text : statement.command;
    const size_t equals = declared ? 1 : 0;
    const auto syntaxError = [&]() {
        MGlobal::displayError(MString(
            ("Line " + std::to_string(statement.line) + ": Syntax error in the assignment of " + name + ".")
                .c_str()));
        return MStatus(MS::kFailure);
    };
    auto existing = variables().find(name);
    // A variable on its own gives its value.
    if (!declared && statement.args.empty()) {
        if (existing == variables().end())
            return undeclared(name);
        result.append(existing->second.value);
        return MS::kSuccess;
    }
    std::string type = declared                        ? statement.command
                       : existing != variables().end() ? existing->second.type
                                                       : "";
    Variable variable{type, type == "string" ? "" : "0"};
    if (statement.args.size() > equals) {
        if (statement.args.size() != equals + 2 || statement.args[equals].quoted ||
            statement.args[equals].text != "=")
            return syntaxError();
        const Argument& source = statement.args[equals + 1];
        std::vector<std::string> values;
        MStatus status = valuesOf(source, values, toQueue);
        if (!status)
            return status;
        const std::string text = values.empty() ? std::string() : values.front();
        // An undeclared variable takes the type of what it is first given.
        double number = 0.0;
        if (variable.type.empty())
            variable.type = !source.quoted && parseNumber(text, number) ? "float" : "string";
        if (!convert(variable.type, text, variable.value)) {
            MGlobal::displayError(
                MString(("Cannot assign \"" + text + "\" to the " + variable.type + " variable " + name + ".")
                            .c_str()));
            return MS::kFailure;
        }
    } else if (!declared) {
        return syntaxError();
    }
    variables()[name] = variable;
    if (!declared)
        result.append(variable.value);
    return MS::kSuccess;
}

MStatus expandArguments(const Statement& statement, MArgList& args, bool toQueue) {
    for (const Argument& word : statement.args) {
        if (!word.substitution && !isVariableName(word)) {
            args.addWord(word.text, word.quoted);
            continue;
        }
        std::vector<std::string> values;
        MStatus status = valuesOf(word, values, toQueue);
        if (!status)
            return status;
        for (const std::string& value : values)
            args.addWord(value, true);
    }
    return MS::kSuccess;
}

} // namespace khost
