#include "core/Object.h"
#include "dg/DataTypes.h"
#include <maya/MFnBase.h>
#include <maya/MFnData.h>
#include <maya/MObjectArray.h>

bool MFnBase::hasObj(MFn::Type type) const {
    return fObject.hasFn(type);
}
bool MFnBase::hasObj(const MObject& object) const {
    return !object.isNull() && object.hasFn(type());
}

MObject MFnBase::object(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = fObject.isNull() ? MS::kInvalidParameter : MS::kSuccess;
    return fObject;
}

MStatus MFnBase::setObject(MObject& object) {
    return attach(object, nullptr);
}
MStatus MFnBase::setObject(const MObject& object) {
    return attach(object, nullptr);
}
bool MFnBase::isValid(MFn::Type type) {
    return type != MFn::kInvalid && type < MFn::kLast;
}

MStatus MFnBase::attach(const MObject& object, MStatus* ReturnStatus) {
    MStatus status = MS::kSuccess;
    if (object.isNull() || !object.hasFn(type())) {
        fObject = MObject();
        status = MS::kInvalidParameter;
    } else {
        fObject = object;
    }
    if (ReturnStatus)
        *ReturnStatus = status;
    return status;
}

MFnData::MFnData(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnData::MFnData(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

MFnData::Type khost::dataTypeOf(const MObject& data) {
    switch (data.apiType()) {
    case MFn::kMeshData:
        return MFnData::kMesh;
    case MFn::kNurbsCurveData:
        return MFnData::kNurbsCurve;
    case MFn::kNurbsSurfaceData:
        return MFnData::kNurbsSurface;
    case MFn::kPointArrayData:
        return MFnData::kPointArray;
    case MFn::kIntArrayData:
        return MFnData::kIntArray;
    case MFn::kDoubleArrayData:
        return MFnData::kDoubleArray;
    case MFn::kStringData:
        return MFnData::kString;
    case MFn::kMatrixData:
        return MFnData::kMatrix;
    default:
        return MFnData::kInvalid;
    }
}

MStatus MObjectArray::append(const MObject& element) {
    fItems.push_back(element);
    return MS::kSuccess;
}
MStatus MObjectArray::insert(const MObject& element, unsigned int index) {
    if (index > fItems.size())
        return MS::kInvalidParameter;
    fItems.insert(fItems.begin() + index, element);
    return MS::kSuccess;
}
MStatus MObjectArray::remove(unsigned int index) {
    if (index >= fItems.size())
        return MS::kInvalidParameter;
    fItems.erase(fItems.begin() + index);
    return MS::kSuccess;
}
MStatus MObjectArray::setLength(unsigned int length) {
    fItems.resize(length);
    return MS::kSuccess;
}
MStatus MObjectArray::clear() {
    fItems.clear();
    return MS::kSuccess;
}
