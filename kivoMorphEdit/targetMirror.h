#pragma once
// The mirrored or flipped shape of one target geometry. What is mirrored is the target's offset
// from its base shape: each point takes the offset found at its base point's reflection, reflected
// in turn, on top of its own base point. Offsets are found by closest point, closest component or
// UV position on the base geometry.

#include "kivoMorphEdit/targetGeometry.h"

#include <maya/MString.h>

// How a point finds the offset at its mirrored position (the -surfaceAssociation values).
enum class SurfaceAssociation {
    kClosestPoint = 0,
    kClosestComponent = 1,
    kClosestUV = 2,
    kClosestUVShellCenter = 3
};

struct MirrorOptions {
    MString mirrorMode = "YZ";
    SurfaceAssociation association = SurfaceAssociation::kClosestPoint;
    // Take offsets from the negative side instead.
    bool inverse = false;
    // Exchange the two sides (inverse then does not count).
    bool flip = false;
};

// The edit of one entry: its target's points now, and the points the mirror or flip gives them. A
// failure has been shown.
MStatus computeTargetGeometryEdit(const TargetGeometryEntry& entry, const MirrorOptions& options,
                                  TargetGeometryEdit& edit);
