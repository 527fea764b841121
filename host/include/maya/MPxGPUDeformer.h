#pragma once
// GPU overrides of deformer nodes: the buffers they exchange with the GPU deformer evaluator and the
// base class of an override.
#include <maya/MOpenCLAutoPtr.h>
#include <maya/MPlug.h>
#include <maya/MUniqueString.h>

class MDataBlock;
class MEvaluationNode;
class MObject;
class MPlugArray;

// One named buffer of the evaluation, tied to a plug of the deformer.
class MGPUDeformerBuffer {
public:
    MGPUDeformerBuffer() = default;
    MGPUDeformerBuffer(const MPlug& plug, const MUniqueString& name, bool readOnly,
                       unsigned int elementSizeInBytes, unsigned int elementCount,
                       unsigned int capacityInBytes, const MAutoCLMem& buffer, const MAutoCLEvent& event);
    bool isValid() const { return fValid; }
    const MUniqueString name() const { return fName; }
    const MPlug plug() const { return fPlug; }
    bool isReadOnly() const { return fReadOnly; }
    unsigned int elementSizeInBytes() const { return fElementSize; }
    unsigned int elementCount() const { return fElementCount; }
    unsigned int capacityInBytes() const { return fCapacity; }
    const MAutoCLMem buffer() const { return fBuffer; }
    MAutoCLEvent bufferReadyEvent() const { return fEvent; }
    void setBufferReadyEvent(const MAutoCLEvent& event) { fEvent = event; }

private:
    bool fValid = false;
    MPlug fPlug;
    MUniqueString fName;
    bool fReadOnly = true;
    unsigned int fElementSize = 0;
    unsigned int fElementCount = 0;
    unsigned int fCapacity = 0;
    MAutoCLMem fBuffer;
    MAutoCLEvent fEvent;
};

// The buffers handed into or out of one evaluation. It refers to them; it does not own the storage.
class MGPUDeformerData {
public:
    // Host side only: impl is the host's list of buffers, which outlives this object.
    explicit MGPUDeformerData(void* impl) : fImpl(impl) {}
    MGPUDeformerData(const MGPUDeformerData& other) = default;
    virtual ~MGPUDeformerData() = default;
    // Replaces the buffer of the same name and plug, or adds it.
    virtual void setBuffer(const MGPUDeformerBuffer& buffer);
    // The first buffer of that name, or an invalid one.
    virtual MGPUDeformerBuffer getBuffer(const MUniqueString& name) const;
    // The buffer of that name for that plug, or an invalid one.
    virtual MGPUDeformerBuffer getBuffer(const MUniqueString& name, const MPlug& plug) const;

private:
    void* fImpl;
};

class MPxGPUDeformer {
public:
    enum DeformerStatus {
        kDeformerSuccess = 0,
        kDeformerFailure,
        kDeformerRetryMainThread,
        kDeformerPassThrough,
    };

    MPxGPUDeformer() = default;
    virtual ~MPxGPUDeformer() = default;
    MPxGPUDeformer(const MPxGPUDeformer&) = delete;
    MPxGPUDeformer& operator=(const MPxGPUDeformer&) = delete;

    // Deforms the geometry of outputPlug: reads inputData and sets the output positions in outputData.
    // The base fails, so that an override that does not implement it leaves the deformer on the CPU.
    virtual DeformerStatus evaluate(MDataBlock& block, const MEvaluationNode& evaluationNode,
                                    const MPlug& outputPlug, const MPlugArray& inputPlugs,
                                    const MGPUDeformerData& inputData, MGPUDeformerData& outputData);
    // Releases every GPU resource; called before the override is deleted or set aside.
    virtual void terminate();

    // Whether the attribute changed on the node since this override's last evaluation.
    static bool hasAttributeBeenModified(const MEvaluationNode& evaluationNode, const MObject& attribute);
    // Names of the evaluator's buffers: positions (3 floats per point) and the geometry's local-to-world
    // matrix (16 floats, row by row).
    static MUniqueString sPositionsName();
    static MUniqueString sGeometryMatrixName();
};
