#include "command/Python.h"
#include "command/CommandRegistry.h"
#include "command/Script.h"
#include "command/Values.h"
#include <cctype>
#include <maya/MGlobal.h>
#include <set>
#include <vector>

namespace khost {

namespace {

struct PyToken {
    enum Kind { Name, String, Number, Punct, Newline, End };
    Kind kind = End;
    std::string text;
    int line = 1;
};

struct PyError {
    std::string message;
};

std::vector<PyToken> tokenizePython(const std::string& code) {
    std::vector<PyToken> tokens;
    int line = 1, depth = 0;
    size_t i = 0;
    auto push = [&](PyToken::Kind kind, std::string text) {
        tokens.push_back({kind, std::move(text), line});
    };
    while (i < code.size()) {
        char c = code[i];
        if (c == '\n') {
            if (depth == 0)
                push(PyToken::Newline, "\n");
            ++line;
            ++i;
        } else if (c == '\\' && i + 1 < code.size() && code[i + 1] == '\n') {
            i += 2;
            ++line;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '#') {
            while (i < code.size() && code[i] != '\n')
                ++i;
        } else if (c == '"' || c == '\'') {
            std::string text;
            ++i;
            bool closed = false;
            while (i < code.size() && code[i] != '\n') {
                char ch = code[i++];
                if (ch == c) {
                    closed = true;
                    break;
                }
                if (ch == '\\' && i < code.size()) {
                    char e = code[i++];
                    text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                } else {
                    text += ch;
                }
            }
            if (!closed)
                throw PyError{"SyntaxError: EOL while scanning string literal (line " + std::to_string(line) +
                              ")"};
            push(PyToken::String, text);
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < code.size() &&
                    std::isdigit(static_cast<unsigned char>(code[i + 1])))) {
            size_t start = i;
            while (i < code.size() &&
                   (std::isalnum(static_cast<unsigned char>(code[i])) || code[i] == '.' ||
                    ((code[i] == '-' || code[i] == '+') && (code[i - 1] == 'e' || code[i - 1] == 'E'))))
                ++i;
            push(PyToken::Number, code.substr(start, i - start));
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = i;
            while (i < code.size() && (std::isalnum(static_cast<unsigned char>(code[i])) || code[i] == '_'))
                ++i;
            push(PyToken::Name, code.substr(start, i - start));
        } else if (std::string("()[],=.;-+").find(c) != std::string::npos) {
            // Python's own parser stops at 200 levels; so does this one, before values recurse.
            if ((c == '(' || c == '[') && ++depth > 200)
                throw PyError{"SyntaxError: too many nested parentheses (line " + std::to_string(line) + ")"};
            if ((c == ')' || c == ']') && depth > 0)
                --depth;
            push(c == ';' ? PyToken::Newline : PyToken::Punct, std::string(1, c));
            ++i;
        } else {
            throw PyError{"SyntaxError: invalid syntax (line " + std::to_string(line) + ")"};
        }
    }
    push(PyToken::End, "");
    return tokens;
}

// A Python value: a scalar (as a command word) or a sequence.
struct PyValue {
    bool isSequence = false;
    bool isBool = false;
    bool boolean = false;
    std::string word;
    bool quoted = false;
    std::vector<PyValue> items;
};

class PythonRunner {
public:
    PythonRunner(const std::vector<PyToken>& tokens, CommandResult& result, bool toQueue)
        : fTokens(tokens), fResult(result), fToQueue(toQueue) {}

    MStatus run() {
        while (peek().kind != PyToken::End) {
            if (peek().kind == PyToken::Newline) {
                ++fPos;
                continue;
            }
            MStatus status = statement();
            if (!status)
                return status;
            if (peek().kind != PyToken::Newline && peek().kind != PyToken::End)
                syntaxError();
        }
        return MS::kSuccess;
    }

private:
    const PyToken& peek() const { return fTokens[fPos]; }
    const PyToken& next() { return fTokens[fPos < fTokens.size() - 1 ? fPos++ : fPos]; }
    bool accept(const std::string& punct) {
        if (peek().kind == PyToken::Punct && peek().text == punct) {
            ++fPos;
            return true;
        }
        return false;
    }
    [[noreturn]] void syntaxError() const {
        throw PyError{"SyntaxError: invalid syntax (line " + std::to_string(peek().line) + ")"};
    }
    void expect(const std::string& punct) {
        if (!accept(punct))
            syntaxError();
    }
    std::string name() {
        if (peek().kind != PyToken::Name)
            syntaxError();
        return next().text;
    }
    std::string dotted() {
        std::string text = name();
        while (accept("."))
            text += "." + name();
        return text;
    }

    MStatus statement() {
        if (peek().kind == PyToken::Name && peek().text == "import") {
            ++fPos;
            std::string module = dotted();
            std::string alias = module;
            if (peek().kind == PyToken::Name && peek().text == "as") {
                ++fPos;
                alias = name();
            }
            bind(module, alias);
            return MS::kSuccess;
        }
        if (peek().kind == PyToken::Name && peek().text == "from") {
            ++fPos;
            std::string module = dotted();
            if (name() != "import")
                syntaxError();
            std::string member = name();
            std::string alias = member;
            if (peek().kind == PyToken::Name && peek().text == "as") {
                ++fPos;
                alias = name();
            }
            bind(module + "." + member, alias);
            return MS::kSuccess;
        }
        std::string callee = dotted();
        size_t dot = callee.rfind('.');
        std::string module = dot == std::string::npos ? std::string() : callee.substr(0, dot);
        if (!fModules.count(module)) {
            std::string first = callee.substr(0, callee.find('.'));
            throw PyError{"NameError: name '" + first + "' is not defined"};
        }
        std::string command = callee.substr(dot + 1);
        expect("(");
        std::vector<PyValue> positional;
        std::vector<std::pair<std::string, PyValue>> flags;
        while (!accept(")")) {
            if (peek().kind == PyToken::Name && fTokens[fPos + 1].kind == PyToken::Punct &&
                fTokens[fPos + 1].text == "=") {
                std::string flag = name();
                ++fPos;
                flags.emplace_back(flag, value());
            } else {
                positional.push_back(value());
            }
            if (!accept(",")) {
                expect(")");
                break;
            }
        }
        return call(command, positional, flags);
    }

    void bind(const std::string& module, const std::string& alias) {
        if (module != "maya.cmds" && module != "maya")
            throw PyError{"ModuleNotFoundError: No module named '" + module + "'"};
        fModules.insert(module == "maya" ? alias + ".cmds" : alias);
    }

    PyValue value() {
        PyValue v;
        std::string close = accept("[") ? "]" : accept("(") ? ")" : "";
        if (!close.empty()) {
            v.isSequence = true;
            while (!accept(close)) {
                v.items.push_back(value());
                if (!accept(",")) {
                    expect(close);
                    break;
                }
            }
            return v;
        }
        std::string sign = accept("-") ? "-" : "";
        if (sign.empty())
            accept("+");
        const PyToken& token = peek();
        double number = 0.0;
        if (token.kind == PyToken::Number && parseNumber(sign + token.text, number)) {
            v.word = sign + token.text;
        } else if (sign.empty() && token.kind == PyToken::String) {
            v.word = token.text;
            v.quoted = true;
        } else if (sign.empty() && token.kind == PyToken::Name &&
                   (token.text == "True" || token.text == "False")) {
            v.isBool = true;
            v.boolean = token.text == "True";
            v.word = v.boolean ? "true" : "false";
        } else {
            syntaxError();
        }
        ++fPos;
        return v;
    }

    static void flatten(const PyValue& v, MArgList& args) {
        if (!v.isSequence) {
            args.addWord(v.word, v.quoted);
            return;
        }
        for (const PyValue& item : v.items)
            flatten(item, args);
    }

    MStatus call(const std::string& command, const std::vector<PyValue>& positional,
                 const std::vector<std::pair<std::string, PyValue>>& flags) {
        const CommandEntry* entry = findCommand(command);
        if (!entry)
            throw PyError{"AttributeError: module 'maya.cmds' has no attribute '" + command + "'"};
        MSyntax syntax = entry->syntax ? entry->syntax() : MSyntax();
        MArgList args;
        for (const auto& [name, v] : flags) {
            std::string flag = "-" + name;
            const MSyntax::Flag* declared = syntax.findFlag(flag);
            bool mode = name == "q" || name == "query" || name == "e" || name == "edit";
            if ((mode || (declared && declared->args.empty())) && v.isBool) {
                if (v.boolean)
                    args.addWord(flag, false);
                continue;
            }
            // A list of several values for a flag used more than once: one use per item.
            bool repeated = declared && declared->multiUse && v.isSequence && !v.items.empty() &&
                            (declared->args.size() == 1 || v.items.front().isSequence);
            if (repeated) {
                for (const PyValue& item : v.items) {
                    args.addWord(flag, false);
                    flatten(item, args);
                }
                continue;
            }
            args.addWord(flag, false);
            flatten(v, args);
        }
        for (const PyValue& v : positional)
            flatten(v, args);
        return runCommand(command, args, fResult, fToQueue);
    }

    const std::vector<PyToken>& fTokens;
    size_t fPos = 0;
    CommandResult& fResult;
    bool fToQueue;
    std::set<std::string> fModules;
};

} // namespace

MStatus runPython(const std::string& code, CommandResult& result, bool toQueue) {
    result.clear();
    try {
        std::vector<PyToken> tokens = tokenizePython(code);
        PythonRunner runner(tokens, result, toQueue);
        return runner.run();
    } catch (const PyError& error) {
        MGlobal::displayError(MString(error.message.c_str()));
        return MS::kFailure;
    }
}

} // namespace khost
