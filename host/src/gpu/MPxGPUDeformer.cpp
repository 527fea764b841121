// The buffers of a GPU evaluation, the names they go by and the base of GPU overrides.
#include "gpu/DeformerEvaluator.h"
#include <maya/MEvaluationNode.h>
#include <maya/MPxGPUDeformer.h>
#include <set>
#include <string>

MUniqueString MUniqueString::intern(const MString& text) {
    // Node-based, so the texts never move.
    static std::set<std::string> interned;
    return MUniqueString(interned.insert(text.asChar()).first->c_str());
}

MObject MEvaluationNode::dependencyNode(MStatus* ReturnStatus) const {
    const auto* record = static_cast<const khost::gpu::EvaluationRecord*>(fRecord);
    const bool found = record && record->node && record->node->alive();
    if (ReturnStatus)
        *ReturnStatus = found ? MS::kSuccess : MS::kFailure;
    return found ? record->node->handle() : MObject();
}

MGPUDeformerBuffer::MGPUDeformerBuffer(const MPlug& plug, const MUniqueString& name, bool readOnly,
                                       unsigned int elementSizeInBytes, unsigned int elementCount,
                                       unsigned int capacityInBytes, const MAutoCLMem& buffer,
                                       const MAutoCLEvent& event)
    : fValid(!buffer.isNull()), fPlug(plug), fName(name), fReadOnly(readOnly),
      fElementSize(elementSizeInBytes), fElementCount(elementCount), fCapacity(capacityInBytes),
      fBuffer(buffer), fEvent(event) {}

void MGPUDeformerData::setBuffer(const MGPUDeformerBuffer& buffer) {
    auto& buffers = *static_cast<khost::gpu::DeformerBuffers*>(fImpl);
    for (MGPUDeformerBuffer& existing : buffers)
        if (existing.name() == buffer.name() && existing.plug() == buffer.plug()) {
            existing = buffer;
            return;
        }
    buffers.push_back(buffer);
}

MGPUDeformerBuffer MGPUDeformerData::getBuffer(const MUniqueString& name) const {
    for (const MGPUDeformerBuffer& buffer : *static_cast<const khost::gpu::DeformerBuffers*>(fImpl))
        if (buffer.name() == name)
            return buffer;
    return MGPUDeformerBuffer();
}

MGPUDeformerBuffer MGPUDeformerData::getBuffer(const MUniqueString& name, const MPlug& plug) const {
    for (const MGPUDeformerBuffer& buffer : *static_cast<const khost::gpu::DeformerBuffers*>(fImpl))
        if (buffer.name() == name && buffer.plug() == plug)
            return buffer;
    return MGPUDeformerBuffer();
}

MPxGPUDeformer::DeformerStatus MPxGPUDeformer::evaluate(MDataBlock&, const MEvaluationNode&, const MPlug&,
                                                        const MPlugArray&, const MGPUDeformerData&,
                                                        MGPUDeformerData&) {
    return kDeformerFailure;
}

void MPxGPUDeformer::terminate() {}

bool MPxGPUDeformer::hasAttributeBeenModified(const MEvaluationNode& evaluationNode,
                                              const MObject& attribute) {
    const auto* record = static_cast<const khost::gpu::EvaluationRecord*>(evaluationNode.record());
    const auto definition = khost::attributeOf(attribute);
    return record && definition && record->modified.count(definition.get()) > 0;
}

MUniqueString MPxGPUDeformer::sPositionsName() {
    static const MUniqueString name = MUniqueString::intern("positions");
    return name;
}

MUniqueString MPxGPUDeformer::sGeometryMatrixName() {
    static const MUniqueString name = MUniqueString::intern("geometryMatrix");
    return name;
}
