// One target of the evaluation loop: choosing its items' factors (plain, standard inbetween
// or Bezier) and finding their data (cache, stored arrays or live geometry). Each contributing
// item becomes a blend job; the jobs of every target are applied together after the loop
// (blendJobs.cpp). The items of UV targets are placed on their surface here, in the order of the
// loop (uvBlend.cpp), and become jobs of the displacements found.

#include "kivoMorph/inbetween.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>

#include <algorithm>

namespace {

const TargetItemCache* validCachedItem(const std::vector<TargetItemCache>* cached, unsigned int position) {
    if (cached == nullptr || position >= cached->size() || !(*cached)[position].valid) {
        return nullptr;
    }
    return &(*cached)[position];
}

// Entries that cannot be applied: a point index outside the geometry, or an index without a
// delta (or, for a UV target, without its u and v deltas). Whether all entries can be, and (when
// they can) whether their indices ascend.
bool entriesApply(const TargetItemCache& item, bool uv, unsigned int pointCount, bool& ascends) {
    const unsigned int count = item.indices.length();
    if (item.deltas.length() < count || (uv && item.uvDeltas.length() / 2 < count)) {
        return false;
    }
    if (count == 0) {
        ascends = true;
        return true;
    }
    const int* first = &item.indices[0];
    const int* last = first + count;
    ascends = item.ascending || std::is_sorted(first, last);
    if (ascends) {
        return *first >= 0 && static_cast<unsigned int>(last[-1]) < pointCount;
    }
    return std::all_of(first, last,
                       [pointCount](int i) { return i >= 0 && static_cast<unsigned int>(i) < pointCount; });
}

// The entries of an item that can be applied, in their order.
void keepApplicableEntries(const TargetItemCache& item, bool uv, unsigned int pointCount,
                           TargetItemCache& kept) {
    unsigned int readable = std::min(item.indices.length(), item.deltas.length());
    if (uv) {
        readable = std::min(readable, item.uvDeltas.length() / 2);
    }
    for (unsigned int k = 0; k < readable; ++k) {
        const int i = item.indices[k];
        if (i >= 0 && static_cast<unsigned int>(i) < pointCount) {
            kept.indices.append(i);
            kept.deltas.append(item.deltas[k]);
            if (uv) {
                kept.uvDeltas.append(item.uvDeltas[2 * k]);
                kept.uvDeltas.append(item.uvDeltas[2 * k + 1]);
            }
        }
    }
    kept.ascending = ascending(kept.indices, kept.indices.length());
}

} // namespace

MStatus KivoMorph::readStoredItem(MDataHandle& itemHandle, bool uv, TargetItemCache& item, bool& present) {
    present = false;
    MObject indicesData = itemHandle.child(inputPointsIndicesTarget).data();
    MObject pointsData = itemHandle.child(inputPointsTarget).data();
    MObject uvData = uv ? itemHandle.child(inputUVTarget).data() : MObject();
    if (indicesData.isNull() || pointsData.isNull() || (uv && uvData.isNull())) {
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
    if (uv) {
        MFnDoubleArrayData uvFn(uvData, &status);
        KIVO_MORPH_CHECK(status, "");
        item.uvDeltas = uvFn.array(&status);
        KIVO_MORPH_CHECK(status, "");
    }
    // Arrays from a scene file or a script may be in any order.
    item.ascending = false;
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

const TargetItemCache& KivoMorph::applicableItem(const TargetItemCache& item, bool uv, const ItemKey& key,
                                                 BlendContext& context) {
    bool ascends = true;
    if (entriesApply(item, uv, context.pointCount, ascends)) {
        context.ordered = context.ordered && ascends;
        return item;
    }
    warnStoredEntriesSkipped(key);
    TargetItemCache& kept = fWork.owned.emplace_back();
    keepApplicableEntries(item, uv, context.pointCount, kept);
    context.ordered = context.ordered && kept.ascending;
    return kept;
}

BezierControl KivoMorph::bezierControlOf(const TargetItemCache& item) {
    BezierControl control{&item.indices, &item.deltas, nullptr, &item.uvDeltas};
    if (!item.ascending) {
        // The first entry of an index wins, as with a binary search over ascending indices.
        auto& lookup = fWork.lookups.emplace_back();
        const unsigned int count = item.indices.length();
        lookup.reserve(count);
        for (unsigned int k = 0; k < count; ++k) {
            lookup.emplace(item.indices[k], k);
        }
        control.lookup = &lookup;
    }
    return control;
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
    const MStatus status = encodeTargetGroup(targetArray, context.encode, false, encodedAny);
    if (!status) {
        return status;
    }
    reencoded = true;
    cached = &fTargetCache[cacheKey(context.multiIndex, target)];
    return MS::kSuccess;
}

MStatus KivoMorph::liveItem(MArrayDataHandle& items, BlendContext& context, unsigned int target,
                            unsigned int itemIndex, double targetPrecisionValue, bool uv, UvTarget& uvTarget,
                            TargetItemCache& item) {
    item.ascending = true;
    return uv ? liveUvTargetDeltas(items, context.encode, target, itemIndex, targetPrecisionValue, uvTarget,
                                   item)
              : liveTargetDeltas(items, context.encode, target, itemIndex, targetPrecisionValue, item);
}

MStatus KivoMorph::gatherInbetweens(MArrayDataHandle& items, const std::vector<unsigned int>& itemIndices,
                                    const ItemCacheList* cached, const TargetSettings& settings,
                                    unsigned int target, double targetPrecisionValue, BlendContext& context,
                                    UvTarget& uvTarget, std::vector<BezierControl>& inbetweens,
                                    bool& standardInbetween) {
    MStatus status;
    const unsigned int itemCount = static_cast<unsigned int>(itemIndices.size());
    for (unsigned int p = 0; p < itemCount; ++p) {
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
            inbetweens.push_back(bezierControlOf(*item));
            standardInbetween = false;
            continue;
        }
        status = items.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        TargetItemCache& item = fWork.owned.emplace_back();
        MStatus liveStatus;
        if (settings.live) {
            // A failed live inbetween still takes part, with the entries it holds.
            liveStatus = liveItem(items, context, target, itemIndices[p], targetPrecisionValue, settings.uv,
                                  uvTarget, item);
        } else {
            MDataHandle itemHandle = items.inputValue(&status);
            KIVO_MORPH_CHECK(status, "");
            bool present = false;
            status = readStoredItem(itemHandle, settings.uv, item, present);
            if (!status) {
                return status;
            }
            if (!present) {
                fWork.owned.pop_back();
                continue;
            }
        }
        inbetweens.push_back(bezierControlOf(item));
        if (liveStatus) {
            standardInbetween = false;
        } else {
            MGlobal::displayWarning(" Live blend failed !");
        }
    }
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
    if (!settings.live) {
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
    // A UV target blends on its surface; without one (or without a domain) it has nothing to do.
    UvTarget uvTarget;
    if (settings.uv) {
        bool usable = false;
        status = prepareUvTarget(settings, context, uvTarget, usable);
        if (!status || !usable) {
            return status;
        }
    }
    const double targetPrecisionValue = settings.live ? targetElement.child(targetPrecision).asDouble() : 0.0;

    // Mode selection: a lone item follows w; several items follow the standard inbetween
    // function unless Bezier data can be gathered from the inbetweens.
    std::vector<float> itemWeights;
    bool standardInbetween = false;
    const bool bezier = itemCount >= 2 && settings.bezier;
    std::vector<BezierControl>* inbetweens = nullptr;
    if (itemCount >= 2) {
        itemWeights = inbetween::itemWeightList(itemIndices);
        standardInbetween = true;
    }
    if (bezier) {
        inbetweens = &fWork.controls.emplace_back();
        status = gatherInbetweens(items, itemIndices, cached, settings, target, targetPrecisionValue, context,
                                  uvTarget, *inbetweens, standardInbetween);
        if (!status) {
            return status;
        }
    }

    const TargetWeightCache& targetWeightsCache = geometry.targetWeights[target];
    const float* targetWeightValues = targetWeightsCache.allOnes ? nullptr : targetWeightsCache.values.data();
    const double curve = 2.0 * static_cast<double>(settings.curvature);
    uvTarget.offset = settings.offset;
    uvTarget.curve = curve;
    uvTarget.targetWeights = targetWeightValues;
    uvTarget.bezier = inbetweens;
    for (unsigned int p = bezier ? itemCount - 1 : 0; p < itemCount; ++p) {
        const TargetItemCache* item = validCachedItem(cached, p);
        const unsigned int itemIndex = item != nullptr ? item->itemIndex : itemIndices[p];
        if (inbetween::isRestItem(itemIndex)) {
            continue;
        }
        // A UV item's time runs from finding its data to placing its points.
        const PhaseClock uvClock(context.timing && settings.uv);
        if (item == nullptr) {
            status = items.jumpToArrayElement(p);
            KIVO_MORPH_CHECK(status, "");
            TargetItemCache& local = fWork.owned.emplace_back();
            if (settings.live) {
                if (!liveItem(items, context, target, itemIndex, targetPrecisionValue, settings.uv, uvTarget,
                              local)) {
                    MGlobal::displayWarning(" Live blend failed !");
                    continue;
                }
            } else {
                MDataHandle itemHandle = items.inputValue(&status);
                KIVO_MORPH_CHECK(status, "");
                bool present = false;
                status = readStoredItem(itemHandle, settings.uv, local, present);
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
        const TargetItemCache& applied =
            applicableItem(*item, settings.uv, ItemKey(context.multiIndex, target, itemIndex), context);
        if (settings.uv) {
            status = blendUvItem(applied, *factor, uvTarget, context);
            if (!status) {
                return status;
            }
            uvClock.addTo(context.times->uvLoop);
            continue;
        }
        BlendJob job;
        job.indices = &applied.indices;
        job.deltas = &applied.deltas;
        job.count = applied.indices.length();
        job.factor = *factor;
        job.targetWeights = targetWeightValues;
        job.bezier = bezier ? inbetweens : nullptr;
        job.curve = curve;
        fWork.jobs.push_back(job);
    }
    return MS::kSuccess;
}
