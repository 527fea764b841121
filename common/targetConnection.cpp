#include "common/targetConnection.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>

MStatus targetConnection(const MDagPath& shape, const MObject& deformer, int& geometryIndex, int& targetIndex,
                         int& itemIndex) {
    geometryIndex = -1;
    targetIndex = -1;
    itemIndex = -1;
    if (!shape.isValid() || deformer.isNull()) {
        return MS::kFailure;
    }
    MStatus status;
    MPlug world = MFnDependencyNode(shape.node())
                      .findPlug(shape.hasFn(MFn::kMesh) ? "worldMesh" : "worldSpace", false, &status);
    if (!status || !world.selectAncestorLogicalIndex(0)) {
        return MS::kFailure;
    }
    MPlugArray destinations;
    world.connectedTo(destinations, false, true);
    for (unsigned int k = 0; k < destinations.length(); ++k) {
        if (destinations[k].node() != deformer) {
            continue;
        }
        // ...inputTargetItem[k].inputGeomTarget -> inputTargetGroup[t] -> inputTarget[g].
        const MPlug item = destinations[k].parent();
        const MPlug group = item.isNull() ? MPlug() : item.array().parent();
        const MPlug geometry = group.isNull() ? MPlug() : group.array().parent();
        if (!item.isNull() && !group.isNull() && !geometry.isNull()) {
            itemIndex = static_cast<int>(item.logicalIndex());
            targetIndex = static_cast<int>(group.logicalIndex());
            geometryIndex = static_cast<int>(geometry.logicalIndex());
            return MS::kSuccess;
        }
    }
    return MS::kFailure;
}
