#pragma once
// The value tree of one node: one Value per attribute instance. Arrays keep their
// elements sorted by logical index.
#include "dg/Attribute.h"
#include <maya/MObject.h>
#include <memory>
#include <utility>
#include <vector>

namespace khost {

struct Value {
    explicit Value(const Attribute* attribute, bool arrayContainer);
    // A fresh instance of the attribute with its defaults (an array container when the attribute is an
    // array).
    static std::unique_ptr<Value> make(const Attribute* attribute);

    const Attribute* attr;
    bool isArray;
    std::vector<std::pair<unsigned, std::unique_ptr<Value>>> elements;
    std::vector<std::unique_ptr<Value>> children;
    // Numeric storage; the field matching the attribute's type is authoritative, the others mirror it.
    mutable double d = 0.0;
    mutable float f = 0.0f;
    mutable int i = 0;
    mutable bool b = false;
    MObject data;
    bool dirty = false;

    double numeric() const;
    void setNumeric(double value);
    // Refreshes the mirrored numeric fields from the authoritative one.
    void syncNumeric() const;
    // False when a number anywhere in the value (its own, its data's, its elements' or children's)
    // is infinite or NaN.
    bool finite() const;

    Value* child(const Attribute* attribute) const;
    Value* element(unsigned logicalIndex) const;
    Value* addElement(unsigned logicalIndex);
    bool removeElement(unsigned logicalIndex);
    int positionOf(unsigned logicalIndex) const;

    std::unique_ptr<Value> clone() const;
    // Replaces this value's contents with a deep copy of other's (same attribute kind), keeping this
    // value's attribute throughout.
    void assign(const Value& other);
    void setDirtyTree(bool dirtyState);
    bool anyDirty() const;
};

} // namespace khost
