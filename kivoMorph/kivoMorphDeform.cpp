// The node's evaluation: rebuild what the dirty flags name, refresh the weight and settings
// caches of this geometry, run the target loop and write the points back.

#include "common/parallel.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"
#include "kivoMorph/spaces.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MGlobal.h>

#include <algorithm>

namespace {

// Copies the elements of a sparse weight array whose logical index is below values.size(), in the
// single precision the weight product uses them in.
MStatus readSparseWeights(MArrayDataHandle& array, std::vector<float>& values) {
    MStatus status;
    const unsigned int count = array.elementCount();
    for (unsigned int q = 0; q < count; ++q) {
        status = array.jumpToArrayElement(q);
        KIVO_MORPH_CHECK(status, "");
        const unsigned int index = array.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
        if (index >= values.size()) {
            break;
        }
        MDataHandle element = array.inputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        values[index] = static_cast<float>(element.asDouble());
    }
    return MS::kSuccess;
}

} // namespace

MStatus KivoMorph::readTargetWeights(MDataBlock& block, MArrayDataHandle& targetArray,
                                     std::vector<double>& weightValues) {
    MStatus status;
    MArrayDataHandle weightArray = block.inputArrayValue(weight, &status);
    KIVO_MORPH_CHECK(status, "");
    // One weight per target element, matched by logical index: both arrays ascend, so one walk
    // pairs them, and a target index as large as 999999999 costs no more than any other. A weight
    // without a target has nothing to drive; a target without a weight stays at 0.
    const unsigned int targetCount = targetArray.elementCount();
    const unsigned int weightCount = weightArray.elementCount();
    weightValues.assign(targetCount, 0.0);
    unsigned int q = 0;
    for (unsigned int p = 0; p < targetCount && q < weightCount; ++p) {
        status = targetArray.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        const unsigned int target = targetArray.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
        for (; q < weightCount; ++q) {
            status = weightArray.jumpToArrayElement(q);
            KIVO_MORPH_CHECK(status, "");
            const unsigned int index = weightArray.elementIndex(&status);
            KIVO_MORPH_CHECK(status, "");
            if (index > target) {
                break;
            }
            if (index == target) {
                MDataHandle element = weightArray.inputValue(&status);
                KIVO_MORPH_CHECK(status, "");
                weightValues[p] = element.asDouble();
            }
        }
    }
    return MS::kSuccess;
}

MStatus KivoMorph::refreshWeightCaches(MDataBlock& block, MDataHandle& inputTargetElement,
                                       unsigned int multiIndex, unsigned int pointCount, bool countChanged,
                                       GeometryCache& geometry, EvaluationTimes& times, bool timing) {
    if (geometry.deformerWeightsDirty || countChanged) {
        const PhaseClock clock(timing);
        geometry.deformerWeights.resize(pointCount);
        for (unsigned int i = 0; i < pointCount; ++i) {
            geometry.deformerWeights[i] = weightValue(block, multiIndex, i);
        }
        geometry.deformerWeightsDirty = false;
        geometry.productDirty = true;
        clock.addTo(times.envW);
    }
    if (geometry.baseWeightsDirty || countChanged) {
        const PhaseClock clock(timing);
        MStatus status;
        MArrayDataHandle baseArray(inputTargetElement.child(baseWeights), &status);
        KIVO_MORPH_CHECK(status, "");
        geometry.baseWeights.assign(pointCount, 1.0f);
        status = readSparseWeights(baseArray, geometry.baseWeights);
        if (!status) {
            return status;
        }
        geometry.baseWeightsDirty = false;
        geometry.productDirty = true;
        geometry.cachedPointCount = pointCount;
        clock.addTo(times.baseW);
    }
    return MS::kSuccess;
}

void KivoMorph::refreshWeightProduct(float envelopeValue, GeometryCache& geometry) {
    if (!geometry.productDirty && envelopeValue == geometry.productEnvelope) {
        return;
    }
    const unsigned int count = static_cast<unsigned int>(geometry.baseWeights.size());
    geometry.envelopeDeformer.resize(count);
    geometry.baseProduct.resize(count);
    const float* base = geometry.baseWeights.data();
    const float* deformer = geometry.deformerWeights.data();
    float* envelopeDeformer = geometry.envelopeDeformer.data();
    float* product = geometry.baseProduct.data();
    // The product of a target whose weight is 1 at a point: (base x 1) x (envelope x deformer).
    forEachPoint(count, [=](unsigned int i) {
        envelopeDeformer[i] = envelopeValue * deformer[i];
        product[i] = base[i] * envelopeDeformer[i];
    });
    geometry.productEnvelope = envelopeValue;
    geometry.productDirty = false;
}

TargetSettings KivoMorph::targetSettingsOf(MDataHandle& group) {
    TargetSettings settings;
    settings.bezier = group.child(targetBlendBezier).asBool();
    settings.uv = group.child(targetBlendUV).asBool();
    settings.live = group.child(targetBlendLive).asBool();
    settings.surfaceId = group.child(targetSurfaceId).asInt();
    settings.offset = group.child(targetOffset).asDouble();
    settings.curvature = group.child(targetCurvature).asFloat();
    return settings;
}

MStatus KivoMorph::refreshTargetSettings(MArrayDataHandle& targetArray, GeometryCache& geometry) {
    MStatus status;
    geometry.targetSettings.clear();
    const unsigned int count = targetArray.elementCount();
    for (unsigned int p = 0; p < count; ++p) {
        status = targetArray.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        const unsigned int target = targetArray.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
        MDataHandle group = targetArray.inputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        geometry.targetSettings[target] = targetSettingsOf(group);
    }
    geometry.targetSettingsDirty = false;
    return MS::kSuccess;
}

MStatus KivoMorph::refreshTargetWeightCache(MDataHandle& targetElement, unsigned int target,
                                            unsigned int pointCount, bool countChanged,
                                            GeometryCache& geometry) {
    const auto found = geometry.targetWeights.find(target);
    // An entry last read at another point count (while its weight was 0) is stale as well.
    if (found != geometry.targetWeights.end() && !countChanged && found->second.pointCount == pointCount &&
        geometry.dirtyTargetWeights.count(target) == 0) {
        return MS::kSuccess;
    }
    MStatus status;
    MArrayDataHandle weightsArray(targetElement.child(targetWeights), &status);
    KIVO_MORPH_CHECK(status, "");
    TargetWeightCache& cache = geometry.targetWeights[target];
    cache.values.assign(pointCount, 1.0f);
    status = readSparseWeights(weightsArray, cache.values);
    if (!status) {
        return status;
    }
    cache.pointCount = pointCount;
    cache.allOnes = std::all_of(cache.values.begin(), cache.values.end(), [](float v) { return v == 1.0f; });
    if (cache.allOnes) {
        cache.values = std::vector<float>();
    }
    geometry.dirtyTargetWeights.erase(target);
    return MS::kSuccess;
}

MStatus KivoMorph::rebuildAllTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                          MArrayDataHandle& surfaceArray, unsigned int multiIndex,
                                          const MMatrix& localToWorld, int originValue, double precisionValue,
                                          bool& encodedAny) {
    MStatus status;
    fTargetCache.clear();
    encodedAny = false;
    const unsigned int inputCount = inputArray.elementCount();
    for (unsigned int q = 0; q < inputCount; ++q) {
        status = inputArray.jumpToArrayElement(q);
        KIVO_MORPH_CHECK(status, "");
        const unsigned int geometry = inputArray.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
        if (!inputTargetArray.jumpToElement(geometry)) {
            continue;
        }
        status = buildTargetCaches(inputArray, inputTargetArray, surfaceArray, multiIndex, localToWorld,
                                   originValue, precisionValue, encodedAny);
        if (!status) {
            return status;
        }
    }
    fTargetCacheDirty = false;
    fDirtyTargets.clear();
    fPartialCacheDirty = false;
    return MS::kSuccess;
}

MStatus KivoMorph::deform(MDataBlock& block, MItGeometry& iter, const MMatrix& localToWorld,
                          unsigned int multiIndex) {
    MStatus status;
    MDataHandle envelopeHandle = block.inputValue(envelope, &status);
    KIVO_MORPH_CHECK(status, "");
    const float envelopeValue = envelopeHandle.asFloat();
    if (static_cast<double>(envelopeValue) <= 1e-5) {
        return MS::kSuccess;
    }

    MArrayDataHandle inputArray = block.inputArrayValue(input, &status);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle inputTargetArray = block.inputArrayValue(inputTarget, &status);
    KIVO_MORPH_CHECK(status, "");
    if (inputArray.elementCount() == 0 || inputTargetArray.elementCount() == 0 ||
        !inputTargetArray.jumpToElement(multiIndex)) {
        return MS::kSuccess;
    }
    status = inputArray.jumpToElement(multiIndex);
    KIVO_MORPH_CHECK(status, "");

    MDataHandle originHandle = block.inputValue(origin, &status);
    KIVO_MORPH_CHECK(status, "");
    const int originValue = originHandle.asInt();
    MDataHandle precisionHandle = block.inputValue(precision, &status);
    KIVO_MORPH_CHECK(status, "");
    const double precisionValue = precisionHandle.asDouble();
    MDataHandle rebindHandle = block.inputValue(rebind, &status);
    KIVO_MORPH_CHECK(status, "");
    const bool rebindValue = rebindHandle.asBool();
    MArrayDataHandle surfaceArray = block.inputArrayValue(inputSurface, &status);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle profilingHandle = block.inputValue(profilingEnabled, &status);
    KIVO_MORPH_CHECK(status, "");
    const bool profilingOn = profilingHandle.asBool();
    int sampleRate = 1;
    if (profilingOn) {
        MDataHandle rateHandle = block.inputValue(profilingSampleRate, &status);
        KIVO_MORPH_CHECK(status, "");
        sampleRate = rateHandle.asInt();
    }
    const bool timing = beginProfiling(fProfiling, profilingOn);
    EvaluationTimes times;
    const PhaseClock totalClock(timing);

    if (rebindValue || fSurfaceCacheUnbuilt || fSurfaceCacheDirty) {
        const PhaseClock clock(timing);
        fSurfaceBindings.clear();
        fSurfaceDomains.clear();
        if (surfaceArray.elementCount() > 0 &&
            !buildSurfaceBindings(inputArray, surfaceArray, localToWorld, originValue)) {
            MGlobal::displayWarning("No NURBS surfaces found to cache, skipping surface caching.");
        }
        fSurfaceCacheUnbuilt = false;
        fSurfaceCacheDirty = false;
        ++encodingGeneration;
        clock.addTo(times.surfCache);
    }
    if (rebindValue || fTargetCacheDirty) {
        const PhaseClock clock(timing);
        bool encodedAny = false;
        status = rebuildAllTargetCaches(inputArray, inputTargetArray, surfaceArray, multiIndex, localToWorld,
                                        originValue, precisionValue, encodedAny);
        if (!status) {
            return status;
        }
        ++encodingGeneration;
        // A rebind that finds no target geometry anywhere fails and stays requested until some
        // target has geometry.
        if (!encodedAny && rebindValue) {
            return MS::kFailure;
        }
        if (!encodedAny) {
            // A changed precision or space cannot be applied when no target has geometry left to
            // encode (a scene holding only stored deltas). Switching the deformer off for good
            // would lose the stored shapes, so they go on being used as they are.
            MGlobal::displayWarning(
                MString("KivoMorph '") + name() +
                "': no target could be encoded from its geometry; the stored deltas are used.");
        }
        if (rebindValue) {
            MDataHandle rebindOut = block.outputValue(rebind, &status);
            KIVO_MORPH_CHECK(status, "");
            rebindOut.setBool(false);
            rebindOut.setClean();
            MGlobal::displayInfo(MString("KivoMorph '") + name() +
                                 "': Rebind has been successfully completed.");
            // Weights and settings of every geometry are read again, and stored data gets a
            // fresh chance to warn.
            fGeometryCaches.clear();
            fSkippedEntriesWarned.clear();
            fNoFrameWarned.clear();
        }
        clock.addTo(times.targetCache);
    }
    if (fPartialCacheDirty) {
        const PhaseClock clock(timing);
        // Failures were reported where they happened; their pairs stay queued for the next
        // partial rebuild.
        rebuildDirtyTargetCaches(inputArray, inputTargetArray, surfaceArray, multiIndex, localToWorld,
                                 originValue, precisionValue);
        fPartialCacheDirty = false;
        ++encodingGeneration;
        for (auto& entry : fGeometryCaches) {
            entry.second.targetSettingsDirty = true;
        }
        clock.addTo(times.partialCache);
    }

    // The rebuilds moved the cursors; find this geometry's targets again.
    status = inputTargetArray.jumpToElement(multiIndex);
    KIVO_MORPH_CHECK(status, "");
    MDataHandle inputTargetElement = inputTargetArray.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle targetArray(inputTargetElement.child(inputTargetGroup), &status);
    KIVO_MORPH_CHECK(status, "");
    std::vector<double> weightValues;
    status = readTargetWeights(block, targetArray, weightValues);
    if (!status) {
        return status;
    }
    // Every target at weight 0: the output geometry already holds the input points, and the
    // per-point caches can wait for an evaluation that uses them.
    if (std::all_of(weightValues.begin(), weightValues.end(),
                    [](double w) { return static_cast<float>(w) == 0.0f; })) {
        totalClock.addTo(times.total);
        return reportTimes(times, timing, sampleRate, multiIndex);
    }

    MPointArray objectPoints;
    status = iter.allPositions(objectPoints, MSpace::kObject);
    KIVO_MORPH_CHECK(status, "");
    BlendContext context;
    context.encode.geometry = multiIndex;
    context.encode.origin = originValue;
    context.encode.precision = precisionValue;
    context.encode.surfaces = &surfaceArray;
    context.encode.basePoints = objectPoints;
    if (originValue == 0) {
        transformPoints(context.encode.basePoints, localToWorld);
    }
    MPointArray points(context.encode.basePoints);
    const unsigned int pointCount = points.length();

    GeometryCache& geometry = fGeometryCaches[multiIndex];
    const bool countChanged = pointCount != geometry.cachedPointCount;
    status = refreshWeightCaches(block, inputTargetElement, multiIndex, pointCount, countChanged, geometry,
                                 times, timing);
    if (!status) {
        return status;
    }
    if (geometry.targetSettingsDirty) {
        status = refreshTargetSettings(targetArray, geometry);
        if (!status) {
            return status;
        }
    }

    context.multiIndex = multiIndex;
    context.pointCount = pointCount;
    context.countChanged = countChanged;
    context.geometry = &geometry;
    context.envelope = envelopeValue;
    context.timing = timing;
    context.times = &times;
    fWork.clear();
    const PhaseClock loopClock(timing);
    const unsigned int targetCount = targetArray.elementCount();
    bool reencoded = false;
    for (unsigned int p = 0; p < targetCount; ++p) {
        const float w = static_cast<float>(weightValues[p]);
        if (w == 0.0f) {
            continue;
        }
        status = targetArray.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        status = blendTarget(targetArray, w, context, reencoded);
        if (!status) {
            return status;
        }
    }
    if (reencoded) {
        ++encodingGeneration;
        status = targetArray.setAllClean();
        KIVO_MORPH_CHECK(status, "");
    }
    // Nothing contributes: the output geometry already holds the input points.
    if (fWork.jobs.empty()) {
        loopClock.addTo(times.targetLoop);
        totalClock.addTo(times.total);
        return reportTimes(times, timing, sampleRate, multiIndex);
    }
    {
        const PhaseClock blendClock(timing);
        refreshWeightProduct(envelopeValue, geometry);
        const PointWeightArrays weights{geometry.baseWeights.data(), geometry.envelopeDeformer.data(),
                                        geometry.baseProduct.data()};
        runBlendJobs(fWork.jobs, context.ordered, weights, points);
        blendClock.addTo(times.nonUvLoop);
    }
    loopClock.addTo(times.targetLoop);

    if (originValue == 0) {
        applyWorldDeltas(objectPoints, context.encode.basePoints, points, localToWorld);
        status = iter.setAllPositions(objectPoints, MSpace::kObject);
    } else {
        status = iter.setAllPositions(points, MSpace::kObject);
    }
    KIVO_MORPH_CHECK(status, "");

    totalClock.addTo(times.total);
    return reportTimes(times, timing, sampleRate, multiIndex);
}

MStatus KivoMorph::reportTimes(const EvaluationTimes& times, bool timing, int sampleRate,
                               unsigned int multiIndex) {
    MString line;
    if (timing && finishProfiling(fProfiling, times, sampleRate, name(), multiIndex, line)) {
        MGlobal::displayInfo(line);
    }
    return MS::kSuccess;
}
