#pragma once
// The flags and objects a command accepts.
#include <maya/MStatus.h>
#include <string>
#include <vector>

class MSyntax {
public:
    enum MArgType {
        kInvalidArgType,
        kNoArg,
        kBoolean,
        kLong,
        kDouble,
        kString,
        kUnsigned,
        kDistance,
        kAngle,
        kTime,
        kSelectionItem,
        kLastArgType
    };
    enum MObjectFormat { kInvalidObjectFormat, kNone, kStringObjects, kSelectionList, kLastObjectFormat };

    MSyntax() = default;
    MSyntax(const MSyntax& other) = default;
    virtual ~MSyntax() = default;
    MSyntax& operator=(const MSyntax& rhs) = default;

    MStatus addFlag(const char* shortName, const char* longName, MArgType argType1 = kNoArg,
                    MArgType argType2 = kNoArg, MArgType argType3 = kNoArg, MArgType argType4 = kNoArg,
                    MArgType argType5 = kNoArg, MArgType argType6 = kNoArg);
    MStatus makeFlagMultiUse(const char* flagName);
    // In query mode the flag still takes its arguments; optional ones (argsOptional) are not supported.
    MStatus makeFlagQueryWithFullArgs(const char* flagName, bool argsOptional);
    void useSelectionAsDefault(bool useSelectionList = false);
    MStatus setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects = 0);
    MStatus setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects,
                          unsigned int maximumObjects);
    MStatus setMinObjects(unsigned int minimumObjectCount);
    MStatus setMaxObjects(unsigned int maximumObjectCount);
    void enableEdit(bool supportsEdit = true);
    void enableQuery(bool supportsQuery = true);

    // Host side only.
    struct Flag {
        std::string shortName; // with the dash
        std::string longName;
        std::vector<MArgType> args;
        bool multiUse = false;
        bool queryWithArgs = false;
    };
    // The flag named by its short or long name (with the dash); null when unknown.
    const Flag* findFlag(const std::string& name) const;
    const std::vector<Flag>& flags() const { return fFlags; }
    MObjectFormat objectFormat() const { return fFormat; }
    unsigned int minObjects() const { return fMin; }
    unsigned int maxObjects() const { return fMax; }
    bool selectionAsDefault() const { return fUseSelection; }
    bool editEnabled() const { return fEdit; }
    bool queryEnabled() const { return fQuery; }

private:
    std::vector<Flag> fFlags;
    MObjectFormat fFormat = kNone;
    unsigned int fMin = 0;
    unsigned int fMax = ~0u;
    bool fUseSelection = false;
    bool fEdit = false;
    bool fQuery = false;
};
