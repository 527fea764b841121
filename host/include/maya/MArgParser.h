#pragma once
// Parses an argument list against a syntax: flags (short or long), edit/query mode, objects.
#include <maya/MArgList.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>
#include <string>
#include <vector>

class MArgParser {
public:
    MArgParser() = default;
    MArgParser(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus = nullptr);
    virtual ~MArgParser() = default;

    bool isFlagSet(const char* flag, MStatus* ReturnStatus = nullptr) const;
    bool isEdit(MStatus* ReturnStatus = nullptr) const;
    bool isQuery(MStatus* ReturnStatus = nullptr) const;
    unsigned int numberOfFlagsUsed() const { return static_cast<unsigned int>(fUses.size()); }
    unsigned int numberOfFlagUses(const char* flag) const;

    MStatus getFlagArgument(const char* flag, unsigned int index, bool& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, int& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, double& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, MString& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, unsigned int& result) const;
    // The arguments of the i-th use of a multi-use flag.
    MStatus getFlagArgumentList(const char* flag, unsigned int i, MArgList& args) const;
    MStatus getObjects(MStringArray& result) const;

protected:
    struct Use {
        const MSyntax::Flag* flag;
        std::vector<std::string> args;
        std::vector<bool> quoted;
    };
    // The argument text of the flag's first use; null when the flag or argument is missing.
    const std::string* argument(const char* flag, unsigned int index, MStatus& status) const;

    MSyntax fSyntax;
    std::vector<Use> fUses;
    MStringArray fObjects;
    bool fEdit = false;
    bool fQuery = false;
    bool fValid = false;
};
