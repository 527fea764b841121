#include "kivoMorph/kivoMorph.h"

#include "common/nodeType.h"

const MTypeId KivoMorph::id = kKivoMorphTypeId;
const char* const KivoMorph::nodeTypeName = kKivoMorphTypeName;

MObject KivoMorph::inputTarget;
MObject KivoMorph::inputTargetGroup;
MObject KivoMorph::inputTargetItem;
MObject KivoMorph::inputGeomTarget;
MObject KivoMorph::inputPointsTarget;
MObject KivoMorph::inputUVTarget;
MObject KivoMorph::inputPointsIndicesTarget;
MObject KivoMorph::targetWeights;
MObject KivoMorph::targetWeightLock;
MObject KivoMorph::targetWeightNormalization;
MObject KivoMorph::targetSurfaceId;
MObject KivoMorph::targetBlendLive;
MObject KivoMorph::targetBlendUV;
MObject KivoMorph::targetBlendBezier;
MObject KivoMorph::targetOffset;
MObject KivoMorph::targetCurvature;
MObject KivoMorph::targetPrecision;
MObject KivoMorph::targetRebind;
MObject KivoMorph::targetCached;
MObject KivoMorph::baseWeights;
MObject KivoMorph::paintTargetWeights;

MObject KivoMorph::inputSurface;
MObject KivoMorph::inputSurfaceGroup;
MObject KivoMorph::inputRelativePoints;
MObject KivoMorph::inputSurfacePoints;
MObject KivoMorph::inputSurfaceUV;
MObject KivoMorph::inputTargetSurface;
MObject KivoMorph::inputSurfaceOrigin;

MObject KivoMorph::inbetweenInfoGroup;
MObject KivoMorph::inbetweenInfo;
MObject KivoMorph::inbetweenTargetName;

MObject KivoMorph::weight;
MObject KivoMorph::precision;
MObject KivoMorph::rebind;
MObject KivoMorph::origin;
MObject KivoMorph::profilingEnabled;
MObject KivoMorph::profilingSampleRate;
MObject KivoMorph::paintTargetWeightsIndex;

void* KivoMorph::creator() {
    return new KivoMorph();
}
