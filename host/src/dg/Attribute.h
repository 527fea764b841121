#pragma once
// An attribute definition, shared by every node of the classes that carry it.
#include "core/Object.h"
#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <memory>
#include <string>
#include <vector>

namespace khost {

enum class AttrKind { Numeric, Typed, Compound, Generic };

class Attribute : public Object {
public:
    MFn::Type apiType() const override;
    bool hasFn(MFn::Type type) const override;

    AttrKind kind = AttrKind::Numeric;
    std::string name;
    std::string shortName;
    MFnNumericData::Type numericType = MFnNumericData::kInvalid;
    MFnData::Type dataType = MFnData::kInvalid;
    std::vector<MFnData::Type> accepts;
    std::vector<MFnNumericData::Type> numericAccepts;
    double defaultValue = 0.0;
    MObject defaultData;
    bool hasMin = false, hasMax = false, hasSoftMin = false, hasSoftMax = false;
    double minValue = 0, maxValue = 0, softMinValue = 0, softMaxValue = 0;
    bool readable = true, writable = true, storable = true, connectable = true;
    bool keyable = false, hidden = false, internal = false, array = false;
    bool usesArrayDataBuilder = false, cached = true;
    MFnAttribute::DisconnectBehavior disconnectBehavior = MFnAttribute::kNothing;
    std::vector<std::shared_ptr<Attribute>> children;
    Attribute* parent = nullptr;

    // Root first, this attribute last.
    std::vector<const Attribute*> chain() const;
    // Number of array attributes on the chain, this one included.
    size_t arrayDepth() const;
    bool isAncestorOf(const Attribute* other) const;
    bool acceptsData(MFnData::Type type) const;
    double clamp(double value) const;
};

std::shared_ptr<Attribute> attributeOf(const MObject& object);

} // namespace khost
