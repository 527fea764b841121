#pragma once
// The kivoMorph blend-shape deformer node: its attributes, its caches and its evaluation.

#include "kivoMorph/blendJobs.h"
#include "kivoMorph/profiling.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MIntArray.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPointArray.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

#include <cstdint>
#include <deque>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class MArrayDataHandle;

// Per-target blend settings, read once from the target's inputTargetGroup element.
struct TargetSettings {
    bool bezier = false;
    bool uv = false;
    bool live = false;
    float curvature = 0.0f;
};

// One encoded inputTargetItem: the points that move and their deltas. The arrays are the ones
// written to the item's attributes, shared rather than copied.
struct TargetItemCache {
    bool valid = false;
    unsigned int itemIndex = 0;
    MIntArray indices;
    MPointArray deltas;
    // The indices never decrease (always so for encoded items): a binary search finds a point's
    // entry, and the blend can be split by point ranges.
    bool ascending = true;
};

// One target's per-point weights in single precision, as the weight product uses them; a target
// whose weights are all 1 keeps no array.
struct TargetWeightCache {
    std::vector<float> values;
    bool allOnes = true;
    unsigned int pointCount = 0;
};

// Caches that depend on one deformed geometry, keyed by its multi index, so that geometries
// with equal point counts never share weights.
struct GeometryCache {
    std::vector<float> deformerWeights;
    std::vector<float> baseWeights;
    // envelope x deformer weight, and base weight x that: the factors of the weight product that
    // do not depend on the target, kept until the envelope or those weights change.
    std::vector<float> envelopeDeformer;
    std::vector<float> baseProduct;
    float productEnvelope = 0.0f;
    bool productDirty = true;
    std::unordered_map<unsigned int, TargetWeightCache> targetWeights;
    std::unordered_set<unsigned int> dirtyTargetWeights;
    std::unordered_map<unsigned int, TargetSettings> targetSettings;
    unsigned int cachedPointCount = 0;
    bool deformerWeightsDirty = true;
    bool baseWeightsDirty = true;
    bool targetSettingsDirty = true;
};

class KivoMorph : public MPxDeformerNode {
public:
    KivoMorph() = default;
    ~KivoMorph() override = default;

    static void* creator();
    static MStatus initialize();

    void postConstructor() override;
    bool getInternalValue(const MPlug& plug, MDataHandle& dataHandle) override;
    bool setInternalValue(const MPlug& plug, const MDataHandle& dataHandle) override;
    MStatus setDependentsDirty(const MPlug& plug, MPlugArray& plugArray) override;
    MStatus deform(MDataBlock& block, MItGeometry& iter, const MMatrix& localToWorld,
                   unsigned int multiIndex) override;

    static const MTypeId id;
    static const char* const nodeTypeName;

    // inputTarget[].inputTargetGroup[].inputTargetItem[] and their children.
    static MObject inputTarget;
    static MObject inputTargetGroup;
    static MObject inputTargetItem;
    static MObject inputGeomTarget;
    static MObject inputPointsTarget;
    static MObject inputUVTarget;
    static MObject inputPointsIndicesTarget;
    static MObject targetWeights;
    static MObject targetWeightLock;
    static MObject targetWeightNormalization;
    static MObject targetSurfaceId;
    static MObject targetBlendLive;
    static MObject targetBlendUV;
    static MObject targetBlendBezier;
    static MObject targetOffset;
    static MObject targetCurvature;
    static MObject targetPrecision;
    static MObject targetRebind;
    static MObject targetCached;
    static MObject baseWeights;
    static MObject paintTargetWeights;

    // inputSurface[] and its per-geometry bindings.
    static MObject inputSurface;
    static MObject inputSurfaceGroup;
    static MObject inputRelativePoints;
    static MObject inputSurfacePoints;
    static MObject inputSurfaceUV;
    static MObject inputTargetSurface;
    static MObject inputSurfaceOrigin;

    static MObject inbetweenInfoGroup;
    static MObject inbetweenInfo;
    static MObject inbetweenTargetName;

    static MObject weight;
    static MObject precision;
    static MObject rebind;
    static MObject origin;
    static MObject profilingEnabled;
    static MObject profilingSampleRate;
    static MObject paintTargetWeightsIndex;

    // Device-side data of the GPU override is stale; the override clears it after re-uploading.
    bool gpuDataChanged = true;

private:
    using ItemCacheList = std::vector<TargetItemCache>;
    // (geometry, target, item) logical indices of an inputTargetItem.
    using ItemKey = std::tuple<unsigned int, unsigned int, unsigned int>;

    // One geometry's undeformed points in evaluation space, and the node's encoding settings.
    struct EncodeContext {
        unsigned int geometry = 0;
        MPointArray basePoints;
        int origin = 1;
        double precision = 0.0;
    };

    // What the target loop of one evaluation shares between targets.
    struct BlendContext {
        EncodeContext encode;
        unsigned int multiIndex = 0;
        unsigned int pointCount = 0;
        bool countChanged = false;
        GeometryCache* geometry = nullptr;
        // Every job's indices ascend, so the blend can be split by point ranges.
        bool ordered = true;
    };

    // The blend jobs of one evaluation and the data they point into that no cache holds (stored,
    // live or filtered items, inbetween lists, lookups); kept between evaluations only for their
    // capacity.
    struct BlendWork {
        std::vector<BlendJob> jobs;
        std::deque<TargetItemCache> owned;
        std::deque<std::vector<BezierControl>> controls;
        std::deque<std::unordered_map<int, unsigned int>> lookups;
        void clear() {
            jobs.clear();
            owned.clear();
            controls.clear();
            lookups.clear();
        }
    };

    static std::uint64_t cacheKey(unsigned int geometry, unsigned int target) {
        return (static_cast<std::uint64_t>(geometry) << 32) | target;
    }
    static MString itemPath(const ItemKey& item);

    // Evaluation steps (kivoMorphDeform.cpp, targetBlend.cpp).
    // The weight of each element of the target array, by position.
    MStatus readTargetWeights(MDataBlock& block, MArrayDataHandle& targetArray,
                              std::vector<double>& weightValues);
    MStatus refreshWeightCaches(MDataBlock& block, MDataHandle& inputTargetElement, unsigned int multiIndex,
                                unsigned int pointCount, bool countChanged, GeometryCache& geometry,
                                EvaluationTimes& times, bool timing);
    static void refreshWeightProduct(float envelopeValue, GeometryCache& geometry);
    // Adds a timed evaluation to the profile and shows its line when a series is complete.
    MStatus reportTimes(const EvaluationTimes& times, bool timing, int sampleRate, unsigned int multiIndex);
    MStatus refreshTargetSettings(MArrayDataHandle& targetArray, GeometryCache& geometry);
    MStatus refreshTargetWeightCache(MDataHandle& targetElement, unsigned int target, unsigned int pointCount,
                                     bool countChanged, GeometryCache& geometry);
    // Blends the target element the array handle is at; re-encodes it first, setting reencoded, when
    // its items are no longer those it was cached with.
    MStatus blendTarget(MArrayDataHandle& targetArray, float w, BlendContext& context, bool& reencoded);
    // The target's cached items (null when it has none), encoded again first when they are not the
    // items the target has now.
    MStatus cachedItemsFor(MArrayDataHandle& targetArray, unsigned int target,
                           const std::vector<unsigned int>& itemIndices, BlendContext& context,
                           const ItemCacheList*& cached, bool& reencoded);
    static MStatus readStoredItem(MDataHandle& itemHandle, TargetItemCache& item, bool& present);
    void warnStoredEntriesSkipped(const ItemKey& item);
    // The item itself when every entry applies to this geometry, else (after a warning) a copy of
    // the entries that do.
    const TargetItemCache& applicableItem(const TargetItemCache& item, const ItemKey& key,
                                          BlendContext& context);
    BezierControl bezierControlOf(const TargetItemCache& item);

    // Target delta cache (targetCache.cpp); the array handles are positioned at geometry g.
    // Both tell through encodedAny whether any item could be encoded from its geometry; a geometry
    // with nothing to encode (only stored arrays) is no failure of its own.
    MStatus rebuildAllTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                   unsigned int multiIndex, const MMatrix& localToWorld, int originValue,
                                   double precisionValue, bool& encodedAny);
    MStatus buildTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                              unsigned int multiIndex, const MMatrix& localToWorld, int originValue,
                              double precisionValue, bool& encodedAny);
    MStatus rebuildDirtyTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                     unsigned int multiIndex, const MMatrix& localToWorld, int originValue,
                                     double precisionValue);
    MStatus encodeTargetGroup(MArrayDataHandle& groupArray, const EncodeContext& context, bool& encodedAny);
    static MStatus geometryBasePoints(MArrayDataHandle& inputArray, unsigned int multiIndex,
                                      const MMatrix& localToWorld, int originValue, EncodeContext& context);

    // Target geometry and live targets (liveTargets.cpp).
    static MStatus getGeometryPoints(const MObject& data, MDataHandle& handle, MSpace::Space space,
                                     MPointArray& points);
    MStatus liveTargetDeltas(MArrayDataHandle& items, const EncodeContext& context, unsigned int target,
                             unsigned int itemIndex, double targetPrecisionValue, MIntArray& indices,
                             MPointArray& deltas);
    // Keeps the points that moved by more than tol, or every point when keepAll is set.
    void encodeDeltas(const MPointArray& basePoints, const MPointArray& targetPoints, double tol,
                      bool keepAll, const ItemKey& item, MIntArray& indices, MPointArray& deltas);
    void warnShortTarget(const ItemKey& item, unsigned int targetCount, unsigned int baseCount);
    static MStatus writeItemArrays(MDataHandle& itemHandle, const MIntArray& indices,
                                   const MPointArray& deltas);

    // Painting and dirty propagation (painting.cpp, dirtyPropagation.cpp).
    bool findPaintedTarget(MDataBlock& block, const MPlug& plug, MPlug& targetPlug);
    bool normalizeWeights(const MPlug& paintedTarget, MPlug paintedWeights);
    void markTargetWeightsDirty(const MPlug& plug);
    // Puts the target owning an encoding setting's plug into the dirty target set.
    MStatus queueTargetEncoding(const MPlug& setting);

    std::unordered_map<std::uint64_t, ItemCacheList> fTargetCache;
    std::unordered_map<unsigned int, std::unordered_set<unsigned int>> fDirtyTargets;
    std::unordered_map<unsigned int, GeometryCache> fGeometryCaches;
    bool fPartialCacheDirty = false;
    bool fTargetCacheDirty = false;

    // Items already warned about: stored entries skipped, or a target shorter than its base.
    std::set<ItemKey> fSkippedEntriesWarned;
    std::set<ItemKey> fShortTargetsWarned;

    ProfilingAccumulators fProfiling;
    BlendWork fWork;
};
