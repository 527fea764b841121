#pragma once
// The additions of one evaluation: every item that contributes, with its factor and weights,
// gathered while the target loop walks the node's data and then applied to the output points in
// one pass. The pass is split by point ranges, never by items, so every point receives its
// additions in the order of the serial loop (targets, then items, then entries) and the result is
// the same bit for bit at any thread count.

#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>

#include <cstddef>
#include <unordered_map>
#include <vector>

// An inbetween taking part in a Bezier blend: its entries, found by point index.
struct BezierControl {
    const MIntArray* indices = nullptr;
    const MPointArray* deltas = nullptr;
    // Point index -> first entry, for entries that are not in ascending order; null when they are
    // and a binary search finds them.
    const std::unordered_map<int, unsigned int>* lookup = nullptr;
    // u and v deltas, two per entry, for the inbetweens of a UV target.
    const MDoubleArray* uvDeltas = nullptr;
};

// The inbetween's first entry for a point, or its entry count when it has none.
unsigned int entryOf(const BezierControl& control, int point);

struct BlendJob {
    const MIntArray* indices = nullptr;
    // The deltas, or with `exact` the displacements to add as they are (those of UV items, whose
    // weights were applied when the points were placed on their surface).
    const MPointArray* deltas = nullptr;
    bool exact = false;
    // Entries 0 .. count-1 are applied: every index is within the geometry and has a delta.
    unsigned int count = 0;
    // The item's factor (plain) or the curve parameter t (Bezier).
    float factor = 0.0f;
    // One weight per point, or null when every weight of the target is 1.
    const float* targetWeights = nullptr;
    // Bezier blend through these inbetweens, with s = 2 x curvature; plain when null.
    const std::vector<BezierControl>* bezier = nullptr;
    double curve = 0.0;
};

// The single-precision weight of every point but the target's own: base weight, and envelope x
// deformer weight, with their product for targets whose weights are all 1.
struct PointWeightArrays {
    const float* base = nullptr;
    const float* envelopeDeformer = nullptr;
    const float* product = nullptr;
};

// True when the indices never decrease, which the split by point ranges relies on.
bool ascending(const MIntArray& indices, unsigned int count);

// Adds every job to the output points. With ordered jobs (ascending indices) the points are split
// into ranges worked on in parallel once there are enough of them; otherwise the jobs run one
// after the other on this thread. Both give the same points.
void runBlendJobs(const std::vector<BlendJob>& jobs, bool ordered, const PointWeightArrays& weights,
                  MPointArray& output);
