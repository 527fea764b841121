#include "dg/PlugKey.h"

namespace khost {

bool PlugKey::operator<(const PlugKey& other) const {
    if (attr != other.attr)
        return std::less<const Attribute*>()(attr, other.attr);
    return indices < other.indices;
}

bool PlugKey::within(const PlugKey& outer) const {
    if (!attr || !outer.attr)
        return false;
    if (attr != outer.attr && !outer.attr->isAncestorOf(attr))
        return false;
    for (size_t k = 0; k < outer.indices.size(); ++k) {
        if (outer.indices[k] < 0)
            continue;
        if (k >= indices.size() || indices[k] != outer.indices[k])
            return false;
    }
    return true;
}

PlugKey PlugKey::parentKey() const {
    if (!attr)
        return {};
    if (isElement())
        return arrayKey();
    PlugKey result;
    result.attr = attr->parent;
    if (result.attr)
        result.indices.assign(indices.begin(), indices.begin() + result.attr->arrayDepth());
    return result;
}

PlugKey PlugKey::arrayKey() const {
    PlugKey result = *this;
    if (isElement())
        result.indices.back() = -1;
    return result;
}

bool PlugKey::isElement() const {
    return attr && attr->array && !indices.empty() && indices.back() >= 0;
}

bool PlugKey::isArrayPlug() const {
    return attr && attr->array && (indices.empty() || indices.back() < 0);
}

bool PlugKey::fullySpecified() const {
    for (int index : indices)
        if (index < 0)
            return false;
    return true;
}

} // namespace khost
