// The evaluation: change detection, data preparation, one launch of the item kernel per contributing item
// and the final kernel into Maya's output positions.

#include "kivoMorph/inbetween.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorphGPU/gpuReport.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MEvaluationNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MOpenCLInfo.h>
#include <maya/MPlugArray.h>

#include <cmath>
#include <tuple>

namespace {

// Attributes whose change invalidates the item data and the item weights, and those that invalidate
// the item data alone.
bool anyModified(const MEvaluationNode& node, std::initializer_list<const MObject*> attributes) {
    for (const MObject* attribute : attributes) {
        if (MPxGPUDeformer::hasAttributeBeenModified(node, *attribute)) {
            return true;
        }
    }
    return false;
}

// The item weight list of a target: one entry per element of its inputTargetItem array.
std::vector<float> targetItemWeights(MDataBlock& block, unsigned int geometry, unsigned int target) {
    std::vector<unsigned int> indices;
    MStatus status;
    MArrayDataHandle geometries = block.inputArrayValue(KivoMorph::inputTarget, &status);
    if (!status || !geometries.jumpToElement(geometry)) {
        return {};
    }
    MArrayDataHandle targets(geometries.inputValue().child(KivoMorph::inputTargetGroup), &status);
    if (!status || !targets.jumpToElement(target)) {
        return {};
    }
    MArrayDataHandle items(targets.inputValue().child(KivoMorph::inputTargetItem), &status);
    for (unsigned int p = 0; status && p < items.elementCount(); ++p) {
        items.jumpToArrayElement(p);
        indices.push_back(items.elementIndex());
    }
    return inbetween::itemWeightList(indices);
}

} // namespace

template <typename C>
cl_int KivoMorphGPU::bindContainer(const MAutoCLKernel& kernel, cl_uint index, const C& container,
                                   int line) const {
    cl_int error = container.waitForWrite();
    if (error != CL_SUCCESS) {
        reportOpenCLError(error, line);
    }
    const MAutoCLMem& buffer = container.buffer.isNull() ? dummyBuffer.buffer() : container.buffer;
    error = clSetKernelArg(kernel.get(), index, sizeof(cl_mem), buffer.getReadOnlyRef());
    if (error != CL_SUCCESS) {
        reportOpenCLError(error, line);
    }
    return error;
}

void KivoMorphGPU::detectChanges(const MEvaluationNode& node, bool& offsetChanged, bool& curvatureChanged) {
    offsetChanged = hasAttributeBeenModified(node, KivoMorph::targetOffset);
    curvatureChanged = hasAttributeBeenModified(node, KivoMorph::targetCurvature);
    if (anyModified(node, {&KivoMorph::targetRebind, &KivoMorph::rebind, &KivoMorph::precision,
                           &KivoMorph::targetBlendLive, &KivoMorph::origin, &KivoMorph::inputSurface,
                           &KivoMorph::inputTargetSurface, &KivoMorph::inputSurfaceGroup})) {
        dataDirty = true;
        weightsDirty = true;
    } else if (anyModified(node, {&KivoMorph::targetBlendBezier, &KivoMorph::targetBlendUV,
                                  &KivoMorph::inputSurfaceOrigin, &KivoMorph::targetSurfaceId})) {
        dataDirty = true;
    }
    // The node's gpuDataChanged is one flag for all its overrides (one per geometry), and the first to
    // evaluate clears it: each override also looks at the weights itself.
    if (anyModified(node, {&MPxDeformerNode::weightList, &MPxDeformerNode::weights, &KivoMorph::baseWeights,
                           &KivoMorph::targetWeights})) {
        weightsDirty = true;
    }
}

MStatus KivoMorphGPU::refreshItemTable(MDataBlock& block, unsigned int geometry) {
    ItemTable& table = itemTables[geometry];
    MStatus status;
    MArrayDataHandle geometries = block.inputArrayValue(KivoMorph::inputTarget, &status);
    if (!status || !geometries.jumpToElement(geometry)) {
        return status;
    }
    MArrayDataHandle targets(geometries.inputValue().child(KivoMorph::inputTargetGroup), &status);
    std::size_t k = 0;
    for (unsigned int p = 0; status && p < targets.elementCount() && k < table.size(); ++p) {
        targets.jumpToArrayElement(p);
        const unsigned int target = targets.elementIndex();
        MDataHandle group = targets.inputValue(&status);
        if (!status) {
            break;
        }
        MArrayDataHandle items(group.child(KivoMorph::inputTargetItem), &status);
        const unsigned int itemCount = items.elementCount();
        for (unsigned int o = 0; status && o < itemCount && k < table.size(); ++o) {
            items.jumpToArrayElement(o);
            const unsigned int index = items.elementIndex();
            if (inbetween::isRestItem(index)) {
                continue;
            }
            table.position[k] = inbetween::itemWeight(index);
            table.itemCount[k] = itemCount;
            table.ordinal[k] = o;
            table.targetIndex[k] = target;
            const TargetSettings settings = KivoMorph::targetSettingsOf(group);
            table.offset[k] = static_cast<float>(settings.offset);
            table.blendUV[k] = settings.uv ? 1 : 0;
            table.surfaceId[k] = settings.surfaceId;
            table.blendLive[k] = settings.live ? 1 : 0;
            table.bezier[k] = settings.bezier ? 1 : 0;
            table.curvature[k] = settings.curvature;
            ++k;
        }
    }
    return status;
}

bool KivoMorphGPU::surfaceDataMissing(unsigned int geometry, TargetWeights& weights) const {
    const ItemTable& table = itemTables[geometry];
    for (std::size_t k = 0; k < table.size(); ++k) {
        if (table.blendUV[k] == 0 || !(std::fabs(weights[table.targetIndex[k]]) > 1e-8f)) {
            continue;
        }
        const auto groups = surfaceGroupBuffers.find(table.surfaceId[k]);
        if (surfaceBuffers.count(table.surfaceId[k]) == 0 || groups == surfaceGroupBuffers.end() ||
            groups->second.size() <= geometry || !groups->second[geometry].valid) {
            return true;
        }
    }
    return false;
}

bool KivoMorphGPU::itemFactor(MDataBlock& block, unsigned int geometry, std::size_t k, float w,
                              ItemWeightLists& lists, float& factor, bool& bezier) const {
    const ItemTable& table = itemTables[geometry];
    const std::uint32_t n = table.itemCount[k];
    const std::uint32_t o = table.ordinal[k];
    const unsigned int target = table.targetIndex[k];
    bezier = false;
    factor = w;
    if (n < 2) {
        return true;
    }
    if (table.bezier[k] != 0) {
        if (o != n - 1) {
            return false;
        }
        // Without an inbetween to curve through, the CPU blends the full target by the inbetween rule.
        const auto targets = bezierControls.find(geometry);
        if (targets != bezierControls.end()) {
            const auto controls = targets->second.find(target);
            bezier = controls != targets->second.end() && controls->second.controlCount > 0;
        }
        if (bezier) {
            return true;
        }
    }
    auto list = lists.find(target);
    if (list == lists.end()) {
        list = lists.emplace(target, targetItemWeights(block, geometry, target)).first;
    }
    const std::optional<float> segment = inbetween::segmentFactor(list->second, o, w);
    if (!segment) {
        return false;
    }
    factor = *segment;
    return true;
}

KivoMorphGPU::DeformerStatus KivoMorphGPU::launchItems(MDataBlock& block, unsigned int geometry,
                                                       TargetWeights& weights,
                                                       const MAutoCLEventList& firstWaits,
                                                       MAutoCLEvent& lastEvent, bool& launched) {
    const ItemTable& table = itemTables[geometry];
    std::vector<ItemBuffers>& items = itemBuffers[geometry];
    ItemWeightLists weightLists;
    const MAutoCLKernel& kernel = blendTargetItemKernel;
    for (std::size_t k = 0; k < items.size() && k < table.size(); ++k) {
        const unsigned int target = table.targetIndex[k];
        const float w = weights[target];
        if (w == 0.0f) {
            continue;
        }
        MAutoCLEventList waits;
        if (lastEvent.isNull()) {
            waits = firstWaits;
        } else {
            waits.add(lastEvent);
        }
        float factor = w;
        bool bezier = false;
        if (!itemFactor(block, geometry, k, w, weightLists, factor, bezier)) {
            continue;
        }
        launched = true;
        if (table.blendLive[k] != 0 && !dataDirty &&
            !refreshLiveItem(block, geometry, target, table.ordinal[k], table.blendUV[k] != 0, k)) {
            MGlobal::displayWarning(" Failed to get real time liveBlend data.. ");
            continue;
        }
        if (uploadFailed) {
            return kDeformerFailure;
        }
        ItemBuffers& item = items[k];
        const cl_uint count = static_cast<cl_uint>(item.indices.deviceCount);
        if (count == 0) {
            continue;
        }
        // The kernel reads every buffer for all count entries: one that an upload left short is never
        // bound, and the data is read again at the next evaluation.
        const bool weightsReady = geometry < itemWeights.size() && k < itemWeights[geometry].size() &&
                                  itemWeights[geometry][k].deviceCount == count;
        const bool controlsReady =
            !bezier || bezierControls[geometry][target].controlPoints.deviceCount ==
                           std::uint64_t{count} * bezierControls[geometry][target].controlCount;
        if (item.points.deviceCount != 3 * std::uint64_t{count} ||
            (table.blendUV[k] != 0 && item.uvs.deviceCount != 2 * std::uint64_t{count}) || !controlsReady) {
            dataDirty = true;
            continue;
        }
        if (!weightsReady) {
            weightsDirty = true;
            continue;
        }
        if (bezier) {
            const BezierControlBuffers& controls = bezierControls[geometry][target];
            bindContainer(kernel, 19, controls.controlPoints, __LINE__);
            bindContainer(kernel, 20, controls.controlUVs, __LINE__);
            const cl_uint controlCount = controls.controlCount;
            KIVO_SET_VALUE(kernel, 21, controlCount);
            const float curvature = table.curvature[k];
            KIVO_SET_VALUE(kernel, 23, curvature);
        }
        bindContainer(kernel, 3, item.points, __LINE__);
        bindContainer(kernel, 4, item.indices, __LINE__);
        if (table.blendUV[k] != 0) {
            bindContainer(kernel, 5, item.uvs, __LINE__);
        } else {
            KIVO_SET_BUFFER(kernel, 5, dummyBuffer.buffer());
        }
        KIVO_SET_VALUE(kernel, 16, count);
        bindContainer(kernel, 18, itemWeights[geometry][k], __LINE__);
        const cl_int bezierFlag = bezier ? 1 : 0;
        KIVO_SET_VALUE(kernel, 22, bezierFlag);
        if (table.blendUV[k] != 0) {
            const auto groups = surfaceGroupBuffers.find(table.surfaceId[k]);
            const auto surface = surfaceBuffers.find(table.surfaceId[k]);
            if (groups == surfaceGroupBuffers.end() || surface == surfaceBuffers.end() ||
                groups->second.size() <= geometry || !groups->second[geometry].valid ||
                groups->second[geometry].surfaceUVs.deviceCount != 2 * std::uint64_t{affectCount()}) {
                dataDirty = true;
                return kDeformerRetryMainThread;
            }
            const SurfaceGroupBuffers& group = groups->second[geometry];
            bindContainer(kernel, 6, group.relativePoints, __LINE__);
            bindContainer(kernel, 7, group.surfacePoints, __LINE__);
            bindContainer(kernel, 8, group.surfaceUVs, __LINE__);
            bindContainer(kernel, 9, surface->second.cvs, __LINE__);
            bindContainer(kernel, 10, surface->second.knotsU, __LINE__);
            bindContainer(kernel, 11, surface->second.knotsV, __LINE__);
            surfaceDescriptionArg = surface->second.description;
            KIVO_SET_VALUE(kernel, 12, surfaceDescriptionArg);
            const float offset = table.offset[k];
            KIVO_SET_VALUE(kernel, 13, offset);
        }
        KIVO_SET_VALUE(kernel, 14, factor);
        const cl_int blendUV = table.blendUV[k] != 0 ? 1 : 0;
        KIVO_SET_VALUE(kernel, 15, blendUV);
        MAutoCLEvent event;
        if (launch(kernel, count, waits, event) == CL_SUCCESS) {
            lastEvent = event;
        }
    }
    return kDeformerSuccess;
}

KivoMorphGPU::DeformerStatus KivoMorphGPU::evaluate(MDataBlock& block, const MEvaluationNode& evaluationNode,
                                                    const MPlug& outputPlug, const MPlugArray& inputPlugs,
                                                    const MGPUDeformerData& inputData,
                                                    MGPUDeformerData& outputData) {
    MAutoCLEvent inputEvent;
    const DeformerStatus prepared =
        prepareEvaluation(block, evaluationNode, outputPlug, inputPlugs, inputData, outputData, inputEvent);
    if (prepared != kDeformerSuccess) {
        return prepared;
    }
    const unsigned int geometry = outputPlug.logicalIndex();
    MStatus status;
    MArrayDataHandle targetArray = block.inputArrayValue(KivoMorph::inputTarget, &status);
    if (!status || targetArray.elementCount() == 0) {
        return kDeformerPassThrough;
    }
    MArrayDataHandle weightArray = block.inputArrayValue(KivoMorph::weight, &status);
    if (!status || weightArray.elementCount() == 0) {
        return kDeformerPassThrough;
    }
    TargetWeights weights;
    for (unsigned int p = 0; p < weightArray.elementCount(); ++p) {
        weightArray.jumpToArrayElement(p);
        const unsigned int index = weightArray.elementIndex(&status);
        if (!status) {
            KIVO_GPU_PERROR(status);
            continue;
        }
        weights[index] = static_cast<float>(weightArray.inputValue().asDouble());
    }

    bool offsetChanged = false;
    bool curvatureChanged = false;
    detectChanges(evaluationNode, offsetChanged, curvatureChanged);
    MFnDependencyNode nodeFn(outputPlug.node());
    node = dynamic_cast<KivoMorph*>(nodeFn.userNode());
    if (node != nullptr) {
        if (node->gpuDataChanged) {
            weightsDirty = true;
            node->gpuDataChanged = false;
        }
        // The item arrays and bindings read here are written by the CPU evaluation when it encodes; while
        // it has encoding to do, it evaluates this time and the next evaluation reads what it wrote.
        if (node->encodingPending(block, geometry)) {
            dataDirty = true;
            weightsDirty = true;
            return kDeformerRetryMainThread;
        }
        if (node->encodingGeneration != preparedGeneration) {
            dataDirty = true;
            weightsDirty = true;
            preparedGeneration = node->encodingGeneration;
        }
    }
    MDataHandle originHandle = block.inputValue(KivoMorph::origin, &status);
    int origin = 1;
    if (status) {
        origin = originHandle.asInt();
    } else {
        KIVO_GPU_PERROR(status);
    }

    if (!loadKernels()) {
        MGlobal::displayInfo(" Failed to load Kernel! ");
        return kDeformerFailure;
    }
    prepareAffectMapBuffer();
    prepareWeightsBuffer(evaluationNode);
    const MAutoCLMem affectMap = affectMapBuffer();
    MAutoCLEvent initEvent;
    KIVO_CL_CHECK(initializeOutputPositions(initEvent));
    const unsigned int count = affectCount();
    if (count == 0) {
        return kDeformerPassThrough;
    }
    // Item entries are checked against the point count they were prepared for.
    if (count != preparedPointCount) {
        dataDirty = true;
        weightsDirty = true;
    }

    MAutoCLEvent deltaEvent, auxDeltaEvent, auxUVEvent;
    for (auto fill : {std::make_tuple(&deltaBuffer, 3u, &deltaEvent),
                      std::make_tuple(&auxDeltaBuffer, 3u, &auxDeltaEvent),
                      std::make_tuple(&auxUVBuffer, 2u, &auxUVEvent)}) {
        if (fillZero(*std::get<0>(fill), static_cast<std::size_t>(count) * std::get<1>(fill),
                     *std::get<2>(fill)) != CL_SUCCESS) {
            // Without zeroed accumulators nothing can be blended: the CPU takes over.
            KIVO_GPU_PERROR(MStatus(MS::kFailure));
            return kDeformerFailure;
        }
    }

    uploadFailed = false;
    if (dataDirty) {
        prepareItems(block, geometry, count);
        preparedPointCount = count;
    }
    if (weightsDirty && !prepareWeights(block, geometry)) {
        return kDeformerPassThrough;
    }
    if (uploadFailed) {
        return kDeformerFailure;
    }
    if (geometry < itemTables.size() && itemTables[geometry].size() > 0 &&
        surfaceDataMissing(geometry, weights)) {
        dataDirty = true;
        return kDeformerRetryMainThread;
    }
    if (!dataDirty && (offsetChanged || curvatureChanged) && geometry < itemTables.size()) {
        refreshItemTable(block, geometry);
    }
    const std::size_t itemCount = geometry < itemBuffers.size() ? itemBuffers[geometry].size() : 0;

    const std::size_t positionBytes = static_cast<std::size_t>(count) * 3 * sizeof(float);
    MAutoCLEvent copyEvent;
    cl_event copied = nullptr;
    // UV items move the working positions: without them the CPU takes over.
    if (KIVO_CL_CHECK(positionsCopyBuffer.ensureBufferSize(positionBytes)) != CL_SUCCESS ||
        KIVO_CL_CHECK(clEnqueueCopyBuffer(MOpenCLInfo::getMayaDefaultOpenCLCommandQueue(),
                                          inputPositions().buffer().get(), positionsCopyBuffer.buffer().get(),
                                          0, 0, positionBytes, 0, nullptr, &copied)) != CL_SUCCESS) {
        return kDeformerFailure;
    }
    copyEvent.attach(copied);
    const MOpenCLBuffer* working = &positionsCopyBuffer;
    MAutoCLMem reference = inputPositions().buffer();
    MAutoCLEvent worldEvent = initEvent;
    MAutoCLMem geometryMatrix;
    if (origin == 0) {
        for (unsigned int p = 0; p < inputPlugs.length() && geometryMatrix.isNull(); ++p) {
            if (inputPlugs[p].attribute() == MPxGeometryFilter::inputGeom) {
                geometryMatrix = inputData.getBuffer(sGeometryMatrixName(), inputPlugs[p]).buffer();
            }
        }
        // World space cannot be reached without the geometry's matrix.
        if (geometryMatrix.isNull() ||
            KIVO_CL_CHECK(worldPositionsBuffer.ensureBufferSize(positionBytes)) != CL_SUCCESS) {
            return kDeformerFailure;
        }
        const MAutoCLKernel& toWorld = objectToWorldSpaceKernel;
        KIVO_SET_BUFFER(toWorld, 0, worldPositionsBuffer.buffer());
        KIVO_SET_BUFFER(toWorld, 1, inputPositions().buffer());
        KIVO_SET_BUFFER(toWorld, 2, geometryMatrix);
        KIVO_SET_BUFFER(toWorld, 3, affectMap);
        const cl_uint points = count;
        KIVO_SET_VALUE(toWorld, 4, points);
        MAutoCLEventList waits;
        waits.add(initEvent);
        MAutoCLEvent event;
        if (launch(toWorld, count, waits, event) == CL_SUCCESS) {
            worldEvent = event;
        }
        working = &worldPositionsBuffer;
        reference = worldPositionsBuffer.buffer();
    }

    const MAutoCLKernel& item = blendTargetItemKernel;
    KIVO_SET_BUFFER(item, 0, working->buffer());
    KIVO_SET_BUFFER(item, 1, deltaBuffer.buffer());
    KIVO_SET_BUFFER(item, 2, auxDeltaBuffer.buffer());
    KIVO_SET_BUFFER(item, 17, auxUVBuffer.buffer());
    KIVO_SET_BUFFER(item, 24, reference);
    const float envelopeValue = envelope();
    KIVO_SET_VALUE(item, 25, envelopeValue);
    if (dataDirty) {
        for (cl_uint index : {6u, 7u, 8u, 9u, 10u, 11u, 19u, 20u}) {
            KIVO_SET_BUFFER(item, index, dummyBuffer.buffer());
        }
        surfaceDescriptionArg = SurfaceDescription();
        KIVO_SET_VALUE(item, 12, surfaceDescriptionArg);
        const cl_uint zero = 0;
        for (cl_uint index : {13u, 21u, 22u, 23u}) {
            KIVO_SET_VALUE(item, index, zero);
        }
    }
    if (itemCount == 0) {
        return kDeformerPassThrough;
    }
    MAutoCLEventList firstWaits;
    if (origin == 0) {
        firstWaits.add(worldEvent);
    }
    firstWaits.add(deltaEvent);
    firstWaits.add(auxDeltaEvent);
    firstWaits.add(auxUVEvent);
    firstWaits.add(copyEvent);
    MAutoCLEvent lastEvent;
    bool launched = false;
    const DeformerStatus itemsStatus = launchItems(block, geometry, weights, firstWaits, lastEvent, launched);
    if (itemsStatus != kDeformerSuccess) {
        return itemsStatus;
    }
    if (!launched) {
        return kDeformerPassThrough;
    }

    const MAutoCLKernel& final = blendDeltaFinalKernel;
    KIVO_SET_BUFFER(final, 0, outputPositions().buffer());
    KIVO_SET_BUFFER(final, 1, inputPositions().buffer());
    KIVO_SET_BUFFER(final, 2, deltaBuffer.buffer());
    KIVO_SET_BUFFER(final, 3, affectMap);
    KIVO_SET_VALUE(final, 4, envelopeValue);
    const cl_uint points = count;
    KIVO_SET_VALUE(final, 5, points);
    // The added argument: the geometry matrix whose linear part brings world-space deltas back.
    KIVO_SET_BUFFER(final, 6, origin == 0 ? geometryMatrix : dummyBuffer.buffer());
    const cl_int toObjectSpace = origin == 0 ? 1 : 0;
    KIVO_SET_VALUE(final, 7, toObjectSpace);
    MAutoCLEventList finalWaits;
    finalWaits.add(lastEvent);
    MAutoCLEvent finalEvent;
    launch(final, count, finalWaits, finalEvent);
    if (dataDirty) {
        dropHostCopies();
        dataDirty = false;
    }
    return finishEvaluation(finalEvent, outputData);
}
