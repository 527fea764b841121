// What the GPU override asks of the node: whether deform still has encoding to do, and live items
// computed exactly as deform computes them.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MArrayDataHandle.h>

bool KivoMorph::encodingPending(MDataBlock& block, unsigned int geometry) {
    if (fSurfaceCacheUnbuilt || fSurfaceCacheDirty || fTargetCacheDirty || fPartialCacheDirty) {
        return true;
    }
    MStatus status;
    MDataHandle rebindHandle = block.inputValue(rebind, &status);
    if (!status || rebindHandle.asBool()) {
        return true;
    }
    // A weighted target whose items are no longer those it was cached with is encoded again by the
    // blend itself.
    MArrayDataHandle inputTargetArray = block.inputArrayValue(inputTarget, &status);
    if (!status || !inputTargetArray.jumpToElement(geometry)) {
        return false;
    }
    MDataHandle inputTargetElement = inputTargetArray.inputValue(&status);
    if (!status) {
        return false;
    }
    MArrayDataHandle targetArray(inputTargetElement.child(inputTargetGroup), &status);
    std::vector<double> weightValues;
    if (!status || !readTargetWeights(block, targetArray, weightValues)) {
        return false;
    }
    for (unsigned int p = 0; p < targetArray.elementCount(); ++p) {
        if (static_cast<float>(weightValues[p]) == 0.0f || !targetArray.jumpToArrayElement(p)) {
            continue;
        }
        const auto cached = fTargetCache.find(cacheKey(geometry, targetArray.elementIndex()));
        if (cached == fTargetCache.end()) {
            continue;
        }
        MArrayDataHandle items(targetArray.inputValue().child(inputTargetItem), &status);
        if (!status || items.elementCount() != cached->second.size()) {
            return true;
        }
        for (unsigned int q = 0; q < items.elementCount(); ++q) {
            items.jumpToArrayElement(q);
            if (items.elementIndex() != cached->second[q].itemIndex) {
                return true;
            }
        }
    }
    return false;
}

MStatus KivoMorph::liveItemArrays(MDataBlock& block, unsigned int geometry, MArrayDataHandle& items,
                                  unsigned int target, double targetPrecisionValue, bool uv, int surfaceId,
                                  MIntArray& indices, MPointArray& deltas, MDoubleArray& uvDeltas) {
    indices.clear();
    deltas.clear();
    uvDeltas.clear();
    MStatus status;
    MDataHandle originHandle = block.inputValue(origin, &status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle precisionHandle = block.inputValue(precision, &status);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle inputArray = block.inputArrayValue(input, &status);
    KIVO_MORPH_CHECK(status, "");
    status = inputArray.jumpToElement(geometry);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle surfaceArray = block.inputArrayValue(inputSurface, &status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle inputElement = inputArray.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    const MMatrix localToWorld = inputElement.child(inputGeom).geometryTransformMatrix();

    EncodeContext context;
    context.origin = originHandle.asInt();
    context.precision = precisionHandle.asDouble();
    context.surfaces = &surfaceArray;
    status = geometryBasePoints(inputArray, geometry, localToWorld, context.origin, context);
    if (!status) {
        return status;
    }
    const unsigned int itemIndex = items.elementIndex(&status);
    KIVO_MORPH_CHECK(status, "");
    TargetItemCache item;
    if (uv) {
        if (surfaceId < 0) {
            return MS::kFailure;
        }
        UvTarget uvTarget;
        uvTarget.surfaceId = static_cast<unsigned int>(surfaceId);
        status = liveUvTargetDeltas(items, context, target, itemIndex, targetPrecisionValue, uvTarget, item);
    } else {
        status = liveTargetDeltas(items, context, target, itemIndex, targetPrecisionValue, item);
    }
    if (!status) {
        return status;
    }
    indices = item.indices;
    deltas = item.deltas;
    uvDeltas = item.uvDeltas;
    return MS::kSuccess;
}
