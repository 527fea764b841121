#pragma once
// Where a plug points inside a node: an attribute and the logical indices of the array
// attributes on its chain (-1 where not given).
#include "dg/Attribute.h"
#include <vector>

namespace khost {

struct PlugKey {
    const Attribute* attr = nullptr;
    std::vector<int> indices;

    bool operator<(const PlugKey& other) const;
    bool operator==(const PlugKey& other) const { return attr == other.attr && indices == other.indices; }
    bool operator!=(const PlugKey& other) const { return !(*this == other); }
    // True when this key is `outer` itself or lies below it (unspecified indices of `outer` match any).
    bool within(const PlugKey& outer) const;
    bool overlaps(const PlugKey& other) const { return within(other) || other.within(*this); }
    PlugKey parentKey() const; // the compound parent (or array plug of an element); attr null at the top
    PlugKey arrayKey() const;  // for an element: its array plug
    bool isElement() const;
    bool isArrayPlug() const;
    bool fullySpecified() const;
};

} // namespace khost
