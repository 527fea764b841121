#pragma once
// A target geometry of a kivoMorph target: the shape feeding
// inputTarget[g].inputTargetGroup[t].inputTargetItem[k].inputGeomTarget, with the deformer's input
// shape of geometry g as its base; and the edit of its points that the command prepares.

#include <maya/MDagPath.h>
#include <maya/MPointArray.h>

struct TargetGeometryEntry {
    int geometryIndex = -1;
    int targetIndex = -1;
    int itemIndex = -1;
    MDagPath basePath;
    MDagPath targetPath;
};

struct TargetGeometryEdit : TargetGeometryEntry {
    // The target's points before the command and those it writes, in object space.
    MPointArray oldPoints;
    MPointArray newPoints;
};
