#include "dg/Attribute.h"
#include "dg/NodeClass.h"
#include <algorithm>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnGenericAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>

using khost::Attribute;
using khost::AttrKind;

namespace {

Attribute* attr(const MObject& object) {
    return khost::objectAs<Attribute>(object);
}

MStatus setFlag(const MObject& object, bool Attribute::*flag, bool state) {
    Attribute* a = attr(object);
    if (!a)
        return MS::kInvalidParameter;
    a->*flag = state;
    return MS::kSuccess;
}

bool getFlag(const MObject& object, bool Attribute::*flag, MStatus* status) {
    Attribute* a = attr(object);
    if (status)
        *status = a ? MS::kSuccess : MS::kInvalidParameter;
    return a && a->*flag;
}

MObject makeAttribute(MObject& attached, AttrKind kind, const MString& full, const MString& brief,
                      MStatus* status) {
    auto a = std::make_shared<Attribute>();
    a->kind = kind;
    a->name = full.asChar();
    a->shortName = brief.length() ? brief.asChar() : full.asChar();
    attached = MObject(a);
    if (status)
        *status = a->name.empty() ? MS::kInvalidParameter : MS::kSuccess;
    return attached;
}

} // namespace

MFnAttribute::MFnAttribute(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnAttribute::MFnAttribute(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

MString MFnAttribute::name() const {
    return attr(fObject) ? MString(attr(fObject)->name.c_str()) : MString();
}
MString MFnAttribute::shortName() const {
    return attr(fObject) ? MString(attr(fObject)->shortName.c_str()) : MString();
}
bool MFnAttribute::isReadable(MStatus* s) const {
    return getFlag(fObject, &Attribute::readable, s);
}
bool MFnAttribute::isWritable(MStatus* s) const {
    return getFlag(fObject, &Attribute::writable, s);
}
bool MFnAttribute::isConnectable(MStatus* s) const {
    return getFlag(fObject, &Attribute::connectable, s);
}
bool MFnAttribute::isStorable(MStatus* s) const {
    return getFlag(fObject, &Attribute::storable, s);
}
bool MFnAttribute::isKeyable(MStatus* s) const {
    return getFlag(fObject, &Attribute::keyable, s);
}
bool MFnAttribute::isHidden(MStatus* s) const {
    return getFlag(fObject, &Attribute::hidden, s);
}
bool MFnAttribute::isArray(MStatus* s) const {
    return getFlag(fObject, &Attribute::array, s);
}
bool MFnAttribute::internal(MStatus* s) const {
    return getFlag(fObject, &Attribute::internal, s);
}
bool MFnAttribute::usesArrayDataBuilder(MStatus* s) const {
    return getFlag(fObject, &Attribute::usesArrayDataBuilder, s);
}
MFnAttribute::DisconnectBehavior MFnAttribute::disconnectBehavior(MStatus* s) const {
    Attribute* a = attr(fObject);
    if (s)
        *s = a ? MS::kSuccess : MS::kInvalidParameter;
    return a ? a->disconnectBehavior : kNothing;
}
bool MFnAttribute::accepts(MFnData::Type dataType, MStatus* s) const {
    Attribute* a = attr(fObject);
    if (s)
        *s = a ? MS::kSuccess : MS::kInvalidParameter;
    return a && a->acceptsData(dataType);
}
MObject MFnAttribute::parent(MStatus* s) const {
    Attribute* a = attr(fObject);
    if (s)
        *s = a && a->parent ? MS::kSuccess : MS::kNotFound;
    if (!a || !a->parent)
        return MObject();
    return MObject(a->parent->shared_from_this());
}

MStatus MFnAttribute::setReadable(bool v) {
    return setFlag(fObject, &Attribute::readable, v);
}
MStatus MFnAttribute::setWritable(bool v) {
    return setFlag(fObject, &Attribute::writable, v);
}
MStatus MFnAttribute::setConnectable(bool v) {
    return setFlag(fObject, &Attribute::connectable, v);
}
MStatus MFnAttribute::setStorable(bool v) {
    return setFlag(fObject, &Attribute::storable, v);
}
MStatus MFnAttribute::setKeyable(bool v) {
    return setFlag(fObject, &Attribute::keyable, v);
}
MStatus MFnAttribute::setHidden(bool v) {
    return setFlag(fObject, &Attribute::hidden, v);
}
MStatus MFnAttribute::setArray(bool v) {
    return setFlag(fObject, &Attribute::array, v);
}
MStatus MFnAttribute::setInternal(bool v) {
    return setFlag(fObject, &Attribute::internal, v);
}
MStatus MFnAttribute::setUsesArrayDataBuilder(bool v) {
    return setFlag(fObject, &Attribute::usesArrayDataBuilder, v);
}
MStatus MFnAttribute::setCached(bool v) {
    return setFlag(fObject, &Attribute::cached, v);
}
MStatus MFnAttribute::setDisconnectBehavior(DisconnectBehavior behavior) {
    Attribute* a = attr(fObject);
    if (!a)
        return MS::kInvalidParameter;
    a->disconnectBehavior = behavior;
    return MS::kSuccess;
}

// Numeric.
MFnNumericAttribute::MFnNumericAttribute(MObject& object, MStatus* s) {
    attach(object, s);
}
MFnNumericAttribute::MFnNumericAttribute(const MObject& object, MStatus* s) {
    attach(object, s);
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    MFnNumericData::Type unitType, double defaultValue,
                                    MStatus* ReturnStatus) {
    makeAttribute(fObject, AttrKind::Numeric, fullName, briefName, ReturnStatus);
    attr(fObject)->numericType = unitType;
    attr(fObject)->defaultValue = defaultValue;
    return fObject;
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* s) const {
    Attribute* a = attr(fObject);
    if (s)
        *s = a ? MS::kSuccess : MS::kInvalidParameter;
    return a ? a->numericType : MFnNumericData::kInvalid;
}

namespace {
MStatus setLimit(const MObject& object, bool Attribute::*has, double Attribute::*value, double v) {
    Attribute* a = attr(object);
    if (!a)
        return MS::kInvalidParameter;
    a->*has = true;
    a->*value = v;
    return MS::kSuccess;
}
MStatus getLimit(const MObject& object, bool Attribute::*has, double Attribute::*value, double& v) {
    Attribute* a = attr(object);
    if (!a || !(a->*has))
        return MS::kFailure;
    v = a->*value;
    return MS::kSuccess;
}
} // namespace

MStatus MFnNumericAttribute::setMin(double v) {
    return setLimit(fObject, &Attribute::hasMin, &Attribute::minValue, v);
}
MStatus MFnNumericAttribute::setMax(double v) {
    return setLimit(fObject, &Attribute::hasMax, &Attribute::maxValue, v);
}
MStatus MFnNumericAttribute::setSoftMin(double v) {
    return setLimit(fObject, &Attribute::hasSoftMin, &Attribute::softMinValue, v);
}
MStatus MFnNumericAttribute::setSoftMax(double v) {
    return setLimit(fObject, &Attribute::hasSoftMax, &Attribute::softMaxValue, v);
}
MStatus MFnNumericAttribute::setDefault(double v) {
    Attribute* a = attr(fObject);
    if (!a)
        return MS::kInvalidParameter;
    a->defaultValue = v;
    return MS::kSuccess;
}
bool MFnNumericAttribute::hasMin(MStatus* s) const {
    return getFlag(fObject, &Attribute::hasMin, s);
}
bool MFnNumericAttribute::hasMax(MStatus* s) const {
    return getFlag(fObject, &Attribute::hasMax, s);
}
bool MFnNumericAttribute::hasSoftMin(MStatus* s) const {
    return getFlag(fObject, &Attribute::hasSoftMin, s);
}
bool MFnNumericAttribute::hasSoftMax(MStatus* s) const {
    return getFlag(fObject, &Attribute::hasSoftMax, s);
}
MStatus MFnNumericAttribute::getMin(double& v) const {
    return getLimit(fObject, &Attribute::hasMin, &Attribute::minValue, v);
}
MStatus MFnNumericAttribute::getMax(double& v) const {
    return getLimit(fObject, &Attribute::hasMax, &Attribute::maxValue, v);
}
MStatus MFnNumericAttribute::getSoftMin(double& v) const {
    return getLimit(fObject, &Attribute::hasSoftMin, &Attribute::softMinValue, v);
}
MStatus MFnNumericAttribute::getSoftMax(double& v) const {
    return getLimit(fObject, &Attribute::hasSoftMax, &Attribute::softMaxValue, v);
}
MStatus MFnNumericAttribute::getDefault(double& v) const {
    Attribute* a = attr(fObject);
    if (!a)
        return MS::kInvalidParameter;
    v = a->defaultValue;
    return MS::kSuccess;
}

// Typed.
MFnTypedAttribute::MFnTypedAttribute(MObject& object, MStatus* s) {
    attach(object, s);
}
MFnTypedAttribute::MFnTypedAttribute(const MObject& object, MStatus* s) {
    attach(object, s);
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, MFnData::Type dataType,
                                  const MObject& defaultData, MStatus* ReturnStatus) {
    makeAttribute(fObject, AttrKind::Typed, fullName, briefName, ReturnStatus);
    attr(fObject)->dataType = dataType;
    attr(fObject)->defaultData = defaultData;
    return fObject;
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* s) const {
    Attribute* a = attr(fObject);
    if (s)
        *s = a ? MS::kSuccess : MS::kInvalidParameter;
    return a ? a->dataType : MFnData::kInvalid;
}

// Compound.
MFnCompoundAttribute::MFnCompoundAttribute(MObject& object, MStatus* s) {
    attach(object, s);
}
MFnCompoundAttribute::MFnCompoundAttribute(const MObject& object, MStatus* s) {
    attach(object, s);
}

MObject MFnCompoundAttribute::create(const MString& full, const MString& brief, MStatus* ReturnStatus) {
    return makeAttribute(fObject, AttrKind::Compound, full, brief, ReturnStatus);
}

MStatus MFnCompoundAttribute::addChild(const MObject& child) {
    Attribute* a = attr(fObject);
    auto c = khost::attributeOf(child);
    if (!a || !c || c->parent || c.get() == a || c->isAncestorOf(a))
        return MS::kInvalidParameter;
    c->parent = a;
    a->children.push_back(c);
    return MS::kSuccess;
}

unsigned int MFnCompoundAttribute::numChildren(MStatus* s) const {
    Attribute* a = attr(fObject);
    if (s)
        *s = a ? MS::kSuccess : MS::kInvalidParameter;
    return a ? static_cast<unsigned>(a->children.size()) : 0;
}

MObject MFnCompoundAttribute::child(unsigned int index, MStatus* s) const {
    Attribute* a = attr(fObject);
    bool ok = a && index < a->children.size();
    if (s)
        *s = ok ? MS::kSuccess : MS::kInvalidParameter;
    return ok ? MObject(a->children[index]) : MObject();
}

// Generic.
MFnGenericAttribute::MFnGenericAttribute(MObject& object, MStatus* s) {
    attach(object, s);
}
MFnGenericAttribute::MFnGenericAttribute(const MObject& object, MStatus* s) {
    attach(object, s);
}

MObject MFnGenericAttribute::create(const MString& full, const MString& brief, MStatus* ReturnStatus) {
    return makeAttribute(fObject, AttrKind::Generic, full, brief, ReturnStatus);
}

MStatus MFnGenericAttribute::addDataAccept(MFnData::Type newType) {
    Attribute* a = attr(fObject);
    if (!a)
        return MS::kInvalidParameter;
    a->accepts.push_back(newType);
    return MS::kSuccess;
}

MStatus MFnGenericAttribute::addNumericDataAccept(MFnNumericData::Type newType) {
    Attribute* a = attr(fObject);
    if (!a)
        return MS::kInvalidParameter;
    a->numericAccepts.push_back(newType);
    return MS::kSuccess;
}
