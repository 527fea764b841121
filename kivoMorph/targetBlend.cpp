// One target of the evaluation loop: choosing its items' factors (plain, standard inbetween
// or Bezier), finding their data (cache, stored arrays or live geometry) and adding the
// weighted deltas to the output points.

#include "kivoMorph/inbetween.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>

#include <algorithm>
#include <deque>

namespace {

// The single-precision weight product of one point; the vectors hold one entry per point.
struct PointWeights {
    const std::vector<float>& deformer;
    const std::vector<double>& base;
    const std::vector<double>& target;
    float envelope;

    float at(unsigned int i) const {
        return static_cast<float>(base[i]) * static_cast<float>(target[i]) * (envelope * deformer[i]);
    }
};

// An inbetween taking part in a Bezier blend.
struct Inbetween {
    const MPointArray* deltas;
    const std::unordered_map<int, unsigned int>* lookup;
};

// Stored entries that cannot be applied: a point index outside the geometry, or an index
// without a delta. Returns the number of entries that can be read, and whether any cannot.
unsigned int readableEntries(const MIntArray& indices, const MPointArray& deltas, bool& incomplete) {
    const unsigned int stored = indices.length();
    const unsigned int readable = std::min(stored, deltas.length());
    incomplete = readable < stored;
    return readable;
}

// output[i] += (f * pointWeight) * delta, factor and weight in single precision.
bool addPlainItem(const MIntArray& indices, const MPointArray& deltas, float factor,
                  const PointWeights& weights, MPointArray& output) {
    bool incomplete = false;
    const unsigned int readable = readableEntries(indices, deltas, incomplete);
    const int pointCount = static_cast<int>(output.length());
    for (unsigned int k = 0; k < readable; ++k) {
        const int i = indices[k];
        if (i < 0 || i >= pointCount) {
            incomplete = true;
            continue;
        }
        const float scale = factor * weights.at(static_cast<unsigned int>(i));
        MPoint& point = output[static_cast<unsigned int>(i)];
        const MPoint& delta = deltas[k];
        point.x += scale * delta.x;
        point.y += scale * delta.y;
        point.z += scale * delta.z;
    }
    return !incomplete;
}

// output[i] += pointWeight * Bezier blend of the point's inbetween deltas towards the full one.
bool addBezierItem(const MIntArray& indices, const MPointArray& deltas, float t, double s,
                   const std::vector<Inbetween>& inbetweens, const PointWeights& weights,
                   MPointArray& output) {
    bool incomplete = false;
    const unsigned int readable = readableEntries(indices, deltas, incomplete);
    const int pointCount = static_cast<int>(output.length());
    std::vector<inbetween::BlendVector> controls(inbetweens.size());
    for (unsigned int k = 0; k < readable; ++k) {
        const int i = indices[k];
        if (i < 0 || i >= pointCount) {
            incomplete = true;
            continue;
        }
        for (std::size_t j = 0; j < inbetweens.size(); ++j) {
            controls[j] = {};
            const auto found = inbetweens[j].lookup->find(i);
            if (found != inbetweens[j].lookup->end() && found->second < inbetweens[j].deltas->length()) {
                const MPoint& d = (*inbetweens[j].deltas)[found->second];
                controls[j] = {d.x, d.y, d.z};
            }
        }
        const MPoint& full = deltas[k];
        const inbetween::BlendVector blended =
            inbetween::bezierBlendPoint(controls, {full.x, full.y, full.z}, t, s);
        const float pointWeight = weights.at(static_cast<unsigned int>(i));
        MPoint& point = output[static_cast<unsigned int>(i)];
        point.x += pointWeight * blended.x;
        point.y += pointWeight * blended.y;
        point.z += pointWeight * blended.z;
    }
    return !incomplete;
}

const TargetItemCache* validCachedItem(const std::vector<TargetItemCache>* cached, unsigned int position) {
    if (cached == nullptr || position >= cached->size() || !(*cached)[position].valid) {
        return nullptr;
    }
    return &(*cached)[position];
}

} // namespace

MStatus KivoMorph::readStoredItem(MDataHandle& itemHandle, TargetItemCache& item, bool& present) {
    present = false;
    MObject indicesData = itemHandle.child(inputPointsIndicesTarget).data();
    MObject pointsData = itemHandle.child(inputPointsTarget).data();
    if (indicesData.isNull() || pointsData.isNull()) {
        return MS::kSuccess;
    }
    MStatus status;
    MFnIntArrayData indicesFn(indicesData, &status);
    KIVO_MORPH_CHECK(status, "");
    item.indices = indicesFn.array(&status);
    KIVO_MORPH_CHECK(status, "");
    MFnPointArrayData pointsFn(pointsData, &status);
    KIVO_MORPH_CHECK(status, "");
    item.deltas = pointsFn.array(&status);
    KIVO_MORPH_CHECK(status, "");
    present = true;
    return status;
}

void KivoMorph::warnStoredEntriesSkipped(const ItemKey& item) {
    if (!fSkippedEntriesWarned.insert(item).second) {
        return;
    }
    MGlobal::displayWarning(MString("KivoMorph '") + name() + "': " + itemPath(item) +
                            " holds point indices outside the geometry or fewer deltas than indices;"
                            " those entries are skipped.");
}

MStatus KivoMorph::cachedItemsFor(MArrayDataHandle& targetArray, unsigned int target,
                                  const std::vector<unsigned int>& itemIndices, BlendContext& context,
                                  const ItemCacheList*& cached, bool& reencoded) {
    const auto found = fTargetCache.find(cacheKey(context.multiIndex, target));
    cached = found != fTargetCache.end() ? &found->second : nullptr;
    if (cached == nullptr) {
        return MS::kSuccess;
    }
    const bool same =
        std::equal(itemIndices.begin(), itemIndices.end(), cached->begin(), cached->end(),
                   [](unsigned int index, const TargetItemCache& item) { return index == item.itemIndex; });
    if (same) {
        return MS::kSuccess;
    }
    // An inbetween was added or removed since the target was encoded: its cached items no longer
    // line up with the target's items.
    bool encodedAny = false;
    const MStatus status = encodeTargetGroup(targetArray, context.encode, encodedAny);
    if (!status) {
        return status;
    }
    reencoded = true;
    cached = &fTargetCache[cacheKey(context.multiIndex, target)];
    return MS::kSuccess;
}

MStatus KivoMorph::blendTarget(MArrayDataHandle& targetArray, float w, BlendContext& context,
                               bool& reencoded) {
    MStatus status;
    const unsigned int target = targetArray.elementIndex(&status);
    KIVO_MORPH_CHECK(status, "");
    GeometryCache& geometry = *context.geometry;
    const TargetSettings settings = geometry.targetSettings[target];
    MDataHandle targetElement = targetArray.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle items(targetElement.child(inputTargetItem), &status);
    KIVO_MORPH_CHECK(status, "");
    const unsigned int itemCount = items.elementCount();
    std::vector<unsigned int> itemIndices(itemCount);
    for (unsigned int p = 0; p < itemCount; ++p) {
        status = items.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        itemIndices[p] = items.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
    }
    const ItemCacheList* cached = nullptr;
    if (!settings.live && !settings.uv) {
        status = cachedItemsFor(targetArray, target, itemIndices, context, cached, reencoded);
        if (!status) {
            return status;
        }
    }

    status =
        refreshTargetWeightCache(targetElement, target, context.pointCount, context.countChanged, geometry);
    if (!status) {
        return status;
    }
    // UV targets move points along a surface; they have no straight-line deltas to add.
    if (settings.uv) {
        return MS::kSuccess;
    }
    const double targetPrecisionValue = settings.live ? targetElement.child(targetPrecision).asDouble() : 0.0;

    // Mode selection: a lone item follows w; several items follow the standard inbetween
    // function unless Bezier data can be gathered from the inbetweens.
    std::vector<float> itemWeights;
    bool standardInbetween = false;
    const bool bezier = itemCount >= 2 && settings.bezier;
    std::deque<TargetItemCache> owned;
    std::vector<Inbetween> inbetweens;
    if (itemCount >= 2) {
        itemWeights = inbetween::itemWeightList(itemIndices);
        standardInbetween = true;
    }
    for (unsigned int p = 0; bezier && p < itemCount; ++p) {
        if (inbetween::isRestItem(itemIndices[p])) {
            continue;
        }
        if (itemCount > 10) {
            MGlobal::displayError(
                " Use the standard inbetween function when the number of Bezier blend targets exceeds 10. ");
        }
        if (p + 1 == itemCount) {
            continue;
        }
        if (const TargetItemCache* item = validCachedItem(cached, p)) {
            inbetweens.push_back({&item->deltas, &item->indexLookup});
            standardInbetween = false;
            continue;
        }
        status = items.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        TargetItemCache& item = owned.emplace_back();
        MStatus liveStatus;
        if (settings.live) {
            // A failed live inbetween still takes part, with the entries it holds.
            liveStatus = liveTargetDeltas(items, context.encode, target, itemIndices[p], targetPrecisionValue,
                                          item.indices, item.deltas);
        } else {
            MDataHandle itemHandle = items.inputValue(&status);
            KIVO_MORPH_CHECK(status, "");
            bool present = false;
            status = readStoredItem(itemHandle, item, present);
            if (!status) {
                return status;
            }
            if (!present) {
                owned.pop_back();
                continue;
            }
        }
        buildIndexLookup(item);
        inbetweens.push_back({&item.deltas, &item.indexLookup});
        if (liveStatus) {
            standardInbetween = false;
        } else {
            MGlobal::displayWarning(" Live blend failed !");
        }
    }

    const PointWeights weights{geometry.deformerWeights, geometry.baseWeights, geometry.targetWeights[target],
                               context.envelope};
    const double curve = 2.0 * static_cast<double>(settings.curvature);
    for (unsigned int p = bezier ? itemCount - 1 : 0; p < itemCount; ++p) {
        const PhaseClock itemClock(context.timing);
        const TargetItemCache* item = validCachedItem(cached, p);
        const unsigned int itemIndex = item != nullptr ? item->itemIndex : itemIndices[p];
        if (inbetween::isRestItem(itemIndex)) {
            continue;
        }
        TargetItemCache local;
        if (item == nullptr) {
            status = items.jumpToArrayElement(p);
            KIVO_MORPH_CHECK(status, "");
            if (settings.live) {
                if (!liveTargetDeltas(items, context.encode, target, itemIndex, targetPrecisionValue,
                                      local.indices, local.deltas)) {
                    MGlobal::displayWarning(" Live blend failed !");
                    continue;
                }
            } else {
                MDataHandle itemHandle = items.inputValue(&status);
                KIVO_MORPH_CHECK(status, "");
                bool present = false;
                status = readStoredItem(itemHandle, local, present);
                if (!status) {
                    return status;
                }
                if (!present) {
                    continue;
                }
            }
            item = &local;
        }

        const std::optional<float> factor =
            standardInbetween ? inbetween::segmentFactor(itemWeights, p, w) : std::optional<float>(w);
        if (!factor) {
            continue;
        }
        const bool complete =
            bezier ? addBezierItem(item->indices, item->deltas, *factor, curve, inbetweens, weights,
                                   *context.output)
                   : addPlainItem(item->indices, item->deltas, *factor, weights, *context.output);
        if (!complete) {
            warnStoredEntriesSkipped(ItemKey(context.multiIndex, target, itemIndex));
        }
        itemClock.addTo(context.times->nonUvLoop);
    }
    return MS::kSuccess;
}
