#pragma once
// The kivoMorph blend-shape deformer node: its attributes, its caches and its evaluation.

#include "kivoMorph/blendJobs.h"
#include "kivoMorph/profiling.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MIntArray.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MNurbsIntersector.h>
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
#include <optional>
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
    int surfaceId = 0;
    double offset = 0.0;
    float curvature = 0.0f;
};

// One encoded inputTargetItem: the points that move and their deltas (for a UV target, local offset
// deltas in the surface frame, and u and v deltas). The arrays are the ones written to the item's
// attributes, shared rather than copied.
struct TargetItemCache {
    bool valid = false;
    unsigned int itemIndex = 0;
    MIntArray indices;
    MPointArray deltas;
    MDoubleArray uvDeltas;
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

// The parameter range of a surface, as MFnNurbsSurface::getKnotDomain gives it.
struct KnotDomain {
    double uStart = 0.0;
    double uEnd = 0.0;
    double vStart = 0.0;
    double vEnd = 0.0;
    bool usable() const { return uEnd > uStart && vEnd > vStart; }
};

// One geometry bound to one surface, one entry per point: the clamped parameter of the point's closest
// surface point, its offset from the surface in the frame there (x along the tangent, y along the
// normal, z along the binormal) and the surface point plus that offset.
struct SurfaceBinding {
    std::vector<double> u;
    std::vector<double> v;
    MPointArray relativePoints;
    MPointArray surfacePoints;
    // False for a point with no closest point, or with no frame at it: no UV target moves it.
    std::vector<bool> bound;
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
    // Counts the times deform wrote encoded item arrays or surface bindings, so that the GPU override
    // knows to read them again.
    unsigned int encodingGeneration = 0;

    // The blend settings of a target (its inputTargetGroup element).
    static TargetSettings targetSettingsOf(MDataHandle& group);

    // For the GPU override (gpuSupport.cpp), which reads what deform encodes and stores.
    // Whether the next deform has encoding or surface-binding work to do: until it has done it, the
    // stored item arrays and bindings are not those the node would blend.
    bool encodingPending(MDataBlock& block, unsigned int geometry);
    // The arrays of a live item (the element items is at) of a geometry, computed from its target
    // geometry and written back into the item exactly as deform computes them.
    MStatus liveItemArrays(MDataBlock& block, unsigned int geometry, MArrayDataHandle& items,
                           unsigned int target, double targetPrecisionValue, bool uv, int surfaceId,
                           MIntArray& indices, MPointArray& deltas, MDoubleArray& uvDeltas);
    // The binding of a geometry to a surface; null when there is none.
    const SurfaceBinding* surfaceBinding(unsigned int surface, unsigned int geometry) const;

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
        // The node's inputSurface array, for UV targets.
        MArrayDataHandle* surfaces = nullptr;
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
        float envelope = 0.0f;
        bool timing = false;
        EvaluationTimes* times = nullptr;
    };

    // The UV state of one evaluation, shared by every UV item in the order of the target loop
    // whatever its surface: the accumulated u, v and local offset deltas of each point, and the
    // positions the UV blends have brought the points to (in the space of the output points).
    struct UvState {
        std::vector<double> u;
        std::vector<double> v;
        std::vector<MVector> offset;
        MPointArray current;
        bool ready = false;
    };

    // The blend jobs of one evaluation and the data they point into that no cache holds (stored,
    // live or filtered items, UV displacements, inbetween lists, lookups); kept between evaluations
    // only for their capacity.
    struct BlendWork {
        std::vector<BlendJob> jobs;
        std::deque<TargetItemCache> owned;
        std::deque<std::vector<BezierControl>> controls;
        std::deque<std::unordered_map<int, unsigned int>> lookups;
        UvState uv;
        void clear() {
            jobs.clear();
            owned.clear();
            controls.clear();
            lookups.clear();
            uv.ready = false;
        }
    };

    // A UV target's surface and settings for one evaluation.
    struct UvTarget {
        unsigned int surfaceId = 0;
        int surfaceOrigin = 1;
        MFnNurbsSurface surface;
        KnotDomain domain;
        // This geometry's binding to the surface; null when it has none.
        const SurfaceBinding* binding = nullptr;
        double offset = 0.0;
        double curve = 0.0;
        const float* targetWeights = nullptr;
        // The inbetweens of a Bezier blend; null for a plain blend.
        const std::vector<BezierControl>* bezier = nullptr;
    };

    // What encoding one target point against a surface gave.
    enum class UvEncoding { Entry, Nothing, SearchFailed, NoFrame };

    // The surface a UV group is encoded against, prepared once for all its items.
    struct UvEncoder {
        unsigned int surfaceId = 0;
        MFnNurbsSurface surface;
        KnotDomain domain;
        MNurbsIntersector intersector;
        // The geometry's binding to the surface; null when it has none, and then nothing is encoded.
        const SurfaceBinding* binding = nullptr;
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
    // The item's stored arrays (inputUVTarget too for a UV target); present is false when one is missing.
    static MStatus readStoredItem(MDataHandle& itemHandle, bool uv, TargetItemCache& item, bool& present);
    void warnStoredEntriesSkipped(const ItemKey& item);
    // The item itself when every entry applies to this geometry, else (after a warning) a copy of
    // the entries that do.
    const TargetItemCache& applicableItem(const TargetItemCache& item, bool uv, const ItemKey& key,
                                          BlendContext& context);
    // The item's arrays computed from its target geometry at this evaluation (UV or straight-line).
    MStatus liveItem(MArrayDataHandle& items, BlendContext& context, unsigned int target,
                     unsigned int itemIndex, double targetPrecisionValue, bool uv, UvTarget& uvTarget,
                     TargetItemCache& item);
    // The inbetweens of a Bezier blend, all items but the last, from the cache, the stored arrays or
    // live; standardInbetween is cleared once one is found.
    MStatus gatherInbetweens(MArrayDataHandle& items, const std::vector<unsigned int>& itemIndices,
                             const ItemCacheList* cached, const TargetSettings& settings, unsigned int target,
                             double targetPrecisionValue, BlendContext& context, UvTarget& uvTarget,
                             std::vector<BezierControl>& inbetweens, bool& standardInbetween);
    BezierControl bezierControlOf(const TargetItemCache& item);

    // Target delta cache (targetCache.cpp); the array handles are positioned at geometry g.
    // Both tell through encodedAny whether any item could be encoded from its geometry; a geometry
    // with nothing to encode (only stored arrays) is no failure of its own.
    MStatus rebuildAllTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                   MArrayDataHandle& surfaceArray, unsigned int multiIndex,
                                   const MMatrix& localToWorld, int originValue, double precisionValue,
                                   bool& encodedAny);
    MStatus buildTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                              MArrayDataHandle& surfaceArray, unsigned int multiIndex,
                              const MMatrix& localToWorld, int originValue, double precisionValue,
                              bool& encodedAny);
    MStatus rebuildDirtyTargetCaches(MArrayDataHandle& inputArray, MArrayDataHandle& inputTargetArray,
                                     MArrayDataHandle& surfaceArray, unsigned int multiIndex,
                                     const MMatrix& localToWorld, int originValue, double precisionValue);
    // warnMissingSurface: a UV group whose surface element is missing is named in a warning (the full
    // rebuild) rather than skipped silently (the partial one).
    MStatus encodeTargetGroup(MArrayDataHandle& groupArray, const EncodeContext& context,
                              bool warnMissingSurface, bool& encodedAny);
    static MStatus geometryBasePoints(MArrayDataHandle& inputArray, unsigned int multiIndex,
                                      const MMatrix& localToWorld, int originValue, EncodeContext& context);

    // Target geometry and live targets (liveTargets.cpp).
    static MStatus getGeometryPoints(const MObject& data, MDataHandle& handle, MSpace::Space space,
                                     MPointArray& points);
    // The points of the item's target geometry in the encoding space; failure (with the warning)
    // when the item has none.
    MStatus liveTargetPoints(MArrayDataHandle& items, const EncodeContext& context,
                             MPointArray& targetPoints);
    MStatus liveTargetDeltas(MArrayDataHandle& items, const EncodeContext& context, unsigned int target,
                             unsigned int itemIndex, double targetPrecisionValue, TargetItemCache& item);
    // Keeps the points that moved by more than tol, or every point when keepAll is set.
    void encodeDeltas(const MPointArray& basePoints, const MPointArray& targetPoints, double tol,
                      bool keepAll, const ItemKey& item, MIntArray& indices, MPointArray& deltas);
    void warnShortTarget(const ItemKey& item, unsigned int targetCount, unsigned int baseCount);
    // Stores freshly created array data in a child and marks it clean; a null object means its creation
    // failed.
    static MStatus storeClean(MDataHandle handle, const MObject& data);
    // The item's arrays into its attributes; inputUVTarget too for a UV item.
    static MStatus writeItemArrays(MDataHandle& itemHandle, const TargetItemCache& item, bool uv);

    // Surface bindings (surfaceBinding.cpp).
    // Binds every point of every geometry to every surface; failure when nothing could be bound.
    MStatus buildSurfaceBindings(MArrayDataHandle& inputArray, MArrayDataHandle& surfaceArray,
                                 const MMatrix& localToWorld, int originValue);
    // Binds one geometry's points; unbound counts the points that could not be bound.
    static void bindGeometry(const EncodeContext& geometry, const MFnNurbsSurface& surface,
                             const KnotDomain& domain, const MNurbsIntersector& intersector,
                             SurfaceBinding& binding, unsigned int& unbound);
    static MStatus writeSurfaceGroup(MArrayDataHandle& surfaceArray, unsigned int geometry,
                                     const SurfaceBinding& binding);
    static MStatus writeSurfaceChildren(MDataHandle& element, const SurfaceBinding& binding);
    // Attaches surfaceFn to the surface of the inputSurface element the handle is at, world-transformed
    // when that element's inputSurfaceOrigin is 0; false (and nothing reported) when there is none.
    static bool attachSurface(MArrayDataHandle& surfaces, int surfaceOrigin, MFnNurbsSurface& surfaceFn);

    // UV targets: encoding (uvEncoding.cpp) and blending (uvBlend.cpp).
    // Attaches the encoder to the surface of the inputSurface element the handle is at and, when the
    // geometry is bound to it, prepares its closest-point search.
    MStatus openUvEncoder(const EncodeContext& context, UvEncoder& encoder);
    static UvEncoding encodeUvDelta(const MPoint& target, unsigned int i, const UvEncoder& encoder,
                                    TargetItemCache& item);
    // Encodes every point of a target against the encoder's binding; keepAll keeps the points that do
    // not move.
    void encodeUvItem(const MPointArray& basePoints, const MPointArray& targetPoints, double tol,
                      bool keepAll, const UvEncoder& encoder, const ItemKey& key, TargetItemCache& item);
    MStatus liveUvTargetDeltas(MArrayDataHandle& items, const EncodeContext& context, unsigned int target,
                               unsigned int itemIndex, double targetPrecisionValue, UvTarget& uvTarget,
                               TargetItemCache& item);
    // The surface, domain and binding of a UV target; usable is false when it has none to blend on.
    MStatus prepareUvTarget(const TargetSettings& settings, const BlendContext& context, UvTarget& uvTarget,
                            bool& usable);
    // Re-places the item's points on the surface and adds their displacements as a blend job.
    MStatus blendUvItem(const TargetItemCache& item, float factor, const UvTarget& uvTarget,
                        BlendContext& context);
    void readyUvState(const BlendContext& context);

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

    // Items already warned about: stored entries skipped, or a target shorter than its base, or target
    // points left out where the surface has no frame.
    std::set<ItemKey> fSkippedEntriesWarned;
    std::set<ItemKey> fShortTargetsWarned;
    std::set<ItemKey> fNoFrameWarned;
    // Surfaces on which the closest points of some target points could not be found, warned about once
    // until the bindings are built again.
    std::set<unsigned int> fSearchFailedWarned;

    // Surface bindings: surface index -> one slot per input element (by logical index), and the
    // surfaces' knot domains.
    std::unordered_map<unsigned int, std::vector<std::optional<SurfaceBinding>>> fSurfaceBindings;
    std::unordered_map<unsigned int, KnotDomain> fSurfaceDomains;
    bool fSurfaceCacheDirty = false;
    bool fSurfaceCacheUnbuilt = true;

    ProfilingAccumulators fProfiling;
    BlendWork fWork;
};
