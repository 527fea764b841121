#include "dg/Attribute.h"
#include <algorithm>

namespace khost {

MFn::Type Attribute::apiType() const {
    switch (kind) {
    case AttrKind::Numeric:
        return MFn::kNumericAttribute;
    case AttrKind::Typed:
        return MFn::kTypedAttribute;
    case AttrKind::Compound:
        return MFn::kCompoundAttribute;
    case AttrKind::Generic:
        return MFn::kGenericAttribute;
    }
    return MFn::kAttribute;
}

bool Attribute::hasFn(MFn::Type type) const {
    return Object::hasFn(type) || type == MFn::kAttribute;
}

std::vector<const Attribute*> Attribute::chain() const {
    std::vector<const Attribute*> result;
    for (const Attribute* a = this; a; a = a->parent)
        result.push_back(a);
    std::reverse(result.begin(), result.end());
    return result;
}

size_t Attribute::arrayDepth() const {
    size_t depth = 0;
    for (const Attribute* a = this; a; a = a->parent)
        depth += a->array ? 1 : 0;
    return depth;
}

bool Attribute::isAncestorOf(const Attribute* other) const {
    for (const Attribute* a = other ? other->parent : nullptr; a; a = a->parent)
        if (a == this)
            return true;
    return false;
}

bool Attribute::acceptsData(MFnData::Type type) const {
    if (kind == AttrKind::Typed)
        return dataType == type || dataType == MFnData::kAny;
    if (kind == AttrKind::Generic)
        return std::find(accepts.begin(), accepts.end(), type) != accepts.end() ||
               std::find(accepts.begin(), accepts.end(), MFnData::kAny) != accepts.end();
    return false;
}

double Attribute::clamp(double value) const {
    if (hasMin && value < minValue)
        value = minValue;
    if (hasMax && value > maxValue)
        value = maxValue;
    return value;
}

std::shared_ptr<Attribute> attributeOf(const MObject& object) {
    return std::dynamic_pointer_cast<Attribute>(object.impl());
}

} // namespace khost
