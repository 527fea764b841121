// Item weights: one float per entry of every prepared item, the product of the deformer, base and target
// weights of its point; and the refresh of live items at each evaluation.

#include "common/parallel.h"
#include "kivoMorph/inbetween.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorphGPU/gpuReport.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MArrayDataHandle.h>

namespace {

// The elements of a sparse weight array whose index is below the count, over a default of 1.
std::vector<double> sparseWeights(MArrayDataHandle& array, unsigned int count) {
    std::vector<double> values(count, 1.0);
    for (unsigned int p = 0; p < array.elementCount(); ++p) {
        array.jumpToArrayElement(p);
        const unsigned int index = array.elementIndex();
        if (index < count) {
            values[index] = array.inputValue().asDouble();
        }
    }
    return values;
}

// The item element at an ordinal of target t of the geometry; false when any is missing.
bool findItem(MArrayDataHandle& targets, unsigned int target, unsigned int ordinal, MDataHandle& group,
              MArrayDataHandle& items) {
    MStatus status;
    if (!targets.jumpToElement(target)) {
        return false;
    }
    group = targets.inputValue(&status);
    if (!status) {
        return false;
    }
    items = MArrayDataHandle(group.child(KivoMorph::inputTargetItem), &status);
    return status && items.jumpToArrayElement(ordinal);
}

} // namespace

PointWeights PointWeights::read(MDataBlock& block, unsigned int geometry, MDataHandle& targetGeometry,
                                unsigned int pointCount) {
    PointWeights weights;
    weights.values.assign(pointCount, 1.0);
    MStatus status;
    MArrayDataHandle lists = block.inputArrayValue(MPxDeformerNode::weightList, &status);
    if (status && lists.jumpToElement(geometry)) {
        MArrayDataHandle deformer(lists.inputValue().child(MPxDeformerNode::weights), &status);
        if (status) {
            const std::vector<double> values = sparseWeights(deformer, pointCount);
            // The deformer weight is a float attribute.
            for (unsigned int i = 0; i < pointCount; ++i) {
                weights.values[i] = static_cast<float>(values[i]);
            }
        }
    }
    MArrayDataHandle base(targetGeometry.child(KivoMorph::baseWeights), &status);
    if (status) {
        const std::vector<double> values = sparseWeights(base, pointCount);
        for (unsigned int i = 0; i < pointCount; ++i) {
            weights.values[i] *= values[i];
        }
    }
    return weights;
}

void KivoMorphGPU::itemWeightValues(const PointWeights& weights, MDataHandle& targetElement,
                                    const ItemArrays& arrays, std::vector<float>& values) {
    MStatus status;
    MArrayDataHandle targetArray(targetElement.child(KivoMorph::targetWeights), &status);
    const unsigned int pointCount = static_cast<unsigned int>(weights.values.size());
    const std::vector<double> target =
        status ? sparseWeights(targetArray, pointCount) : std::vector<double>(pointCount, 1.0);
    const unsigned int count = static_cast<unsigned int>(arrays.entries.size());
    values.resize(count);
    forEachPoint(count, [&](unsigned int e) {
        const unsigned int i = static_cast<unsigned int>(arrays.indices[arrays.entries[e]]);
        values[e] = static_cast<float>(weights.values[i] * target[i]);
    });
}

MStatus KivoMorphGPU::prepareWeights(MDataBlock& block, unsigned int geometry) {
    if (itemWeights.size() <= geometry) {
        itemWeights.resize(geometry + 1);
    }
    weightsDirty = false;
    MStatus status;
    MArrayDataHandle geometries = block.inputArrayValue(KivoMorph::inputTarget, &status);
    if (!status || !geometries.jumpToElement(geometry) || geometry >= itemTables.size()) {
        return MS::kSuccess;
    }
    MDataHandle targetGeometry = geometries.inputValue();
    const PointWeights weights = PointWeights::read(block, geometry, targetGeometry, preparedPointCount);
    MArrayDataHandle targets(targetGeometry.child(KivoMorph::inputTargetGroup), &status);
    if (!status) {
        return MS::kSuccess;
    }
    const ItemTable& table = itemTables[geometry];
    auto& list = itemWeights[geometry];
    list.resize(table.size());
    for (std::size_t k = 0; k < table.size(); ++k) {
        MDataHandle group;
        MArrayDataHandle items;
        ItemArrays arrays;
        std::vector<float> values;
        if (findItem(targets, table.targetIndex[k], table.ordinal[k], group, items)) {
            MDataHandle item = items.inputValue();
            if (readItemArrays(item, table.blendUV[k] != 0, preparedPointCount, arrays)) {
                itemWeightValues(weights, group, arrays, values);
            }
        }
        list[k].assign(std::move(values));
        uploadFailed = KIVO_CL_CHECK(list[k].upload()) != CL_SUCCESS || uploadFailed;
    }
    return MS::kSuccess;
}

MStatus KivoMorphGPU::refreshLiveItem(MDataBlock& block, unsigned int geometry, unsigned int target,
                                      unsigned int ordinal, bool uv, std::size_t k) {
    MStatus status;
    MArrayDataHandle geometries = block.inputArrayValue(KivoMorph::inputTarget, &status);
    if (!status || !geometries.jumpToElement(geometry)) {
        return MS::kFailure;
    }
    MDataHandle targetGeometry = geometries.inputValue();
    MArrayDataHandle targets(targetGeometry.child(KivoMorph::inputTargetGroup), &status);
    MDataHandle group;
    MArrayDataHandle items;
    if (!status || !findItem(targets, target, ordinal, group, items) || k >= itemBuffers[geometry].size()) {
        return MS::kFailure;
    }
    const TargetFlags flags = readTargetFlags(group);
    const unsigned int itemCount = items.elementCount();
    const PointWeights weights = PointWeights::read(block, geometry, targetGeometry, preparedPointCount);
    // The item itself, and for a Bezier target its inbetweens first (every item of the target is live).
    std::vector<ItemArrays> controls;
    if (flags.bezier && itemCount >= 2) {
        for (unsigned int o = 0; o + 1 < itemCount; ++o) {
            items.jumpToArrayElement(o);
            if (inbetween::isRestItem(items.elementIndex())) {
                continue;
            }
            ItemArrays control;
            status = computeLiveItem(block, geometry, items, target, flags.precision, uv, flags.surfaceId,
                                     control);
            if (!status) {
                return status;
            }
            controls.push_back(control);
        }
        items.jumpToArrayElement(ordinal);
    }
    ItemArrays arrays;
    status = computeLiveItem(block, geometry, items, target, flags.precision, uv, flags.surfaceId, arrays);
    if (!status) {
        return status;
    }
    selectEntries(arrays, uv, preparedPointCount);
    if (flags.bezier && itemCount >= 2) {
        storeBezierControls(geometry, target, controls, arrays, uv);
    }
    ItemBuffers& buffers = itemBuffers[geometry][k];
    fillItemBuffers(arrays, uv, buffers);
    uploadFailed = KIVO_CL_CHECK(buffers.indices.upload()) != CL_SUCCESS || uploadFailed;
    uploadFailed = KIVO_CL_CHECK(buffers.points.upload()) != CL_SUCCESS || uploadFailed;
    uploadFailed = KIVO_CL_CHECK(buffers.uvs.upload()) != CL_SUCCESS || uploadFailed;
    if (geometry < itemWeights.size() && k < itemWeights[geometry].size()) {
        std::vector<float> values;
        itemWeightValues(weights, group, arrays, values);
        itemWeights[geometry][k].assign(std::move(values));
        uploadFailed = KIVO_CL_CHECK(itemWeights[geometry][k].upload()) != CL_SUCCESS || uploadFailed;
    }
    return MS::kSuccess;
}

MStatus KivoMorphGPU::computeLiveItem(MDataBlock& block, unsigned int geometry, MArrayDataHandle& items,
                                      unsigned int target, double targetPrecision, bool uv, int surfaceId,
                                      ItemArrays& arrays) {
    if (node == nullptr) {
        return MS::kFailure;
    }
    arrays.entries.clear();
    return node->liveItemArrays(block, geometry, items, target, targetPrecision, uv, surfaceId,
                                arrays.indices, arrays.points, arrays.uvs);
}
