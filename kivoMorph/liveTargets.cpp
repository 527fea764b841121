// Target geometry points and the straight-line delta encoding shared by the target delta
// cache and by live targets.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MPoint.h>

#include <algorithm>

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
    for (unsigned int i = 0; i < count; ++i) {
        const MPoint& base = basePoints[i];
        const MPoint& target = targetPoints[i];
        const MPoint delta(target.x - base.x, target.y - base.y, target.z - base.z);
        if (keepAll || !delta.isEquivalent(MPoint::origin, tol)) {
            indices.append(static_cast<int>(i));
            deltas.append(delta);
        }
    }
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

namespace {

// Stores freshly created array data in a child of the item and marks it clean; a null object means its
// creation failed.
MStatus storeClean(MDataHandle handle, const MObject& data) {
    if (data.isNull()) {
        return MS::kFailure;
    }
    const MStatus status = handle.set(data);
    if (status) {
        handle.setClean();
    }
    return status;
}

} // namespace

MStatus KivoMorph::writeItemArrays(MDataHandle& itemHandle, const MIntArray& indices,
                                   const MPointArray& deltas) {
    MStatus status;
    MFnPointArrayData pointsFn;
    status = storeClean(itemHandle.child(inputPointsTarget), pointsFn.create(deltas, &status));
    KIVO_MORPH_CHECK(status, "");
    MFnIntArrayData indicesFn;
    status = storeClean(itemHandle.child(inputPointsIndicesTarget), indicesFn.create(indices, &status));
    KIVO_MORPH_CHECK(status, "");
    return status;
}

MStatus KivoMorph::liveTargetDeltas(MArrayDataHandle& items, const EncodeContext& context,
                                    unsigned int target, unsigned int itemIndex, double targetPrecisionValue,
                                    MIntArray& indices, MPointArray& deltas) {
    MStatus status;
    indices.clear();
    deltas.clear();
    MDataHandle itemIn = items.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle geometryHandle = itemIn.child(inputGeomTarget);
    const MObject data = geometryHandle.data();
    if (data.isNull()) {
        MGlobal::displayWarning(" Target object is null. ");
        return MS::kFailure;
    }
    MPointArray targetPoints;
    status = getGeometryPoints(data, geometryHandle, context.origin == 0 ? MSpace::kWorld : MSpace::kObject,
                               targetPoints);
    if (!status) {
        return status;
    }
    encodeDeltas(context.basePoints, targetPoints, targetPrecisionValue * context.precision, false,
                 ItemKey(context.geometry, target, itemIndex), indices, deltas);

    MDataHandle itemOut = items.outputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    return writeItemArrays(itemOut, indices, deltas);
}
