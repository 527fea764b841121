#include "command/Values.h"
#include <cstring>
#include <maya/MArgList.h>

const unsigned int MArgList::kInvalidArgIndex = ~0u;

namespace {
bool inRange(unsigned int index, unsigned int length, MStatus* status) {
    bool ok = index < length;
    if (status)
        *status = ok ? MS::kSuccess : MS::kInvalidParameter;
    return ok;
}
} // namespace

unsigned int MArgList::length(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return static_cast<unsigned int>(fWords.size());
}

bool MArgList::asBool(unsigned int index, MStatus* ReturnStatus) const {
    bool value = false;
    if (inRange(index, length(), ReturnStatus) && !khost::parseBool(fWords[index], value) && ReturnStatus)
        *ReturnStatus = MS::kInvalidParameter;
    return value;
}

int MArgList::asInt(unsigned int index, MStatus* ReturnStatus) const {
    double value = 0.0;
    if (inRange(index, length(), ReturnStatus) && !khost::parseNumber(fWords[index], value)) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return 0;
    }
    return static_cast<int>(value);
}

double MArgList::asDouble(unsigned int index, MStatus* ReturnStatus) const {
    double value = 0.0;
    if (inRange(index, length(), ReturnStatus) && !khost::parseNumber(fWords[index], value)) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return 0.0;
    }
    return value;
}

MString MArgList::asString(unsigned int index, MStatus* ReturnStatus) const {
    return inRange(index, length(), ReturnStatus) ? MString(fWords[index].c_str()) : MString();
}

unsigned int MArgList::flagIndex(const char* shortFlag, const char* longFlag) const {
    for (unsigned int i = 0; i < fWords.size(); ++i) {
        if (fQuoted[i])
            continue;
        if ((shortFlag && fWords[i] == shortFlag) || (longFlag && fWords[i] == longFlag))
            return i;
    }
    return kInvalidArgIndex;
}

MStatus MArgList::addArg(bool arg) {
    addWord(arg ? "true" : "false", false);
    return MS::kSuccess;
}

MStatus MArgList::addArg(int arg) {
    addWord(std::to_string(arg), false);
    return MS::kSuccess;
}

MStatus MArgList::addArg(double arg) {
    addWord(khost::formatNumber(arg), false);
    return MS::kSuccess;
}

MStatus MArgList::addArg(const MString& arg) {
    addWord(arg.asChar(), true);
    return MS::kSuccess;
}

void MArgList::addWord(const std::string& text, bool quoted) {
    fWords.push_back(text);
    fQuoted.push_back(quoted);
}
