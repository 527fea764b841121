#pragma once
// Which target item a target geometry feeds: its world geometry plug ("worldMesh" or "worldSpace",
// element 0) connected to inputTarget[g].inputTargetGroup[t].inputTargetItem[k].inputGeomTarget of
// a deformer.

#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

// The first such connection into `deformer`, in the order the plug's connections come; failure, with
// g, t and k at -1, when there is none.
MStatus targetConnection(const MDagPath& shape, const MObject& deformer, int& geometryIndex, int& targetIndex,
                         int& itemIndex);
