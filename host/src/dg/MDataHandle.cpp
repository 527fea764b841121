#include "dg/DataTypes.h"
#include "dg/Value.h"
#include <maya/MDataHandle.h>

using khost::AttrKind;
using khost::Value;

namespace {
// Handles on nothing still hand out a reference, as the API's reference returns require.
Value* orScratch(Value* v) {
    static thread_local khost::Attribute scratchAttr;
    static thread_local Value scratch(&scratchAttr, false);
    if (v)
        return v;
    scratch.setNumeric(0.0);
    return &scratch;
}
} // namespace

bool MDataHandle::isNumeric() const {
    return fValue && fValue->attr->kind == AttrKind::Numeric;
}

bool MDataHandle::isGeneric(bool& numeric, bool& null) const {
    numeric = false;
    null = !fValue || fValue->data.isNull();
    return fValue && fValue->attr->kind == AttrKind::Generic;
}

MFnNumericData::Type MDataHandle::numericType() const {
    return isNumeric() ? fValue->attr->numericType : MFnNumericData::kInvalid;
}

MFnData::Type MDataHandle::type() const {
    if (!fValue)
        return MFnData::kInvalid;
    if (fValue->attr->kind == AttrKind::Numeric)
        return MFnData::kNumeric;
    if (!fValue->data.isNull())
        return khost::dataTypeOf(fValue->data);
    return fValue->attr->kind == AttrKind::Typed ? fValue->attr->dataType : MFnData::kInvalid;
}

MObject MDataHandle::attribute() {
    return fValue ? MObject(std::const_pointer_cast<khost::Object>(fValue->attr->shared_from_this()))
                  : MObject();
}

MObject MDataHandle::data() {
    return fValue ? fValue->data : MObject();
}

MStatus MDataHandle::set(const MObject& data) {
    if (!fValue || fValue->isArray)
        return MS::kInvalidParameter;
    fValue->data = data;
    return MS::kSuccess;
}

void MDataHandle::setMObject(const MObject& data) {
    set(data);
}

void MDataHandle::setClean() {
    if (fValue)
        fValue->setDirtyTree(false);
}

bool& MDataHandle::asBool() const {
    Value* v = orScratch(fValue);
    v->syncNumeric();
    return v->b;
}
int& MDataHandle::asInt() const {
    Value* v = orScratch(fValue);
    v->syncNumeric();
    return v->i;
}
float& MDataHandle::asFloat() const {
    Value* v = orScratch(fValue);
    v->syncNumeric();
    return v->f;
}
double& MDataHandle::asDouble() const {
    Value* v = orScratch(fValue);
    v->syncNumeric();
    return v->d;
}

MString MDataHandle::asString() const {
    auto* str = fValue ? khost::objectAs<khost::StringData>(fValue->data) : nullptr;
    return str ? str->value : MString();
}

MObject MDataHandle::asMesh() const {
    return fValue && fValue->data.apiType() == MFn::kMeshData ? fValue->data : MObject();
}
MObject MDataHandle::asNurbsCurve() const {
    return fValue && fValue->data.apiType() == MFn::kNurbsCurveData ? fValue->data : MObject();
}
MObject MDataHandle::asNurbsSurface() const {
    return fValue && fValue->data.apiType() == MFn::kNurbsSurfaceData ? fValue->data : MObject();
}

void MDataHandle::setBool(bool value) {
    if (fValue)
        fValue->setNumeric(value ? 1.0 : 0.0);
}
void MDataHandle::setInt(int value) {
    if (fValue)
        fValue->setNumeric(value);
}
void MDataHandle::setFloat(float value) {
    if (fValue)
        fValue->setNumeric(value);
}
void MDataHandle::setDouble(double value) {
    if (fValue)
        fValue->setNumeric(value);
}
void MDataHandle::setString(const MString& value) {
    if (!fValue)
        return;
    auto data = std::make_shared<khost::StringData>();
    data->value = value;
    fValue->data = MObject(data);
}

MStatus MDataHandle::copy(const MDataHandle& src) {
    if (!fValue || !src.fValue || fValue->isArray != src.fValue->isArray)
        return MS::kInvalidParameter;
    fValue->assign(*src.fValue);
    return MS::kSuccess;
}

MDataHandle MDataHandle::child(const MObject& attribute) {
    auto a = khost::attributeOf(attribute);
    if (!fValue || !a || fValue->isArray)
        return MDataHandle();
    return MDataHandle(fValue->child(a.get()));
}
