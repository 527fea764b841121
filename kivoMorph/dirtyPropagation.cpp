// Which caches an attribute change invalidates. Everything not named here (weight, envelope,
// the input points) is read at every evaluation; editing a cached target's geometry alone is
// deliberately not followed until that target is rebound. While a scene file is read the node
// is new and its caches are empty anyway: the file's values must not queue re-encodings, so
// that a reopened scene deforms from its stored arrays; only a target rebind the file still
// requests is queued, since it was asked for and not yet carried out when the scene was saved.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MFileIO.h>

namespace {

bool isTargetEncodingSetting(const MObject& attribute) {
    return attribute == KivoMorph::targetRebind || attribute == KivoMorph::targetBlendUV ||
           attribute == KivoMorph::targetSurfaceId || attribute == KivoMorph::targetBlendBezier ||
           attribute == KivoMorph::targetBlendLive || attribute == KivoMorph::targetPrecision;
}

} // namespace

MStatus KivoMorph::queueTargetEncoding(const MPlug& setting) {
    MStatus status;
    const MPlug targetPlug = setting.parent(&status);
    KIVO_MORPH_CHECK(status, "");
    const unsigned int target = targetPlug.logicalIndex(&status);
    KIVO_MORPH_CHECK(status, "");
    const MPlug groupArray = targetPlug.array(&status);
    KIVO_MORPH_CHECK(status, "");
    const MPlug geometryPlug = groupArray.parent(&status);
    KIVO_MORPH_CHECK(status, "");
    const unsigned int geometry = geometryPlug.logicalIndex(&status);
    KIVO_MORPH_CHECK(status, "");
    fDirtyTargets[geometry].insert(target);
    fPartialCacheDirty = true;
    fTargetCache.erase(cacheKey(geometry, target));
    return MS::kSuccess;
}

MStatus KivoMorph::setDependentsDirty(const MPlug& plug, MPlugArray& /*plugArray*/) {
    const MObject attribute = plug.attribute();
    if (MFileIO::isReadingFile()) {
        return attribute == targetRebind && plug.asBool() ? queueTargetEncoding(plug) : MStatus(MS::kSuccess);
    }
    if (isTargetEncodingSetting(attribute)) {
        return queueTargetEncoding(plug);
    }
    if (attribute == inputTargetSurface) {
        // The UV deltas stay as they were encoded: only the bindings follow the surface.
        fSurfaceCacheDirty = true;
        gpuDataChanged = true;
    } else if (attribute == inputSurfaceOrigin || attribute == origin) {
        fSurfaceCacheDirty = true;
        fTargetCacheDirty = true;
        fTargetCache.clear();
        gpuDataChanged = true;
    } else if (attribute == precision) {
        fTargetCacheDirty = true;
        fTargetCache.clear();
        gpuDataChanged = true;
    } else if (attribute == weightList || attribute == weights) {
        for (auto& entry : fGeometryCaches) {
            entry.second.deformerWeightsDirty = true;
        }
        gpuDataChanged = true;
    } else if (attribute == baseWeights) {
        for (auto& entry : fGeometryCaches) {
            entry.second.baseWeightsDirty = true;
        }
        gpuDataChanged = true;
    } else if (attribute == targetWeights) {
        markTargetWeightsDirty(plug);
        gpuDataChanged = true;
    } else if (attribute == targetOffset || attribute == targetCurvature) {
        for (auto& entry : fGeometryCaches) {
            entry.second.targetSettingsDirty = true;
        }
    }
    return MS::kSuccess;
}

void KivoMorph::markTargetWeightsDirty(const MPlug& plug) {
    // An element names its target; the whole array (or an element whose target cannot be
    // found) invalidates every target read so far. The geometry is not told apart: re-reading
    // one target's weights of another geometry costs little and is always right.
    if (plug.isElement()) {
        MStatus status;
        const MPlug targetPlug = plug.array().parent(&status);
        const unsigned int target = status ? targetPlug.logicalIndex(&status) : 0;
        if (status) {
            for (auto& entry : fGeometryCaches) {
                entry.second.dirtyTargetWeights.insert(target);
            }
            return;
        }
    }
    for (auto& entry : fGeometryCaches) {
        for (const auto& cached : entry.second.targetWeights) {
            entry.second.dirtyTargetWeights.insert(cached.first);
        }
    }
}
