#include "dg/Value.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace khost {

namespace {
// Beyond the float range a value becomes an infinity explicitly, not through an overflowing cast.
float narrowToFloat(double value) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}
} // namespace

Value::Value(const Attribute* attribute, bool arrayContainer) : attr(attribute), isArray(arrayContainer) {
    if (isArray)
        return;
    if (attr->kind == AttrKind::Compound) {
        for (const auto& c : attr->children)
            children.push_back(make(c.get()));
    } else if (attr->kind == AttrKind::Numeric) {
        setNumeric(attr->defaultValue);
    } else if (!attr->defaultData.isNull()) {
        if (auto* source = dynamic_cast<Data*>(attr->defaultData.impl().get()))
            data = MObject(source->clone());
    }
}

std::unique_ptr<Value> Value::make(const Attribute* attribute) {
    return std::make_unique<Value>(attribute, attribute->array);
}

double Value::numeric() const {
    switch (attr->numericType) {
    case MFnNumericData::kBoolean:
        return b ? 1.0 : 0.0;
    case MFnNumericData::kInt:
    case MFnNumericData::kShort:
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
    case MFnNumericData::kInt64:
        return i;
    case MFnNumericData::kFloat:
        return f;
    default:
        return d;
    }
}

void Value::setNumeric(double value) {
    switch (attr->numericType) {
    case MFnNumericData::kBoolean:
        value = value != 0.0 ? 1.0 : 0.0;
        break;
    case MFnNumericData::kInt:
    case MFnNumericData::kShort:
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
    case MFnNumericData::kInt64:
        // Truncation toward zero, as a C cast; out-of-range values saturate instead of being undefined.
        value = std::isfinite(value) ? std::trunc(std::clamp(value, -2147483648.0, 2147483647.0)) : 0.0;
        break;
    case MFnNumericData::kFloat:
        value = narrowToFloat(value);
        break;
    default:
        break;
    }
    d = value;
    f = narrowToFloat(value);
    i = std::isfinite(value) ? static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0)) : 0;
    b = value != 0.0;
}

void Value::syncNumeric() const {
    const_cast<Value*>(this)->setNumeric(numeric());
}

bool Value::finite() const {
    if (!isArray && (attr->kind == AttrKind::Numeric || attr->kind == AttrKind::Generic) &&
        !std::isfinite(numeric()))
        return false;
    if (auto* payload = dynamic_cast<const Data*>(data.impl().get()); payload && !payload->finite())
        return false;
    for (const auto& e : elements)
        if (!e.second->finite())
            return false;
    for (const auto& c : children)
        if (!c->finite())
            return false;
    return true;
}

Value* Value::child(const Attribute* attribute) const {
    for (const auto& c : children)
        if (c->attr == attribute)
            return c.get();
    return nullptr;
}

int Value::positionOf(unsigned logicalIndex) const {
    auto it = std::lower_bound(elements.begin(), elements.end(), logicalIndex,
                               [](const auto& e, unsigned index) { return e.first < index; });
    if (it == elements.end() || it->first != logicalIndex)
        return -1;
    return static_cast<int>(it - elements.begin());
}

Value* Value::element(unsigned logicalIndex) const {
    int position = positionOf(logicalIndex);
    return position < 0 ? nullptr : elements[position].second.get();
}

Value* Value::addElement(unsigned logicalIndex) {
    auto it = std::lower_bound(elements.begin(), elements.end(), logicalIndex,
                               [](const auto& e, unsigned index) { return e.first < index; });
    if (it != elements.end() && it->first == logicalIndex)
        return it->second.get();
    it = elements.insert(it, {logicalIndex, std::make_unique<Value>(attr, false)});
    return it->second.get();
}

bool Value::removeElement(unsigned logicalIndex) {
    int position = positionOf(logicalIndex);
    if (position < 0)
        return false;
    elements.erase(elements.begin() + position);
    return true;
}

std::unique_ptr<Value> Value::clone() const {
    auto copy = std::make_unique<Value>(attr, isArray);
    copy->assign(*this);
    return copy;
}

void Value::assign(const Value& other) {
    if (this == &other)
        return;
    d = other.d;
    f = other.f;
    i = other.i;
    b = other.b;
    data = MObject();
    if (auto* source = dynamic_cast<Data*>(other.data.impl().get()))
        data = MObject(source->clone());
    elements.clear();
    // Elements take this array's attribute, not the source's: a value copied from another plug (a
    // proxy such as paintTargetWeights) must stay what this attribute is, storable or not.
    elements.reserve(other.elements.size());
    for (const auto& e : other.elements) {
        auto element = std::make_unique<Value>(attr, false);
        element->assign(*e.second);
        elements.emplace_back(e.first, std::move(element));
    }
    if (!other.children.empty() || !children.empty()) {
        for (const auto& c : children)
            if (Value* source = other.child(c->attr))
                c->assign(*source);
    }
    dirty = other.dirty;
}

void Value::setDirtyTree(bool dirtyState) {
    dirty = dirtyState;
    for (auto& e : elements)
        e.second->setDirtyTree(dirtyState);
    for (auto& c : children)
        c->setDirtyTree(dirtyState);
}

bool Value::anyDirty() const {
    if (dirty)
        return true;
    for (const auto& e : elements)
        if (e.second->anyDirty())
            return true;
    for (const auto& c : children)
        if (c->anyDirty())
            return true;
    return false;
}

} // namespace khost
