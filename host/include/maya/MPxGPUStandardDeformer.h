#pragma once
// Base of GPU overrides that deform positions with per-point weights: it prepares the affected points,
// their weights and the output positions of each evaluation.
#include <maya/MOpenCLBuffer.h>
#include <maya/MPxGPUDeformer.h>

class MPxGPUStandardDeformer : public MPxGPUDeformer {
public:
    MPxGPUStandardDeformer() = default;
    ~MPxGPUStandardDeformer() override = default;
    void terminate() override;

protected:
    // Takes the input positions of the geometry, allocates the output positions and reads the envelope;
    // syncEvent is the event the input positions are ready with. Failure when the input data holds no
    // positions for the geometry.
    DeformerStatus prepareEvaluation(MDataBlock& block, const MEvaluationNode& evaluationNode,
                                     const MPlug& outputPlug, const MPlugArray& inputPlugs,
                                     const MGPUDeformerData& inputData, MGPUDeformerData& outputData,
                                     MAutoCLEvent& syncEvent);
    // The affected points: every point, slot i being point i.
    MStatus prepareAffectMapBuffer();
    // One float per affected point from weightList[geometry].weights (1 where missing), read again only
    // when the weights or the point count changed.
    MStatus prepareWeightsBuffer(const MEvaluationNode& evaluationNode);
    // Copies the input positions into the output positions.
    cl_int initializeOutputPositions(MAutoCLEvent& syncEvent);
    // Hands the output positions, ready once syncEvent completes, to the output data.
    DeformerStatus finishEvaluation(const MAutoCLEvent& syncEvent, MGPUDeformerData& outputData);

    const MAutoCLMem affectMapBuffer() const { return fAffectMap.buffer(); }
    const MAutoCLMem weightsBuffer() const { return fWeights.buffer(); }
    unsigned int affectCount() const { return fAffectCount; }
    float envelope() const { return fEnvelope; }
    const MGPUDeformerBuffer& inputPositions() const { return fInputPositions; }
    MGPUDeformerBuffer& outputPositions() { return fOutputPositions; }

private:
    MDataBlock* fBlock = nullptr;
    unsigned int fGeometry = 0;
    unsigned int fAffectCount = 0;
    float fEnvelope = 1.0f;
    MGPUDeformerBuffer fInputPositions;
    MGPUDeformerBuffer fOutputPositions;
    MOpenCLBuffer fOutputStorage;
    MOpenCLBuffer fAffectMap;
    unsigned int fAffectMapCount = 0;
    MOpenCLBuffer fWeights;
    unsigned int fWeightsCount = 0;
};
