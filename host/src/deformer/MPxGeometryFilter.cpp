// The geometry filter and deformer base attributes, their compute, and the inheritance of those
// attributes by deformer classes.
#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include "gpu/DeformerEvaluator.h"
#include <maya/MArrayDataHandle.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnGenericAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxDeformerNode.h>

namespace {

struct BaseAttributes {
    MObject input, inputGeom, groupId, outputGeom, envelope, weightList, weights;

    BaseAttributes() {
        MFnGenericAttribute generic;
        inputGeom = generic.create("inputGeometry", "ig");
        for (MFnData::Type accepted : {MFnData::kMesh, MFnData::kNurbsCurve, MFnData::kNurbsSurface})
            generic.addDataAccept(accepted);
        MFnNumericAttribute numeric;
        groupId = numeric.create("groupId", "gi", MFnNumericData::kInt, 0);
        MFnCompoundAttribute compound;
        input = compound.create("input", "ip");
        compound.addChild(inputGeom);
        compound.addChild(groupId);
        compound.setArray(true);

        outputGeom = generic.create("outputGeometry", "og");
        for (MFnData::Type accepted : {MFnData::kMesh, MFnData::kNurbsCurve, MFnData::kNurbsSurface})
            generic.addDataAccept(accepted);
        generic.setArray(true);
        generic.setUsesArrayDataBuilder(true);
        generic.setWritable(false);
        generic.setStorable(false);

        envelope = numeric.create("envelope", "en", MFnNumericData::kFloat, 1.0);
        numeric.setKeyable(true);

        weights = numeric.create("weights", "w", MFnNumericData::kFloat, 1.0);
        numeric.setArray(true);
        numeric.setUsesArrayDataBuilder(true);
        weightList = compound.create("weightList", "wl");
        compound.addChild(weights);
        compound.setArray(true);
        compound.setUsesArrayDataBuilder(true);
    }
};

// Built once, before any plug-in's initialize refers to the statics.
const BaseAttributes& base() {
    static const BaseAttributes attributes;
    return attributes;
}

} // namespace

MObject MPxGeometryFilter::input = base().input;
MObject MPxGeometryFilter::inputGeom = base().inputGeom;
MObject MPxGeometryFilter::groupId = base().groupId;
MObject MPxGeometryFilter::outputGeom = base().outputGeom;
MObject MPxGeometryFilter::envelope = base().envelope;
MObject MPxDeformerNode::weightList = base().weightList;
MObject MPxDeformerNode::weights = base().weights;

namespace khost {

void prepareNodeClass(NodeClass& nodeClass) {
    bool deformer = nodeClass.pxType == MPxNode::kDeformerNode;
    if (!deformer && nodeClass.pxType != MPxNode::kGeometryFilter)
        return;
    const BaseAttributes& a = base();
    std::vector<const MObject*> inherited{&a.input, &a.outputGeom, &a.envelope};
    if (deformer)
        inherited.push_back(&a.weightList);
    // Inherited attributes come first, as in Maya's attribute order.
    NodeClass own;
    for (const MObject* attribute : inherited)
        own.addAttribute(attributeOf(*attribute));
    for (auto& attribute : nodeClass.attributes)
        if (!own.has(attribute.get()))
            own.attributes.push_back(attribute);
    nodeClass.attributes = std::move(own.attributes);
    const Attribute* output = attributeOf(a.outputGeom).get();
    for (const MObject* attribute : inherited) {
        if (attribute == &a.outputGeom)
            continue;
        const Attribute* source = attributeOf(*attribute).get();
        nodeClass.addAffects(source, output);
        // Geometry g's input and weights concern outputGeometry[g] alone.
        if (source->array)
            nodeClass.elementwiseAffects.insert({source, output});
    }
}

} // namespace khost

MStatus MPxGeometryFilter::compute(const MPlug& plug, MDataBlock& block) {
    if (plug.attribute() != outputGeom || !plug.isElement())
        return MS::kUnknownParameter;
    const unsigned int multiIndex = plug.logicalIndex();
    MPlug source(thisMObject(), inputGeom);
    source.selectAncestorLogicalIndex(multiIndex, input);
    MStatus status;
    MDataHandle in = block.inputValue(source, &status);
    MDataHandle out = block.outputValue(plug);
    // Without input geometry there is nothing to deform: the output holds none either.
    if (!status || in.data().isNull()) {
        out.set(MObject());
        out.setClean();
        return MS::kSuccess;
    }
    out.copy(in);
    // With the GPU deformer evaluator on, the node type's GPU override deforms it when it can.
    if (khost::gpu::evaluateOnGPU(khost::nodeOf(thisMObject()), block, plug, in, out)) {
        out.setClean();
        return MS::kSuccess;
    }
    MItGeometry iter(out, false, &status);
    if (status)
        status = deform(block, iter, in.geometryTransformMatrix(), multiIndex);
    out.setClean();
    return status;
}

MStatus MPxGeometryFilter::deform(MDataBlock&, MItGeometry&, const MMatrix&, unsigned int) {
    return MS::kSuccess;
}

float MPxDeformerNode::weightValue(MDataBlock& mblock, unsigned int multiIndex, unsigned int wtIndex) {
    MStatus status;
    MArrayDataHandle lists = mblock.inputArrayValue(weightList, &status);
    if (!status || !lists.jumpToElement(multiIndex))
        return 1.0f;
    MArrayDataHandle values(lists.inputValue().child(weights), &status);
    if (!status || !values.jumpToElement(wtIndex))
        return 1.0f;
    return values.inputValue().asFloat();
}
