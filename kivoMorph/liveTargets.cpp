// Target geometry points and the straight-line delta encoding shared by the target delta
// cache and by live targets.

#include "common/parallel.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MPoint.h>

#include <algorithm>
#include <vector>

namespace {

// Points per range of the encoding; ranges are the unit of work shared between threads.
constexpr unsigned int kEncodeRangePoints = 16384;

// body(range) for every range of points, in parallel once the points are many.
template <typename Body> void forEachRange(unsigned int ranges, unsigned int pointCount, const Body& body) {
    forEachBlock(ranges, pointCount >= kParallelPoints, [&body](unsigned int begin, unsigned int end) {
        for (unsigned int range = begin; range != end; ++range) {
            body(range);
        }
    });
}

} // namespace

MString KivoMorph::itemPath(const ItemKey& item) {
    MString path("inputTarget[");
    path += std::get<0>(item);
    path += "].inputTargetGroup[";
    path += std::get<1>(item);
    path += "].inputTargetItem[";
    path += std::get<2>(item);
    path += "]";
    return path;
}

MStatus KivoMorph::getGeometryPoints(const MObject& data, MDataHandle& handle, MSpace::Space space,
                                     MPointArray& points) {
    MStatus status;
    if (data.hasFn(MFn::kMesh)) {
        MObject mesh = handle.asMesh();
        MFnMesh meshFn(mesh, &status);
        KIVO_MORPH_CHECK(status, "");
        status = meshFn.getPoints(points, space);
        KIVO_MORPH_CHECK(status, "");
        return status;
    }
    if (data.hasFn(MFn::kNurbsCurve)) {
        MObject curve = handle.asNurbsCurve();
        MFnNurbsCurve curveFn(curve, &status);
        KIVO_MORPH_CHECK(status, "");
        status = curveFn.getCVs(points, space);
        KIVO_MORPH_CHECK(status, "");
        return status;
    }
    MGlobal::displayError(" No Mesh or NurbsCurve found! ");
    return MS::kFailure;
}

void KivoMorph::encodeDeltas(const MPointArray& basePoints, const MPointArray& targetPoints, double tol,
                             bool keepAll, const ItemKey& item, MIntArray& indices, MPointArray& deltas) {
    indices.clear();
    deltas.clear();
    const unsigned int baseCount = basePoints.length();
    const unsigned int targetCount = targetPoints.length();
    // Points the target lacks get no delta rather than one read past its end.
    if (targetCount < baseCount) {
        warnShortTarget(item, targetCount, baseCount);
    } else {
        fShortTargetsWarned.erase(item);
    }
    const unsigned int count = std::min(baseCount, targetCount);
    // Each range of points counts its entries, then writes them where the ranges before it end:
    // the arrays come out in point order whatever the number of threads.
    const unsigned int ranges = (count + kEncodeRangePoints - 1) / kEncodeRangePoints;
    std::vector<unsigned int> starts(ranges + 1, 0);
    const MPoint* base = count > 0 ? &basePoints[0] : nullptr;
    const MPoint* target = count > 0 ? &targetPoints[0] : nullptr;
    const auto deltaAt = [base, target](unsigned int i) {
        return MPoint(target[i].x - base[i].x, target[i].y - base[i].y, target[i].z - base[i].z);
    };
    const auto moves = [&](unsigned int i) {
        return keepAll || !deltaAt(i).isEquivalent(MPoint::origin, tol);
    };
    const auto rangeEnd = [count](unsigned int range) {
        return std::min(count, (range + 1) * kEncodeRangePoints);
    };
    forEachRange(ranges, count, [&](unsigned int range) {
        unsigned int entries = 0;
        for (unsigned int i = range * kEncodeRangePoints; i < rangeEnd(range); ++i) {
            entries += moves(i) ? 1 : 0;
        }
        starts[range + 1] = entries;
    });
    for (unsigned int range = 0; range < ranges; ++range) {
        starts[range + 1] += starts[range];
    }
    indices.setLength(starts[ranges]);
    deltas.setLength(starts[ranges]);
    if (starts[ranges] == 0) {
        return;
    }
    int* indexOut = &indices[0];
    MPoint* deltaOut = &deltas[0];
    forEachRange(ranges, count, [&](unsigned int range) {
        unsigned int k = starts[range];
        for (unsigned int i = range * kEncodeRangePoints; i < rangeEnd(range); ++i) {
            if (moves(i)) {
                indexOut[k] = static_cast<int>(i);
                deltaOut[k] = deltaAt(i);
                ++k;
            }
        }
    });
}

void KivoMorph::warnShortTarget(const ItemKey& item, unsigned int targetCount, unsigned int baseCount) {
    // A live target would repeat this at every evaluation; once per shortage is enough.
    if (!fShortTargetsWarned.insert(item).second) {
        return;
    }
    MString text = MString("KivoMorph '") + name() + "': the target geometry of " + itemPath(item) + " has ";
    text += targetCount;
    text += " points, fewer than the ";
    text += baseCount;
    text += " of the base geometry; the points beyond get no delta.";
    MGlobal::displayWarning(text);
}

MStatus KivoMorph::storeClean(MDataHandle handle, const MObject& data) {
    if (data.isNull()) {
        return MS::kFailure;
    }
    const MStatus status = handle.set(data);
    if (status) {
        handle.setClean();
    }
    return status;
}

MStatus KivoMorph::writeItemArrays(MDataHandle& itemHandle, const TargetItemCache& item, bool uv) {
    MStatus status;
    MFnPointArrayData pointsFn;
    status = storeClean(itemHandle.child(inputPointsTarget), pointsFn.create(item.deltas, &status));
    KIVO_MORPH_CHECK(status, "");
    MFnIntArrayData indicesFn;
    status = storeClean(itemHandle.child(inputPointsIndicesTarget), indicesFn.create(item.indices, &status));
    KIVO_MORPH_CHECK(status, "");
    if (uv) {
        MFnDoubleArrayData uvFn;
        status = storeClean(itemHandle.child(inputUVTarget), uvFn.create(item.uvDeltas, &status));
        KIVO_MORPH_CHECK(status, "");
    }
    return status;
}

MStatus KivoMorph::liveTargetPoints(MArrayDataHandle& items, const EncodeContext& context,
                                    MPointArray& targetPoints) {
    MStatus status;
    MDataHandle itemIn = items.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle geometryHandle = itemIn.child(inputGeomTarget);
    const MObject data = geometryHandle.data();
    if (data.isNull()) {
        MGlobal::displayWarning(" Target object is null. ");
        return MS::kFailure;
    }
    return getGeometryPoints(data, geometryHandle, context.origin == 0 ? MSpace::kWorld : MSpace::kObject,
                             targetPoints);
}

MStatus KivoMorph::liveTargetDeltas(MArrayDataHandle& items, const EncodeContext& context,
                                    unsigned int target, unsigned int itemIndex, double targetPrecisionValue,
                                    TargetItemCache& item) {
    MStatus status;
    item.indices.clear();
    item.deltas.clear();
    MPointArray targetPoints;
    status = liveTargetPoints(items, context, targetPoints);
    if (!status) {
        return status;
    }
    encodeDeltas(context.basePoints, targetPoints, targetPrecisionValue * context.precision, false,
                 ItemKey(context.geometry, target, itemIndex), item.indices, item.deltas);

    MDataHandle itemOut = items.outputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    return writeItemArrays(itemOut, item, false);
}
