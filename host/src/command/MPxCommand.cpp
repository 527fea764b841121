#include "command/Result.h"
#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPxCommand.h>
#include <maya/MStringArray.h>

using khost::ResultScope;

MStatus MPxCommand::undoIt() {
    return MS::kFailure;
}
MStatus MPxCommand::redoIt() {
    return MS::kFailure;
}
bool MPxCommand::isUndoable() const {
    return false;
}
bool MPxCommand::hasSyntax() const {
    return true;
}

void MPxCommand::displayInfo(const MString& theInfo) {
    MGlobal::displayInfo(theInfo);
}
void MPxCommand::displayWarning(const MString& theWarning, bool showLineNumber) {
    MGlobal::displayWarning(theWarning, showLineNumber);
}
void MPxCommand::displayError(const MString& theError, bool showLineNumber) {
    MGlobal::displayError(theError, showLineNumber);
}

void MPxCommand::clearResult() {
    ResultScope::current().clear();
}

void MPxCommand::setResult(bool val) {
    clearResult();
    appendToResult(val);
}
void MPxCommand::setResult(int val) {
    clearResult();
    appendToResult(val);
}
void MPxCommand::setResult(unsigned int val) {
    clearResult();
    ResultScope::current().append(static_cast<double>(val));
}
void MPxCommand::setResult(double val) {
    clearResult();
    appendToResult(val);
}
void MPxCommand::setResult(const MString& val) {
    clearResult();
    appendToResult(val);
}
void MPxCommand::setResult(const char* val) {
    clearResult();
    appendToResult(val);
}
void MPxCommand::setResult(const MIntArray& val) {
    clearResult();
    for (int v : val)
        appendToResult(v);
}
void MPxCommand::setResult(const MDoubleArray& val) {
    clearResult();
    for (double v : val)
        appendToResult(v);
}
void MPxCommand::setResult(const MStringArray& val) {
    clearResult();
    appendToResult(val);
}

void MPxCommand::appendToResult(bool val) {
    ResultScope::current().append(val ? 1.0 : 0.0);
}
void MPxCommand::appendToResult(int val) {
    ResultScope::current().append(static_cast<double>(val));
}
void MPxCommand::appendToResult(double val) {
    ResultScope::current().append(val);
}
void MPxCommand::appendToResult(const MString& val) {
    ResultScope::current().append(std::string(val.asChar()));
}
void MPxCommand::appendToResult(const char* val) {
    ResultScope::current().append(std::string(val ? val : ""));
}
void MPxCommand::appendToResult(const MStringArray& val) {
    for (const MString& v : val)
        appendToResult(v);
}
