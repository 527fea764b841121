#include "deformer/BlendShape.h"
#include "core/HostInit.h"
#include "dag/BuiltinTypes.h"
#include <maya/MArrayDataHandle.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnGenericAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxGeometryFilter.h>
#include <vector>

namespace khost {

namespace {

struct BlendShapeAttributes {
    MObject weight, inputTarget, inputTargetGroup, inputTargetItem, inputGeomTarget, targetWeights;
} attributes;

// Every point's weight of one target: the stored elements, 1.0 for the others.
std::vector<double> pointWeights(MArrayDataHandle stored, unsigned int count) {
    std::vector<double> weights(count, 1.0);
    for (unsigned int k = 0; k < stored.elementCount(); ++k) {
        stored.jumpToArrayElement(k);
        const unsigned int index = stored.elementIndex();
        if (index < count)
            weights[index] = stored.inputValue().asFloat();
    }
    return weights;
}

class BlendShapeNode : public MPxGeometryFilter {
public:
    static MStatus initialize() {
        BlendShapeAttributes& a = attributes;
        MFnNumericAttribute numeric;
        a.weight = numeric.create("weight", "w", MFnNumericData::kFloat, 0.0);
        numeric.setArray(true);
        numeric.setKeyable(true);
        a.targetWeights = numeric.create("targetWeights", "tw", MFnNumericData::kFloat, 1.0);
        numeric.setArray(true);
        numeric.setUsesArrayDataBuilder(true);
        MFnGenericAttribute generic;
        a.inputGeomTarget = generic.create("inputGeomTarget", "igt");
        generic.addDataAccept(MFnData::kMesh);
        generic.addDataAccept(MFnData::kNurbsCurve);
        MFnCompoundAttribute compound;
        a.inputTargetItem = compound.create("inputTargetItem", "iti");
        compound.addChild(a.inputGeomTarget);
        compound.setArray(true);
        compound.setUsesArrayDataBuilder(true);
        a.inputTargetGroup = compound.create("inputTargetGroup", "itg");
        compound.addChild(a.inputTargetItem);
        compound.addChild(a.targetWeights);
        compound.setArray(true);
        compound.setUsesArrayDataBuilder(true);
        a.inputTarget = compound.create("inputTarget", "it");
        compound.addChild(a.inputTargetGroup);
        compound.setArray(true);
        compound.setUsesArrayDataBuilder(true);
        for (const MObject* attribute : {&a.weight, &a.inputTarget}) {
            addAttribute(*attribute);
            attributeAffects(*attribute, outputGeom);
        }
        return MS::kSuccess;
    }

    MStatus deform(MDataBlock& block, MItGeometry& iter, const MMatrix&, unsigned int multiIndex) override {
        const BlendShapeAttributes& a = attributes;
        const double scale = block.inputValue(envelope).asFloat();
        MArrayDataHandle weights = block.inputArrayValue(a.weight);
        MArrayDataHandle geometries = block.inputArrayValue(a.inputTarget);
        if (scale == 0.0 || !geometries.jumpToElement(multiIndex))
            return MS::kSuccess;
        MArrayDataHandle groups(geometries.inputValue().child(a.inputTargetGroup));
        MPointArray base;
        MStatus status = iter.allPositions(base);
        if (!status)
            return status;
        MPointArray result = base;
        for (unsigned int k = 0; k < weights.elementCount(); ++k) {
            weights.jumpToArrayElement(k);
            const double weight = weights.inputValue().asFloat() * scale;
            if (weight == 0.0 || !groups.jumpToElement(weights.elementIndex()))
                continue;
            MDataHandle group = groups.inputValue();
            MArrayDataHandle items(group.child(a.inputTargetItem));
            if (!items.jumpToElement(kFullTargetItem))
                continue;
            MDataHandle geometry = items.inputValue().child(a.inputGeomTarget);
            MItGeometry target(geometry, true, &status);
            MPointArray targetPoints;
            // A target without geometry, or with another point count, moves nothing.
            if (!status || !target.allPositions(targetPoints) || targetPoints.length() != base.length())
                continue;
            const std::vector<double> perPoint =
                pointWeights(MArrayDataHandle(group.child(a.targetWeights)), base.length());
            for (unsigned int i = 0; i < base.length(); ++i)
                result[i] += (targetPoints[i] - base[i]) * (weight * perPoint[i]);
        }
        return iter.setAllPositions(result);
    }
};

} // namespace

void registerDeformerTypes() {
    registerBuiltinClass(
        "blendShape", MTypeId(0x46424c53), NodeRole::Deformer, MFn::kBlendShape,
        []() -> void* { return new BlendShapeNode(); }, BlendShapeNode::initialize, MPxNode::kGeometryFilter);
}

} // namespace khost
