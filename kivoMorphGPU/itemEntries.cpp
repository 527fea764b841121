#include "kivoMorphGPU/itemEntries.h"

#include <algorithm>

std::vector<unsigned int> applicableEntries(const int* indices, unsigned int count, unsigned int pointCount,
                                            unsigned int uvValues) {
    std::vector<unsigned int> entries;
    entries.reserve(count);
    bool ascending = true;
    for (unsigned int k = 0; k < count; ++k) {
        const int i = indices[k];
        if (i < 0 || static_cast<unsigned int>(i) >= pointCount || k >= uvValues / 2) {
            continue;
        }
        ascending = ascending && (entries.empty() || indices[entries.back()] <= i);
        entries.push_back(k);
    }
    if (!ascending) {
        std::stable_sort(entries.begin(), entries.end(),
                         [indices](unsigned int a, unsigned int b) { return indices[a] < indices[b]; });
    }
    return entries;
}
