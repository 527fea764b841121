// Target item data: every item of the geometry read (or computed live) into its GPU buffers, described
// by the geometry's item table, and the Bezier controls of Bezier targets.

#include "common/parallel.h"
#include "kivoMorph/inbetween.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorphGPU/gpuReport.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MArrayDataHandle.h>

#include <set>
#include <unordered_map>

namespace {

void appendToTable(ItemTable& table, unsigned int itemIndex, unsigned int itemCount, unsigned int ordinal,
                   unsigned int target, const TargetFlags& flags) {
    table.position.push_back(inbetween::itemWeight(itemIndex));
    table.itemCount.push_back(itemCount);
    table.ordinal.push_back(ordinal);
    table.targetIndex.push_back(target);
    table.offset.push_back(static_cast<float>(flags.offset));
    table.blendUV.push_back(flags.uv ? 1 : 0);
    table.surfaceId.push_back(flags.surfaceId);
    table.blendLive.push_back(flags.live ? 1 : 0);
    table.bezier.push_back(flags.bezier ? 1 : 0);
    table.curvature.push_back(flags.curvature);
}

// Point index -> first entry of an item's arrays, as the CPU finds an inbetween's point.
std::unordered_map<int, unsigned int> firstEntries(const MIntArray& indices) {
    std::unordered_map<int, unsigned int> lookup;
    lookup.reserve(indices.length());
    for (unsigned int k = 0; k < indices.length(); ++k) {
        lookup.emplace(indices[k], k);
    }
    return lookup;
}

} // namespace

void KivoMorphGPU::fillItemBuffers(const ItemArrays& arrays, bool uv, ItemBuffers& buffers) {
    const unsigned int count = static_cast<unsigned int>(arrays.entries.size());
    std::vector<int> indices(count);
    std::vector<float> points(static_cast<std::size_t>(count) * 3);
    std::vector<float> uvs(static_cast<std::size_t>(count) * 2, 0.0f);
    forEachPoint(count, [&](unsigned int e) {
        const unsigned int k = arrays.entries[e];
        indices[e] = arrays.indices[k];
        const MPoint& p = arrays.points[k];
        points[3 * e] = static_cast<float>(p.x);
        points[3 * e + 1] = static_cast<float>(p.y);
        points[3 * e + 2] = static_cast<float>(p.z);
        if (uv) {
            uvs[2 * e] = static_cast<float>(arrays.uvs[2 * k]);
            uvs[2 * e + 1] = static_cast<float>(arrays.uvs[2 * k + 1]);
        }
    });
    buffers.indices.assign(std::move(indices));
    buffers.points.assign(std::move(points));
    buffers.uvs.assign(std::move(uvs));
}

void KivoMorphGPU::storeBezierControls(unsigned int geometry, unsigned int target,
                                       const std::vector<ItemArrays>& controls, const ItemArrays& last,
                                       bool uv) {
    const unsigned int controlCount = static_cast<unsigned int>(controls.size());
    const unsigned int count = static_cast<unsigned int>(last.entries.size());
    std::vector<std::unordered_map<int, unsigned int>> lookups;
    lookups.reserve(controlCount);
    for (const ItemArrays& control : controls) {
        lookups.push_back(firstEntries(control.indices));
    }
    std::vector<cl_float4> points(static_cast<std::size_t>(count) * controlCount);
    std::vector<cl_float2> uvs(static_cast<std::size_t>(count) * controlCount);
    forEachPoint(count, [&](unsigned int e) {
        const int point = last.indices[last.entries[e]];
        for (unsigned int c = 0; c < controlCount; ++c) {
            const ItemArrays& control = controls[c];
            cl_float4& p = points[static_cast<std::size_t>(e) * controlCount + c];
            cl_float2& t = uvs[static_cast<std::size_t>(e) * controlCount + c];
            p = cl_float4{{0.0f, 0.0f, 0.0f, 0.0f}};
            t = cl_float2{{0.0f, 0.0f}};
            const auto found = lookups[c].find(point);
            if (found == lookups[c].end()) {
                continue;
            }
            const unsigned int q = found->second;
            if (q >= control.points.length() || (uv && 2 * q + 1 >= control.uvs.length())) {
                continue;
            }
            const MPoint& d = control.points[q];
            p = cl_float4{{static_cast<float>(d.x), static_cast<float>(d.y), static_cast<float>(d.z), 1.0f}};
            if (uv) {
                t = cl_float2{
                    {static_cast<float>(control.uvs[2 * q]), static_cast<float>(control.uvs[2 * q + 1])}};
            }
        }
    });
    BezierControlBuffers& buffers = bezierControls[geometry][target];
    buffers.controlPoints.assign(std::move(points));
    buffers.controlUVs.assign(std::move(uvs));
    buffers.controlCount = controlCount;
    uploadFailed = KIVO_CL_CHECK(buffers.controlPoints.upload()) != CL_SUCCESS || uploadFailed;
    uploadFailed = KIVO_CL_CHECK(buffers.controlUVs.upload()) != CL_SUCCESS || uploadFailed;
}

MStatus KivoMorphGPU::prepareItems(MDataBlock& block, unsigned int geometry, unsigned int pointCount) {
    if (itemBuffers.size() <= geometry) {
        itemBuffers.resize(geometry + 1);
    }
    if (itemTables.size() <= geometry) {
        itemTables.resize(geometry + 1);
    }
    std::vector<ItemBuffers>& items = itemBuffers[geometry];
    MStatus status;
    MArrayDataHandle geometries = block.inputArrayValue(KivoMorph::inputTarget, &status);
    if (!status || !geometries.jumpToElement(geometry)) {
        // Nothing to blend on this geometry any more.
        items.clear();
        itemTables[geometry] = ItemTable();
        bezierControls.erase(geometry);
        return MS::kSuccess;
    }
    MArrayDataHandle targets(geometries.inputValue().child(KivoMorph::inputTargetGroup), &status);
    ItemTable table;
    std::size_t k = 0;
    bool anyUV = false;
    std::set<unsigned int> bezierTargets;
    for (unsigned int p = 0; status && p < targets.elementCount(); ++p) {
        targets.jumpToArrayElement(p);
        const unsigned int target = targets.elementIndex();
        MDataHandle group = targets.inputValue(&status);
        if (!status) {
            break;
        }
        const TargetFlags flags = readTargetFlags(group);
        MArrayDataHandle itemArray(group.child(KivoMorph::inputTargetItem), &status);
        if (!status) {
            break;
        }
        const unsigned int itemCount = itemArray.elementCount();
        const bool bezier = flags.bezier && itemCount >= 2;
        std::vector<ItemArrays> controls;
        for (unsigned int o = 0; o < itemCount; ++o) {
            itemArray.jumpToArrayElement(o);
            const unsigned int itemIndex = itemArray.elementIndex();
            if (inbetween::isRestItem(itemIndex)) {
                continue;
            }
            ItemArrays arrays;
            if (flags.live) {
                if (!computeLiveItem(block, geometry, itemArray, target, flags.precision, flags.uv,
                                     flags.surfaceId, arrays)) {
                    continue;
                }
                selectEntries(arrays, flags.uv, pointCount);
            } else {
                MDataHandle itemHandle = itemArray.inputValue(&status);
                if (!status || !readItemArrays(itemHandle, flags.uv, pointCount, arrays)) {
                    status = MS::kSuccess;
                    continue;
                }
            }
            appendToTable(table, itemIndex, itemCount, o, target, flags);
            anyUV = anyUV || flags.uv;
            if (bezier && o + 1 < itemCount) {
                controls.push_back(arrays);
            } else if (bezier) {
                storeBezierControls(geometry, target, controls, arrays, flags.uv);
                bezierTargets.insert(target);
            }
            if (k >= items.size()) {
                items.emplace_back();
            }
            fillItemBuffers(arrays, flags.uv, items[k]);
            ++k;
        }
    }
    itemTables[geometry] = std::move(table);
    // Controls of targets that are no longer Bezier targets go.
    auto& controlsOfGeometry = bezierControls[geometry];
    for (auto it = controlsOfGeometry.begin(); it != controlsOfGeometry.end();) {
        it = bezierTargets.count(it->first) ? std::next(it) : controlsOfGeometry.erase(it);
    }
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(k), items.end());
    if (items.empty()) {
        return MS::kFailure;
    }
    for (ItemBuffers& item : items) {
        for (GPUDataVector<float>* values : {&item.points, &item.uvs}) {
            uploadFailed = KIVO_CL_CHECK(values->upload()) != CL_SUCCESS || uploadFailed;
        }
        uploadFailed = KIVO_CL_CHECK(item.indices.upload()) != CL_SUCCESS || uploadFailed;
    }
    if (anyUV) {
        prepareSurfaces(block);
        prepareSurfaceBindings(block, geometry, pointCount);
    }
    return MS::kSuccess;
}
