#pragma once
// Base of commands defined by plug-ins.
#include <maya/MArgList.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MSyntax.h>

class MDoubleArray;
class MIntArray;
class MStringArray;

class MPxCommand {
public:
    enum MResultType { kLong, kDouble, kString, kNoArg };

    MPxCommand() = default;
    virtual ~MPxCommand() = default;
    virtual MStatus doIt(const MArgList& args) = 0;
    // Defaults fail: a command that says it is undoable must provide both.
    virtual MStatus undoIt();
    virtual MStatus redoIt();
    virtual bool isUndoable() const;
    virtual bool hasSyntax() const;

    // The syntax registered with the command (empty when none was).
    MSyntax syntax() const { return fSyntax; }

    static void displayInfo(const MString& theInfo);
    static void displayWarning(const MString& theWarning, bool showLineNumber = false);
    static void displayError(const MString& theError, bool showLineNumber = false);

    static void clearResult();
    static void setResult(bool val);
    static void setResult(int val);
    static void setResult(unsigned int val);
    static void setResult(double val);
    static void setResult(const MString& val);
    static void setResult(const char* val);
    static void setResult(const MIntArray& val);
    static void setResult(const MDoubleArray& val);
    static void setResult(const MStringArray& val);
    static void appendToResult(bool val);
    static void appendToResult(int val);
    static void appendToResult(double val);
    static void appendToResult(const MString& val);
    static void appendToResult(const char* val);
    static void appendToResult(const MStringArray& val);

    // Host side only: set by the command registry when it makes the command.
    void hostSetSyntax(const MSyntax& syntax) { fSyntax = syntax; }

private:
    MPxCommand(const MPxCommand&) = delete;
    MPxCommand& operator=(const MPxCommand&) = delete;
    MSyntax fSyntax;
};
