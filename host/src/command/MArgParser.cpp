#include "command/Values.h"
#include <cctype>
#include <cmath>
#include <maya/MArgParser.h>
#include <maya/MGlobal.h>

namespace {

const char* typeName(MSyntax::MArgType type) {
    switch (type) {
    case MSyntax::kBoolean:
        return "boolean";
    case MSyntax::kLong:
        return "integer";
    case MSyntax::kUnsigned:
        return "unsigned integer";
    case MSyntax::kDouble:
        return "double";
    case MSyntax::kDistance:
        return "distance";
    case MSyntax::kAngle:
        return "angle";
    case MSyntax::kTime:
        return "time";
    default:
        return "string";
    }
}

bool accepts(MSyntax::MArgType type, const std::string& text) {
    double number = 0.0;
    bool flag = false;
    switch (type) {
    case MSyntax::kBoolean:
        return khost::parseBool(text, flag);
    case MSyntax::kLong:
        return khost::parseNumber(text, number) && std::fabs(number) < 2147483648.0;
    case MSyntax::kUnsigned:
        return khost::parseNumber(text, number) && number >= 0.0 && number < 4294967296.0;
    case MSyntax::kDouble:
    case MSyntax::kDistance:
    case MSyntax::kAngle:
    case MSyntax::kTime:
        return khost::parseNumber(text, number);
    default:
        return true;
    }
}

// A dash followed by something other than a digit or a point: "-5" and "-.5" are numbers.
bool looksLikeFlag(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && !std::isdigit(static_cast<unsigned char>(word[1])) &&
           word[1] != '.';
}

MStatus parseError(const std::string& text, MStatus* status) {
    MGlobal::displayError(MString(text.c_str()));
    if (status)
        *status = MS::kInvalidParameter;
    return MS::kInvalidParameter;
}

} // namespace

MArgParser::MArgParser(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus)
    : fSyntax(syntax) {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    const unsigned int count = argList.length();
    auto isMode = [&](const std::string& word, const char* shortName, const char* longName) {
        return word == shortName || word == longName;
    };
    for (unsigned int i = 0; i < count; ++i)
        if (!argList.isQuoted(i) && fSyntax.queryEnabled() && isMode(argList.word(i), "-q", "-query"))
            fQuery = true;
    for (unsigned int i = 0; i < count; ++i) {
        const std::string& word = argList.word(i);
        if (argList.isQuoted(i) || !looksLikeFlag(word)) {
            fObjects.append(MString(word.c_str()));
            continue;
        }
        if (fSyntax.queryEnabled() && isMode(word, "-q", "-query"))
            continue;
        if (fSyntax.editEnabled() && isMode(word, "-e", "-edit")) {
            fEdit = true;
            continue;
        }
        const MSyntax::Flag* flag = fSyntax.findFlag(word);
        if (!flag) {
            parseError("Invalid flag '" + word + "'", ReturnStatus);
            return;
        }
        if (!flag->multiUse)
            for (const Use& use : fUses)
                if (use.flag == flag) {
                    parseError("Flag '" + word + "' can only be used once.", ReturnStatus);
                    return;
                }
        Use use{flag, {}, {}};
        // In query mode flags name what is asked for and take no arguments.
        size_t wanted = fQuery && !flag->queryWithArgs ? 0 : flag->args.size();
        for (size_t k = 0; k < wanted; ++k) {
            if (i + 1 >= count) {
                parseError("Flag '" + word + "' must be passed " + std::to_string(wanted) + " argument(s).",
                           ReturnStatus);
                return;
            }
            ++i;
            if (!accepts(flag->args[k], argList.word(i))) {
                parseError("Invalid argument for flag '" + word + "'. Expected " + typeName(flag->args[k]) +
                               ", got '" + argList.word(i) + "'.",
                           ReturnStatus);
                return;
            }
            use.args.push_back(argList.word(i));
            use.quoted.push_back(argList.isQuoted(i));
        }
        fUses.push_back(std::move(use));
    }
    if (fEdit && fQuery) {
        parseError("Edit and query flags cannot be used together.", ReturnStatus);
        return;
    }
    unsigned int objects = fObjects.length();
    if (fSyntax.objectFormat() == MSyntax::kNone && objects > 0) {
        parseError("Too many objects or values.", ReturnStatus);
        return;
    }
    if (objects > fSyntax.maxObjects()) {
        parseError("Too many objects or values.", ReturnStatus);
        return;
    }
    // With the active selection as default, the count is checked once the selection is known.
    bool deferred =
        fSyntax.objectFormat() == MSyntax::kSelectionList && fSyntax.selectionAsDefault() && objects == 0;
    if (objects < fSyntax.minObjects() && !deferred) {
        parseError("Not enough objects or values.", ReturnStatus);
        return;
    }
    fValid = true;
}

bool MArgParser::isFlagSet(const char* flag, MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = fValid ? MS::kSuccess : MS::kFailure;
    if (!flag)
        return false;
    std::string name = flag;
    if (fSyntax.editEnabled() && (name == "-e" || name == "-edit"))
        return fEdit;
    if (fSyntax.queryEnabled() && (name == "-q" || name == "-query"))
        return fQuery;
    const MSyntax::Flag* wanted = fSyntax.findFlag(name);
    if (!wanted) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return false;
    }
    for (const Use& use : fUses)
        if (use.flag == wanted)
            return true;
    return false;
}

bool MArgParser::isEdit(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = fValid ? MS::kSuccess : MS::kFailure;
    return fEdit;
}

bool MArgParser::isQuery(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = fValid ? MS::kSuccess : MS::kFailure;
    return fQuery;
}

unsigned int MArgParser::numberOfFlagUses(const char* flag) const {
    const MSyntax::Flag* wanted = flag ? fSyntax.findFlag(flag) : nullptr;
    unsigned int n = 0;
    for (const Use& use : fUses)
        n += wanted && use.flag == wanted ? 1 : 0;
    return n;
}

const std::string* MArgParser::argument(const char* flag, unsigned int index, MStatus& status) const {
    const MSyntax::Flag* wanted = flag ? fSyntax.findFlag(flag) : nullptr;
    status = MS::kInvalidParameter;
    if (!wanted)
        return nullptr;
    for (const Use& use : fUses)
        if (use.flag == wanted) {
            if (index >= use.args.size())
                return nullptr;
            status = MS::kSuccess;
            return &use.args[index];
        }
    status = MS::kFailure;
    return nullptr;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, bool& result) const {
    MStatus status;
    const std::string* text = argument(flag, index, status);
    if (!text)
        return status;
    double number = 0.0;
    if (khost::parseBool(*text, result))
        return MS::kSuccess;
    if (!khost::parseNumber(*text, number))
        return MS::kInvalidParameter;
    result = number != 0.0;
    return MS::kSuccess;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, int& result) const {
    double number = 0.0;
    MStatus status = getFlagArgument(flag, index, number);
    if (status)
        result = static_cast<int>(std::fmax(-2147483648.0, std::fmin(2147483647.0, std::trunc(number))));
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, unsigned int& result) const {
    double number = 0.0;
    MStatus status = getFlagArgument(flag, index, number);
    if (!status)
        return status;
    if (number < 0.0 || number >= 4294967296.0)
        return MS::kInvalidParameter;
    result = static_cast<unsigned int>(number);
    return MS::kSuccess;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, double& result) const {
    MStatus status;
    const std::string* text = argument(flag, index, status);
    if (!text)
        return status;
    return khost::parseNumber(*text, result) ? MS::kSuccess : MS::kInvalidParameter;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, MString& result) const {
    MStatus status;
    const std::string* text = argument(flag, index, status);
    if (!text)
        return status;
    result = MString(text->c_str());
    return MS::kSuccess;
}

MStatus MArgParser::getFlagArgumentList(const char* flag, unsigned int i, MArgList& args) const {
    const MSyntax::Flag* wanted = flag ? fSyntax.findFlag(flag) : nullptr;
    if (!wanted)
        return MS::kInvalidParameter;
    unsigned int seen = 0;
    for (const Use& use : fUses) {
        if (use.flag != wanted)
            continue;
        if (seen++ != i)
            continue;
        args = MArgList();
        for (size_t k = 0; k < use.args.size(); ++k)
            args.addWord(use.args[k], use.quoted[k]);
        return MS::kSuccess;
    }
    return MS::kFailure;
}

MStatus MArgParser::getObjects(MStringArray& result) const {
    result = fObjects;
    return fValid ? MS::kSuccess : MS::kFailure;
}
