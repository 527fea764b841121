#pragma once
// Registration of GPU overrides for deformer node types.
#include <maya/MStatus.h>
#include <maya/MString.h>

class MDataBlock;
class MEvaluationNode;
class MObjectArray;
class MPlug;
class MPxGPUDeformer;
class MStringArray;

// What a plug-in hands to the registry for one deformer node type: a factory for the override and the
// checks that decide whether a node may run on the GPU.
class MGPUDeformerRegistrationInfo {
public:
    MGPUDeformerRegistrationInfo() = default;
    virtual ~MGPUDeformerRegistrationInfo() = default;
    virtual MPxGPUDeformer* createGPUDeformer() = 0;
    virtual bool validateNodeInGraph(MDataBlock& block, const MEvaluationNode& evaluationNode,
                                     const MPlug& plug, MStringArray* messages) = 0;
    virtual bool validateNodeValues(MDataBlock& block, const MEvaluationNode& evaluationNode,
                                    const MPlug& plug, MStringArray* messages) = 0;
    // Appends the attributes whose plugs the evaluator hands to evaluate as input plugs; the base
    // appends the deformer's inputGeom.
    virtual void inputAttributes(MObjectArray& attributes);
};

class MGPUDeformerRegistry {
public:
    // The registry keeps the pointer; the caller keeps the object alive until it deregisters it.
    static MStatus registerGPUDeformerCreator(const MString& nodeClassName, const MString& registrantId,
                                              MGPUDeformerRegistrationInfo* registrationInfo);
    static MStatus deregisterGPUDeformerCreator(const MString& nodeClassName, const MString& registrantId);
};
