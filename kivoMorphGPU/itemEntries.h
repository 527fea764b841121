#pragma once
// Which entries of an item's stored arrays the GPU may apply, and in which order. An entry applies when
// it has a point index inside the geometry and its data (a delta, and two UV values for a UV target),
// as on the CPU. The kernel lets the first entry of a run of equal point indices apply the whole run,
// so the entries are put in ascending point order when they are not already, keeping the order of
// entries that share a point: each point still gets its additions in the CPU's order.

#include <limits>
#include <vector>

// Entry numbers 0 .. count-1 kept, in upload order. count is the readable length of the arrays;
// uvValues the number of UV values (unlimited for an item that does not blend in UV space).
std::vector<unsigned int> applicableEntries(const int* indices, unsigned int count, unsigned int pointCount,
                                            unsigned int uvValues = std::numeric_limits<unsigned int>::max());
