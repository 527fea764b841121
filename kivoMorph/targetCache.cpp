// The target delta cache: every target item encoded once into the indices of the points that
// move and their deltas, kept in memory and written into the item's attributes for the GPU
// override and for scene files.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"
#include "kivoMorph/spaces.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MFnGeometryData.h>
#include <maya/MGlobal.h>
#include <maya/MItGeometry.h>

MStatus KivoMorph::geometryBasePoints(MArrayDataHandle& inputArray, unsigned int multiIndex,
                                      const MMatrix& localToWorld, int originValue, EncodeContext& context) {
    MStatus status;
    context.geometry = inputArray.elementIndex(&status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle inputElement = inputArray.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle geometryHandle = inputElement.child(inputGeom);
    MItGeometry iter(geometryHandle, true, &status);
    KIVO_MORPH_CHECK(status, "");
    status = iter.allPositions(context.basePoints, MSpace::kObject);
    KIVO_MORPH_CHECK(status, "");
    if (originValue != 0) {
        return status;
    }
    // Another geometry of this node has its own transform, carried by its input data.
    MMatrix toWorld = localToWorld;
    if (context.geometry != multiIndex) {
        MObject data = geometryHandle.data();
        MFnGeometryData geometryData(data, &status);
        KIVO_MORPH_CHECK(status, "");
        status = geometryData.getMatrix(toWorld);
        KIVO_MORPH_CHECK(status, "");
    }
    transformPoints(context.basePoints, toWorld);
    return status;
}

MStatus KivoMorph::encodeTargetGroup(MArrayDataHandle& groupArray, const EncodeContext& context,
                                     bool warnMissingSurface, bool& encodedAny) {
    MStatus status;
    const unsigned int target = groupArray.elementIndex(&status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle group = groupArray.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    // Groups blended in UV space are encoded against the binding of the geometry to their surface.
    const bool uv = group.child(targetBlendUV).asBool();
    UvEncoder encoder;
    if (uv) {
        const int surfaceId = group.child(targetSurfaceId).asInt();
        if (surfaceId < 0 || context.surfaces == nullptr ||
            !context.surfaces->jumpToElement(static_cast<unsigned int>(surfaceId))) {
            if (warnMissingSurface) {
                MGlobal::displayWarning(" No input surface found! ");
            }
            return MS::kSuccess;
        }
        encoder.surfaceId = static_cast<unsigned int>(surfaceId);
        status = openUvEncoder(context, encoder);
        if (!status) {
            return status;
        }
    }
    const bool bezier = group.child(targetBlendBezier).asBool();
    const double tol = group.child(targetPrecision).asDouble() * context.precision;
    const MSpace::Space space = context.origin == 0 ? MSpace::kWorld : MSpace::kObject;

    MArrayDataHandle items(group.child(inputTargetItem), &status);
    KIVO_MORPH_CHECK(status, "");
    const unsigned int itemCount = items.elementCount();
    ItemCacheList list(itemCount);
    for (unsigned int k = 0; k < itemCount; ++k) {
        status = items.jumpToArrayElement(k);
        KIVO_MORPH_CHECK(status, "");
        TargetItemCache& item = list[k];
        item.itemIndex = items.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
        MDataHandle itemIn = items.inputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        MDataHandle geometryHandle = itemIn.child(inputGeomTarget);
        const MObject data = geometryHandle.data();
        if (data.isNull()) {
            MGlobal::displayWarning(" Target object is null. ");
            continue;
        }
        MPointArray targetPoints;
        status = getGeometryPoints(data, geometryHandle, space, targetPoints);
        if (!status) {
            return status;
        }
        // A Bezier target keeps every point in its inbetweens, so each point has a control
        // point in every one of them.
        const bool keepAll = bezier && k + 1 != itemCount;
        const ItemKey key(context.geometry, target, item.itemIndex);
        if (!uv) {
            encodeDeltas(context.basePoints, targetPoints, tol, keepAll, key, item.indices, item.deltas);
        } else if (encoder.binding != nullptr) {
            encodeUvItem(context.basePoints, targetPoints, tol, keepAll, encoder, key, item);
        } else {
            MGlobal::displayWarning(" No surface data found, skip...");
            continue;
        }
        MDataHandle itemOut = items.outputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        status = writeItemArrays(itemOut, item, uv);
        if (!status) {
            return status;
        }
        item.valid = true;
        encodedAny = true;
    }

    MDataHandle groupOut = groupArray.outputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle rebindHandle = groupOut.child(targetRebind);
    rebindHandle.setBool(false);
    rebindHandle.setClean();
    MDataHandle cachedHandle = groupOut.child(targetCached);
    cachedHandle.setBool(true);
    cachedHandle.setClean();
    fTargetCache[cacheKey(context.geometry, target)] = std::move(list);
    return MS::kSuccess;
}

MStatus KivoMorph::buildTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                     MArrayDataHandle& surfaceArray, unsigned int multiIndex,
                                     const MMatrix& localToWorld, int originValue, double precisionValue,
                                     bool& encodedAny) {
    MStatus status;
    EncodeContext context;
    context.origin = originValue;
    context.precision = precisionValue;
    context.surfaces = &surfaceArray;
    MDataHandle inputTargetElement = inputTargetArray.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle groupArray(inputTargetElement.child(inputTargetGroup), &status);
    KIVO_MORPH_CHECK(status, "");
    status = geometryBasePoints(inputArray, multiIndex, localToWorld, originValue, context);
    if (!status) {
        return status;
    }

    const unsigned int groupCount = groupArray.elementCount();
    for (unsigned int p = 0; p < groupCount; ++p) {
        status = groupArray.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        status = encodeTargetGroup(groupArray, context, true, encodedAny);
        if (!status) {
            return status;
        }
    }
    // Once for the whole array rather than once per group, so that a rebuild stays linear.
    status = groupArray.setAllClean();
    KIVO_MORPH_CHECK(status, "");
    return status;
}

MStatus KivoMorph::rebuildDirtyTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                            MArrayDataHandle& surfaceArray, unsigned int multiIndex,
                                            const MMatrix& localToWorld, int originValue,
                                            double precisionValue) {
    MStatus status;
    for (const auto& dirty : fDirtyTargets) {
        const unsigned int geometry = dirty.first;
        if (!inputTargetArray.jumpToElement(geometry) || !inputArray.jumpToElement(geometry)) {
            continue;
        }
        EncodeContext context;
        context.origin = originValue;
        context.precision = precisionValue;
        context.surfaces = &surfaceArray;
        status = geometryBasePoints(inputArray, multiIndex, localToWorld, originValue, context);
        if (!status) {
            return status;
        }
        MDataHandle inputTargetElement = inputTargetArray.inputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        MArrayDataHandle groupArray(inputTargetElement.child(inputTargetGroup), &status);
        KIVO_MORPH_CHECK(status, "");
        bool encodedAny = false;
        for (const unsigned int target : dirty.second) {
            if (!groupArray.jumpToElement(target)) {
                continue;
            }
            status = encodeTargetGroup(groupArray, context, false, encodedAny);
            if (!status) {
                return status;
            }
        }
        status = groupArray.setAllClean();
        KIVO_MORPH_CHECK(status, "");
    }
    fDirtyTargets.clear();
    return MS::kSuccess;
}
