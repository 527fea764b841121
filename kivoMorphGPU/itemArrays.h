#pragma once
// One target item's sparse arrays as the GPU override uploads them: the stored (or live) arrays and the
// entries of them that apply to the geometry, in upload order.

#include "kivoMorph/kivoMorph.h"

#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>

#include <vector>

struct ItemArrays {
    MIntArray indices;
    MPointArray points;
    MDoubleArray uvs;
    std::vector<unsigned int> entries;
};

// The settings of one target (an inputTargetGroup element) that its items are prepared with: the
// node's blend settings and the live tolerance.
struct TargetFlags : TargetSettings {
    double precision = 0.0;
};
TargetFlags readTargetFlags(MDataHandle& group);

// Chooses the entries of the arrays that apply to a geometry of pointCount points (itemEntries.h).
void selectEntries(ItemArrays& arrays, bool uv, unsigned int pointCount);

// Reads the item's inputPointsIndicesTarget, inputPointsTarget and (UV) inputUVTarget and selects the
// entries; false when an array is missing, or a UV item has fewer than two UV values per index.
bool readItemArrays(MDataHandle& item, bool uv, unsigned int pointCount, ItemArrays& arrays);
