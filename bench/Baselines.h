#pragma once
// What the node's evaluation is measured against, in the same run: the memory bandwidth of a
// STREAM-style triad, and the plain sparse loop that any blend shape has to run.
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <vector>

namespace bench {

// Bytes per second of a[i] = b[i] + s * c[i] over arrays far larger than the caches, with the
// threads TBB may use now; the best of a few passes.
double triadBytesPerSecond();

// One target's full item as the node stores it, with its weight.
struct SparseTarget {
    MIntArray indices;
    MPointArray deltas;
    double weight = 0.0;
};

// Seconds per pass of output[i] += weight * delta over every entry of every target, on one thread.
double plainLoopSeconds(const std::vector<SparseTarget>& targets, const MPointArray& input, int passes);

// Bytes that any evaluation must move: the points read and written once, and each target's
// indices and deltas read once.
double minimalTrafficBytes(const std::vector<SparseTarget>& targets, unsigned int pointCount);

} // namespace bench
