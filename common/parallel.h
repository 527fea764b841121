#pragma once
// Loops over point indices (or ranges of them) run by TBB. Each index is independent and written
// by one task only, so the result never depends on the number of threads.

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_group.h>

// Below this many points one thread is faster than sharing the work.
inline constexpr unsigned int kParallelPoints = 32768;

// body(begin, end) over consecutive blocks covering [0, count): one block on this thread, or many
// spread over the threads when `parallel`.
template <typename Body> void forEachBlock(unsigned int count, bool parallel, const Body& body) {
    if (!parallel) {
        body(0u, count);
        return;
    }
    tbb::task_group_context context;
    tbb::parallel_for(
        tbb::blocked_range<unsigned int>(0, count),
        [&body](const tbb::blocked_range<unsigned int>& range) { body(range.begin(), range.end()); },
        tbb::auto_partitioner(), context);
}

// body(i) for every point index i in [0, count).
template <typename Body> void forEachPoint(unsigned int count, const Body& body) {
    forEachBlock(count, count >= kParallelPoints, [&body](unsigned int begin, unsigned int end) {
        for (unsigned int i = begin; i != end; ++i) {
            body(i);
        }
    });
}
