// The node's attributes. Leaves are registered and declared to affect the output as soon as
// they are created, before their compounds take them as children.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MFnAttribute.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnData.h>
#include <maya/MFnGenericAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnTypedAttribute.h>

#include <initializer_list>

namespace {

void addAffecting(const MObject& attribute) {
    KivoMorph::addAttribute(attribute);
    KivoMorph::attributeAffects(attribute, KivoMorph::outputGeom);
}

MObject createNumeric(const char* longName, const char* shortName, MFnNumericData::Type type, double value) {
    MFnNumericAttribute fn;
    return fn.create(longName, shortName, type, value);
}

MObject createWeightArray(const char* longName, const char* shortName) {
    MFnNumericAttribute fn;
    MObject attribute = fn.create(longName, shortName, MFnNumericData::kDouble, 1.0);
    fn.setArray(true);
    fn.setUsesArrayDataBuilder(true);
    return attribute;
}

MObject createTyped(const char* longName, const char* shortName, MFnData::Type type,
                    MStatus* status = nullptr) {
    MFnTypedAttribute fn;
    return fn.create(longName, shortName, type, MObject::kNullObj, status);
}

MObject createCompound(const char* longName, const char* shortName, std::initializer_list<MObject> children,
                       bool usesBuilder, bool hidden) {
    MFnCompoundAttribute fn;
    MObject attribute = fn.create(longName, shortName);
    fn.setArray(true);
    fn.setUsesArrayDataBuilder(usesBuilder);
    fn.setHidden(hidden);
    for (const MObject& child : children) {
        fn.addChild(child);
    }
    return attribute;
}

} // namespace

MStatus KivoMorph::initialize() {
    MStatus status;
    MFnGenericAttribute genericFn;
    MFnNumericAttribute numericFn;

    inputGeomTarget = genericFn.create("inputGeomTarget", "igt");
    genericFn.addDataAccept(MFnData::kMesh);
    genericFn.addDataAccept(MFnData::kNurbsCurve);
    genericFn.setInternal(true);
    addAffecting(inputGeomTarget);

    targetWeights = createWeightArray("targetWeights", "tw");
    addAffecting(targetWeights);
    baseWeights = createWeightArray("baseWeights", "bw");
    addAffecting(baseWeights);

    targetWeightLock = createNumeric("targetWeightLock", "twl", MFnNumericData::kBoolean, 0.0);
    addAffecting(targetWeightLock);
    targetWeightNormalization =
        createNumeric("targetWeightNormalization", "twn", MFnNumericData::kBoolean, 0.0);
    addAffecting(targetWeightNormalization);
    targetBlendUV = createNumeric("targetBlendUV", "tbuv", MFnNumericData::kBoolean, 0.0);
    addAffecting(targetBlendUV);
    targetBlendBezier = createNumeric("targetBlendBezier", "tbb", MFnNumericData::kBoolean, 0.0);
    addAffecting(targetBlendBezier);
    targetSurfaceId = createNumeric("targetSurfaceId", "tsi", MFnNumericData::kInt, 0.0);
    addAffecting(targetSurfaceId);

    inputPointsTarget = createTyped("inputPointsTarget", "ipt", MFnData::kPointArray, &status);
    KIVO_MORPH_CHECK(status, "");
    status = addAttribute(inputPointsTarget);
    KIVO_MORPH_CHECK(status, "");
    attributeAffects(inputPointsTarget, outputGeom);
    inputUVTarget = createTyped("inputUVTarget", "iuvt", MFnData::kDoubleArray, &status);
    KIVO_MORPH_CHECK(status, "");
    addAffecting(inputUVTarget);
    inputPointsIndicesTarget = createTyped("inputPointsIndicesTarget", "ipit", MFnData::kIntArray, &status);
    KIVO_MORPH_CHECK(status, "");
    addAffecting(inputPointsIndicesTarget);

    // Requests and bookkeeping: they reach the output through dirty propagation instead.
    targetRebind = createNumeric("targetRebind", "trb", MFnNumericData::kBoolean, 0.0);
    addAttribute(targetRebind);
    targetCached = createNumeric("targetCached", "tib", MFnNumericData::kBoolean, 0.0);
    addAttribute(targetCached);
    targetBlendLive = createNumeric("targetBlendLive", "tbl", MFnNumericData::kBoolean, 0.0);
    addAttribute(targetBlendLive);

    inputTargetItem = createCompound(
        "inputTargetItem", "iti",
        {inputGeomTarget, inputPointsTarget, inputUVTarget, inputPointsIndicesTarget}, true, false);
    addAffecting(inputTargetItem);

    targetOffset = numericFn.create("targetOffset", "to", MFnNumericData::kDouble, 1.0);
    numericFn.setMin(0.0);
    numericFn.setMax(1.0);
    numericFn.setDisconnectBehavior(MFnAttribute::kReset);
    addAffecting(targetOffset);
    targetCurvature = createNumeric("targetCurvature", "tc", MFnNumericData::kFloat, 1.0);
    addAffecting(targetCurvature);
    targetPrecision = numericFn.create("targetPrecision", "tp", MFnNumericData::kDouble, 1.0);
    numericFn.setMin(0.0);
    numericFn.setMax(100.0);
    addAffecting(targetPrecision);

    inputTargetGroup =
        createCompound("inputTargetGroup", "itg",
                       {inputTargetItem, targetWeights, targetWeightLock, targetWeightNormalization,
                        targetSurfaceId, targetBlendLive, targetBlendUV, targetBlendBezier, targetOffset,
                        targetCurvature, targetPrecision, targetRebind, targetCached},
                       false, false);
    addAffecting(inputTargetGroup);

    // Registered only through inputSurface, but declared to affect the output right away.
    inputTargetSurface = createTyped("inputTargetSurface", "is", MFnData::kNurbsSurface);
    attributeAffects(inputTargetSurface, outputGeom);

    inputRelativePoints = createTyped("inputRelativePoints", "idp", MFnData::kPointArray);
    addAffecting(inputRelativePoints);
    inputSurfacePoints = createTyped("inputSurfacePoints", "isp", MFnData::kPointArray);
    addAffecting(inputSurfacePoints);
    inputSurfaceUV = createTyped("inputSurfaceUV", "isuv", MFnData::kDoubleArray);
    addAffecting(inputSurfaceUV);
    inputSurfaceGroup = createCompound(
        "inputSurfaceGroup", "isg", {inputRelativePoints, inputSurfacePoints, inputSurfaceUV}, true, false);
    addAffecting(inputSurfaceGroup);

    inputSurfaceOrigin = createNumeric("inputSurfaceOrigin", "iso", MFnNumericData::kInt, 1.0);
    attributeAffects(inputSurfaceOrigin, outputGeom);
    inputSurface = createCompound("inputSurface", "ss",
                                  {inputSurfaceGroup, inputTargetSurface, inputSurfaceOrigin}, false, false);
    addAffecting(inputSurface);

    // The painting proxy lives only in memory: its values are the painted target's weights.
    paintTargetWeights = numericFn.create("paintTargetWeights", "ptw", MFnNumericData::kDouble, 1.0);
    numericFn.setArray(true);
    numericFn.setUsesArrayDataBuilder(true);
    numericFn.setHidden(true);
    numericFn.setInternal(true);
    numericFn.setStorable(false);
    addAttribute(paintTargetWeights);

    inbetweenTargetName = createTyped("inbetweenTargetName", "itn", MFnData::kString);
    inbetweenInfo = createCompound("inbetweenInfo", "ii", {inbetweenTargetName}, true, false);
    inbetweenInfoGroup = createCompound("inbetweenInfoGroup", "iig", {inbetweenInfo}, true, true);
    addAffecting(inbetweenInfoGroup);

    inputTarget =
        createCompound("inputTarget", "it", {inputTargetGroup, baseWeights, paintTargetWeights}, false, true);
    addAffecting(inputTarget);

    weight = numericFn.create("weight", "wt", MFnNumericData::kDouble, -9999.0);
    numericFn.setArray(true);
    numericFn.setKeyable(true);
    numericFn.setSoftMin(0.0);
    numericFn.setSoftMax(1.0);
    addAffecting(weight);

    precision = numericFn.create("precision", "prec", MFnNumericData::kDouble, 0.001);
    numericFn.setMin(0.0);
    numericFn.setMax(100.0);
    addAffecting(precision);

    rebind = numericFn.create("rebind", "rb", MFnNumericData::kBoolean, 0.0);
    numericFn.setInternal(true);
    addAffecting(rebind);

    origin = createNumeric("origin", "or", MFnNumericData::kInt, 1.0);
    addAffecting(origin);

    profilingEnabled = numericFn.create("profilingEnabled", "pe", MFnNumericData::kBoolean, 0.0);
    numericFn.setKeyable(false);
    addAffecting(profilingEnabled);
    profilingSampleRate = numericFn.create("profilingSampleRate", "psr", MFnNumericData::kInt, 30.0);
    numericFn.setMin(1.0);
    numericFn.setKeyable(false);
    addAffecting(profilingSampleRate);

    paintTargetWeightsIndex = numericFn.create("paintTargetWeightsIndex", "ptwi", MFnNumericData::kInt, 0.0);
    numericFn.setInternal(true);
    addAffecting(paintTargetWeightsIndex);

    return MS::kSuccess;
}
