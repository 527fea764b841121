#include <maya/MSyntax.h>

namespace {
bool validName(const char* name) {
    return name && name[0] == '-' && name[1] != '\0';
}
} // namespace

MStatus MSyntax::addFlag(const char* shortName, const char* longName, MArgType argType1, MArgType argType2,
                         MArgType argType3, MArgType argType4, MArgType argType5, MArgType argType6) {
    if (!validName(shortName) || !validName(longName) || findFlag(shortName) || findFlag(longName))
        return MS::kInvalidParameter;
    Flag flag;
    flag.shortName = shortName;
    flag.longName = longName;
    // Arguments end at the first kNoArg.
    for (MArgType type : {argType1, argType2, argType3, argType4, argType5, argType6}) {
        if (type == kNoArg)
            break;
        if (type <= kInvalidArgType || type >= kLastArgType)
            return MS::kInvalidParameter;
        flag.args.push_back(type);
    }
    fFlags.push_back(flag);
    return MS::kSuccess;
}

MStatus MSyntax::makeFlagMultiUse(const char* flagName) {
    for (Flag& flag : fFlags)
        if (flagName && (flag.shortName == flagName || flag.longName == flagName)) {
            flag.multiUse = true;
            return MS::kSuccess;
        }
    return MS::kInvalidParameter;
}

MStatus MSyntax::makeFlagQueryWithFullArgs(const char* flagName, bool argsOptional) {
    // Optional query arguments would need the parser to guess whether the next word is one.
    if (argsOptional)
        return MS::kNotImplemented;
    for (Flag& flag : fFlags)
        if (flagName && (flag.shortName == flagName || flag.longName == flagName)) {
            flag.queryWithArgs = true;
            return MS::kSuccess;
        }
    return MS::kInvalidParameter;
}

void MSyntax::useSelectionAsDefault(bool useSelectionList) {
    fUseSelection = useSelectionList;
}

MStatus MSyntax::setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects) {
    return setObjectType(objectFormat, minimumObjects, ~0u);
}

MStatus MSyntax::setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects,
                               unsigned int maximumObjects) {
    if (objectFormat <= kInvalidObjectFormat || objectFormat >= kLastObjectFormat ||
        minimumObjects > maximumObjects)
        return MS::kInvalidParameter;
    fFormat = objectFormat;
    fMin = minimumObjects;
    fMax = maximumObjects;
    return MS::kSuccess;
}

MStatus MSyntax::setMinObjects(unsigned int minimumObjectCount) {
    if (minimumObjectCount > fMax)
        return MS::kInvalidParameter;
    fMin = minimumObjectCount;
    return MS::kSuccess;
}

MStatus MSyntax::setMaxObjects(unsigned int maximumObjectCount) {
    if (maximumObjectCount < fMin)
        return MS::kInvalidParameter;
    fMax = maximumObjectCount;
    return MS::kSuccess;
}

void MSyntax::enableEdit(bool supportsEdit) {
    fEdit = supportsEdit;
}
void MSyntax::enableQuery(bool supportsQuery) {
    fQuery = supportsQuery;
}

const MSyntax::Flag* MSyntax::findFlag(const std::string& name) const {
    for (const Flag& flag : fFlags)
        if (flag.shortName == name || flag.longName == name)
            return &flag;
    return nullptr;
}
