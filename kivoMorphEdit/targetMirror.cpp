// The mirror and flip of one target geometry's offsets, with the mesh and curve associations.

#include "kivoMorphEdit/targetMirror.h"
#include "kivoMorphEdit/report.h"
#include "kivoMorphEdit/targetPoints.h"
#include "kivoMorphEdit/uvMirror.h"

#include "geometrySearch/curveSearch.h"
#include "geometrySearch/meshSampling.h"
#include "geometrySearch/mirrorPlane.h"
#include "geometrySearch/pointKdTree.h"

#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MMeshIntersector.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// Points this close to the mirror plane lie on it.
constexpr double kPlaneTolerance = 1e-6;

// The offset at the reflection `mirrored` of base point i; false when there is none.
using OffsetSearch = std::function<bool(unsigned int i, const MPoint& mirrored, MVector& offset)>;

bool isEligible(double c, const MirrorOptions& options, bool planeExcluded) {
    if (options.flip) {
        return !planeExcluded || std::fabs(c) > kPlaneTolerance;
    }
    return options.inverse ? c >= -kPlaneTolerance : c <= kPlaneTolerance;
}

// The offset of point `index`, when it names one.
bool offsetOf(int index, const std::vector<MVector>& offsets, MVector& offset) {
    if (index < 0 || static_cast<size_t>(index) >= offsets.size()) {
        return false;
    }
    offset = offsets[static_cast<size_t>(index)];
    return true;
}

bool isFinite(const MPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Writes each eligible point's new position into `points` (which holds the target's points): its
// base point plus the reflected offset found at its reflection. A mirror keeps points of the plane
// on it. A point that finds no offset, or whose result is not finite (no number in the base or
// target there), keeps its target point.
void mirrorOffsets(const MPointArray& base, int axis, const MirrorOptions& options, bool planeExcluded,
                   const OffsetSearch& search, MPointArray& points) {
    const unsigned int coordinate = static_cast<unsigned int>(axis);
    for (unsigned int i = 0; i < base.length(); ++i) {
        const double c = base[i][coordinate];
        MVector offset;
        if (!isEligible(c, options, planeExcluded) || !search(i, reflected(base[i], axis), offset)) {
            continue;
        }
        MPoint moved = base[i] + reflected(offset, axis);
        if (!options.flip && std::fabs(c) <= kPlaneTolerance) {
            moved[coordinate] = base[i][coordinate];
        }
        if (isFinite(moved)) {
            points[i] = moved;
        }
    }
}

MStatus mirrorMesh(const MDagPath& basePath, const MPointArray& base, const std::vector<MVector>& offsets,
                   int axis, const MirrorOptions& options, MPointArray& points) {
    MStatus status;
    const MFnMesh mesh(basePath, &status);
    KIVO_EDIT_CHECK(status);
    switch (options.association) {
    case SurfaceAssociation::kClosestPoint: {
        MObject object = basePath.node();
        MMeshIntersector intersector;
        status = intersector.create(object, MMatrix::identity);
        if (!status) {
            KIVO_EDIT_REPORT(status);
            return MS::kFailure;
        }
        mirrorOffsets(
            base, axis, options, false,
            [&](unsigned int, const MPoint& mirrored, MVector& offset) {
                const MeshSample sample = sampleMesh(intersector, mesh, mirrored);
                if (!sampleFits(sample, offsets.size())) {
                    return false;
                }
                offset = barycentricBlend(sample, offsets);
                return true;
            },
            points);
        return MS::kSuccess;
    }
    case SurfaceAssociation::kClosestComponent: {
        const PointKdTree tree(base);
        const unsigned int coordinate = static_cast<unsigned int>(axis);
        mirrorOffsets(
            base, axis, options, true,
            [&](unsigned int i, const MPoint& mirrored, MVector& offset) {
                SideFilter side = options.inverse ? SideFilter::kNegative : SideFilter::kPositive;
                if (options.flip) {
                    side = base[i][coordinate] > 0.0 ? SideFilter::kNegative : SideFilter::kPositive;
                }
                int best = -1;
                double distance = DBL_MAX;
                tree.search(mirrored, side, axis, best, distance);
                return offsetOf(best, offsets, offset);
            },
            points);
        return MS::kSuccess;
    }
    case SurfaceAssociation::kClosestUV:
    case SurfaceAssociation::kClosestUVShellCenter:
        break;
    }
    UVOffsetSearch uvSearch;
    status = uvSearch.prepare(basePath, options.association == SurfaceAssociation::kClosestUVShellCenter);
    if (!status) {
        return status;
    }
    mirrorOffsets(
        base, axis, options, false,
        [&](unsigned int i, const MPoint& mirrored, MVector& offset) {
            return uvSearch.find(base[i], mirrored, offsets, offset);
        },
        points);
    return MS::kSuccess;
}

MStatus mirrorCurve(const MDagPath& basePath, const MPointArray& base, const std::vector<MVector>& offsets,
                    int axis, const MirrorOptions& options, MPointArray& points) {
    MStatus status;
    const MFnNurbsCurve curve(basePath, &status);
    KIVO_EDIT_CHECK(status);
    switch (options.association) {
    case SurfaceAssociation::kClosestComponent:
        mirrorOffsets(
            base, axis, options, false,
            [&](unsigned int, const MPoint& mirrored, MVector& offset) {
                MStatus found;
                const int best = findClosestCVIndex(curve, mirrored, base, &found);
                return found && offsetOf(best, offsets, offset);
            },
            points);
        return MS::kSuccess;
    case SurfaceAssociation::kClosestPoint:
        mirrorOffsets(
            base, axis, options, false,
            [&](unsigned int, const MPoint& mirrored, MVector& offset) {
                offset = twoNearestBlend(mirrored, offsets, base);
                return true;
            },
            points);
        return MS::kSuccess;
    case SurfaceAssociation::kClosestUV:
    case SurfaceAssociation::kClosestUVShellCenter:
        break;
    }
    MGlobal::displayError("UV-based surface association is only supported for mesh targets.");
    return MS::kFailure;
}

} // namespace

MStatus computeTargetGeometryEdit(const TargetGeometryEntry& entry, const MirrorOptions& options,
                                  TargetGeometryEdit& edit) {
    MPointArray base, target;
    MStatus status = readPoints(entry.basePath, base);
    if (status) {
        status = readPoints(entry.targetPath, target);
    }
    KIVO_EDIT_CHECK(status);
    if (base.length() != target.length()) {
        MGlobal::displayError("Base and target point counts do not match for '" +
                              entry.targetPath.fullPathName() + "'.");
        return MS::kFailure;
    }
    std::vector<MVector> offsets(base.length());
    for (unsigned int i = 0; i < base.length(); ++i) {
        offsets[i] = target[i] - base[i];
    }
    static_cast<TargetGeometryEntry&>(edit) = entry;
    edit.oldPoints = target;
    edit.newPoints = target;

    const int axis = mirrorAxis(options.mirrorMode);
    if (axis < 0) {
        MGlobal::displayError("Invalid mirror mode: " + options.mirrorMode);
        return MS::kFailure;
    }
    if (entry.basePath.hasFn(MFn::kMesh) && entry.targetPath.hasFn(MFn::kMesh)) {
        return mirrorMesh(entry.basePath, base, offsets, axis, options, edit.newPoints);
    }
    if (entry.basePath.hasFn(MFn::kNurbsCurve) && entry.targetPath.hasFn(MFn::kNurbsCurve)) {
        return mirrorCurve(entry.basePath, base, offsets, axis, options, edit.newPoints);
    }
    MGlobal::displayError("Unsupported target geometry types. Only meshes and NURBS curves are supported.");
    return MS::kFailure;
}
