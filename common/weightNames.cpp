#include "common/weightNames.h"

#include <maya/MGlobal.h>
#include <maya/MIntArray.h>

MStatus weightIndexByName(MPlug weights, const MString& name, unsigned int& index) {
    MIntArray existing;
    MStatus status;
    weights.getExistingArrayAttributeIndices(existing, &status);
    if (!status) {
        MGlobal::displayError("Failed to get existing array attribute indices");
        return status;
    }
    for (unsigned int k = 0; k < existing.length(); ++k) {
        const MPlug element = weights.elementByLogicalIndex(static_cast<unsigned int>(existing[k]));
        if (element.partialName(false, false, false, true, false, true) == name) {
            index = static_cast<unsigned int>(existing[k]);
            return MS::kSuccess;
        }
    }
    return MS::kFailure;
}
