#pragma once
// Per-point loops over TBB: each index is independent and written by one task only, so the result
// never depends on the number of threads. The calling thread waits for the loop to end.

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_group.h>

// body(i) for every index i in [0, count).
template <typename Body> void parallelForPoints(unsigned int count, const Body& body) {
    tbb::task_group_context context;
    tbb::parallel_for(
        tbb::blocked_range<unsigned int>(0, count),
        [&body](const tbb::blocked_range<unsigned int>& range) {
            for (unsigned int i = range.begin(); i != range.end(); ++i) {
                body(i);
            }
        },
        tbb::auto_partitioner(), context);
}
