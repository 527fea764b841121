#include "gpu/OpenCLRuntime.h"
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MPlugArray.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MPxGPUStandardDeformer.h>
#include <vector>

namespace {

// Replaces the buffer's contents, blocking until the copy is made.
cl_int writeBuffer(MOpenCLBuffer& buffer, const void* data, size_t bytes) {
    cl_int error = buffer.ensureBufferSize(bytes);
    if (error != CL_SUCCESS || bytes == 0)
        return error;
    return clEnqueueWriteBuffer(khost::gpu::runtime().queue, buffer.buffer().get(), CL_TRUE, 0, bytes, data,
                                0, nullptr, nullptr);
}

// OpenCL refuses buffers of no bytes.
size_t atLeastOne(size_t bytes) {
    return bytes > 0 ? bytes : 4;
}

} // namespace

MPxGPUDeformer::DeformerStatus
MPxGPUStandardDeformer::prepareEvaluation(MDataBlock& block, const MEvaluationNode&, const MPlug& outputPlug,
                                          const MPlugArray& inputPlugs, const MGPUDeformerData& inputData,
                                          MGPUDeformerData& outputData, MAutoCLEvent& syncEvent) {
    fBlock = &block;
    fGeometry = outputPlug.logicalIndex();
    MGPUDeformerBuffer positions;
    for (unsigned int p = 0; p < inputPlugs.length() && !positions.isValid(); ++p)
        if (inputPlugs[p].attribute() == MPxGeometryFilter::inputGeom)
            positions = inputData.getBuffer(sPositionsName(), inputPlugs[p]);
    if (!positions.isValid())
        return kDeformerFailure;
    MStatus status;
    MDataHandle envelopeHandle = block.inputValue(MPxGeometryFilter::envelope, &status);
    if (!status)
        return kDeformerFailure;
    const unsigned int count = positions.elementCount();
    const size_t bytes = static_cast<size_t>(count) * 3 * sizeof(float);
    if (fOutputStorage.ensureBufferSize(atLeastOne(bytes)) != CL_SUCCESS)
        return kDeformerFailure;
    fEnvelope = envelopeHandle.asFloat();
    fInputPositions = positions;
    fAffectCount = count;
    fOutputPositions =
        MGPUDeformerBuffer(outputPlug, sPositionsName(), false, 3 * sizeof(float), count,
                           static_cast<unsigned int>(bytes), fOutputStorage.buffer(), MAutoCLEvent());
    outputData.setBuffer(fOutputPositions);
    syncEvent = positions.bufferReadyEvent();
    return kDeformerSuccess;
}

MStatus MPxGPUStandardDeformer::prepareAffectMapBuffer() {
    if (!fAffectMap.buffer().isNull() && fAffectMapCount == fAffectCount)
        return MS::kSuccess;
    std::vector<cl_uint> identity(fAffectCount);
    for (unsigned int i = 0; i < fAffectCount; ++i)
        identity[i] = i;
    fAffectMapCount = 0;
    if (writeBuffer(fAffectMap, identity.data(), atLeastOne(identity.size() * sizeof(cl_uint))) != CL_SUCCESS)
        return MS::kFailure;
    fAffectMapCount = fAffectCount;
    return MS::kSuccess;
}

MStatus MPxGPUStandardDeformer::prepareWeightsBuffer(const MEvaluationNode& evaluationNode) {
    const bool modified = hasAttributeBeenModified(evaluationNode, MPxDeformerNode::weightList) ||
                          hasAttributeBeenModified(evaluationNode, MPxDeformerNode::weights);
    if (!fWeights.buffer().isNull() && fWeightsCount == fAffectCount && !modified)
        return MS::kSuccess;
    if (!fBlock)
        return MS::kFailure;
    std::vector<float> values(fAffectCount, 1.0f);
    MStatus status;
    MArrayDataHandle lists = fBlock->inputArrayValue(MPxDeformerNode::weightList, &status);
    if (status && lists.jumpToElement(fGeometry)) {
        MArrayDataHandle weights(lists.inputValue().child(MPxDeformerNode::weights), &status);
        for (unsigned int e = 0; status && e < weights.elementCount(); ++e) {
            weights.jumpToArrayElement(e);
            const unsigned int point = weights.elementIndex();
            if (point < fAffectCount)
                values[point] = weights.inputValue().asFloat();
        }
    }
    fWeightsCount = 0;
    if (writeBuffer(fWeights, values.data(), atLeastOne(values.size() * sizeof(float))) != CL_SUCCESS)
        return MS::kFailure;
    fWeightsCount = fAffectCount;
    return MS::kSuccess;
}

cl_int MPxGPUStandardDeformer::initializeOutputPositions(MAutoCLEvent& syncEvent) {
    syncEvent.reset();
    if (fAffectCount == 0)
        return CL_SUCCESS;
    MAutoCLEventList waits;
    waits.add(fInputPositions.bufferReadyEvent());
    cl_event copied = nullptr;
    const cl_int error = clEnqueueCopyBuffer(
        khost::gpu::runtime().queue, fInputPositions.buffer().get(), fOutputStorage.buffer().get(), 0, 0,
        static_cast<size_t>(fAffectCount) * 3 * sizeof(float), waits.size(), waits.array(), &copied);
    if (error == CL_SUCCESS)
        syncEvent.attach(copied);
    return error;
}

MPxGPUDeformer::DeformerStatus MPxGPUStandardDeformer::finishEvaluation(const MAutoCLEvent& syncEvent,
                                                                        MGPUDeformerData& outputData) {
    fOutputPositions.setBufferReadyEvent(syncEvent);
    outputData.setBuffer(fOutputPositions);
    return kDeformerSuccess;
}

void MPxGPUStandardDeformer::terminate() {
    fInputPositions = MGPUDeformerBuffer();
    fOutputPositions = MGPUDeformerBuffer();
    fOutputStorage.reset();
    fAffectMap.reset();
    fWeights.reset();
    fAffectMapCount = 0;
    fWeightsCount = 0;
    fAffectCount = 0;
    fBlock = nullptr;
}
