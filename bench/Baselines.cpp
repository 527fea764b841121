#include "Baselines.h"

#include <benchmark/benchmark.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <chrono>
#include <limits>

namespace bench {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

double triadBytesPerSecond() {
    const size_t n = size_t(1) << 24; // 128 MB per array
    std::vector<double> a(n, 0.0), b(n, 1.0), c(n, 2.0);
    double best = std::numeric_limits<double>::max();
    for (int pass = 0; pass < 5; ++pass) {
        const double s = 0.5 + pass;
        const auto start = std::chrono::steady_clock::now();
        tbb::parallel_for(tbb::blocked_range<size_t>(0, n, size_t(1) << 16),
                          [&](const tbb::blocked_range<size_t>& r) {
                              for (size_t i = r.begin(); i != r.end(); ++i)
                                  a[i] = b[i] + s * c[i];
                          });
        best = std::min(best, secondsSince(start));
        benchmark::DoNotOptimize(a[n / 2]);
    }
    return 3.0 * sizeof(double) * static_cast<double>(n) / best;
}

double plainLoopSeconds(const std::vector<SparseTarget>& targets, const MPointArray& input, int passes) {
    MPointArray output(input);
    MPoint* points = &output[0];
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        for (const SparseTarget& target : targets) {
            const unsigned int count = target.indices.length();
            const int* indices = count ? &target.indices[0] : nullptr;
            const MPoint* deltas = count ? &target.deltas[0] : nullptr;
            const double w = target.weight;
            for (unsigned int k = 0; k < count; ++k) {
                MPoint& p = points[indices[k]];
                p.x += w * deltas[k].x;
                p.y += w * deltas[k].y;
                p.z += w * deltas[k].z;
            }
        }
        benchmark::DoNotOptimize(points[0]);
    }
    return secondsSince(start) / passes;
}

double minimalTrafficBytes(const std::vector<SparseTarget>& targets, unsigned int pointCount) {
    double bytes = 2.0 * sizeof(MPoint) * pointCount;
    for (const SparseTarget& target : targets)
        bytes += static_cast<double>(target.indices.length()) * (sizeof(int) + sizeof(MPoint));
    return bytes;
}

} // namespace bench
