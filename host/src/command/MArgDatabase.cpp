#include <maya/MArgDatabase.h>
#include <maya/MGlobal.h>

MArgDatabase::MArgDatabase(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus)
    : MArgParser(syntax, argList, ReturnStatus) {
    if (!fValid || fSyntax.objectFormat() != MSyntax::kSelectionList)
        return;
    auto fail = [&](const MString& message) {
        MGlobal::displayError(message);
        fValid = false;
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
    };
    for (const MString& name : fObjects)
        if (!fSelection.add(name)) {
            fail("No object matches name: " + name);
            return;
        }
    if (fObjects.length() == 0 && fSyntax.selectionAsDefault()) {
        MGlobal::getActiveSelectionList(fSelection);
        if (fSelection.length() < fSyntax.minObjects())
            fail("Not enough objects or values.");
    }
}

MStatus MArgDatabase::getFlagArgument(const char* flag, unsigned int index, MSelectionList& result) const {
    MStatus status;
    const std::string* text = argument(flag, index, status);
    if (!text)
        return status;
    MSelectionList found;
    status = found.add(MString(text->c_str()));
    if (status)
        result.merge(found);
    return status;
}

MStatus MArgDatabase::getObjects(MSelectionList& result) const {
    if (!fValid)
        return MS::kFailure;
    if (fSyntax.objectFormat() != MSyntax::kSelectionList) {
        result.clear();
        for (const MString& name : fObjects) {
            MStatus status = result.add(name);
            if (!status)
                return status;
        }
        return MS::kSuccess;
    }
    result = fSelection;
    return MS::kSuccess;
}
