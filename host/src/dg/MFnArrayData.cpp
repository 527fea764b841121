#include "dg/DataTypes.h"
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MFnStringData.h>

namespace {

template <class DataT> DataT* payload(const MObject& object) {
    return khost::objectAs<DataT>(object);
}

template <class DataT, class Array> MObject createData(MObject& attached, const Array& in, MStatus* status) {
    auto data = std::make_shared<DataT>();
    data->array = in;
    attached = MObject(data);
    if (status)
        *status = MS::kSuccess;
    return attached;
}

} // namespace

#define KIVO_ARRAY_DATA_SET(FnClass, DataT, ArrayT)                                                          \
    FnClass::FnClass(MObject& object, MStatus* ReturnStatus) {                                               \
        attach(object, ReturnStatus);                                                                        \
    }                                                                                                        \
    FnClass::FnClass(const MObject& object, MStatus* ReturnStatus) {                                         \
        attach(object, ReturnStatus);                                                                        \
    }                                                                                                        \
    unsigned int FnClass::length(MStatus* ReturnStatus) const {                                              \
        DataT* data = payload<DataT>(fObject);                                                               \
        if (ReturnStatus)                                                                                    \
            *ReturnStatus = data ? MS::kSuccess : MS::kInvalidParameter;                                     \
        return data ? data->array.length() : 0;                                                              \
    }                                                                                                        \
    MStatus FnClass::set(const ArrayT& newArray) {                                                           \
        DataT* data = payload<DataT>(fObject);                                                               \
        if (!data)                                                                                           \
            return MS::kInvalidParameter;                                                                    \
        data->array = newArray;                                                                              \
        return MS::kSuccess;                                                                                 \
    }                                                                                                        \
    MStatus FnClass::copyTo(ArrayT& dest) const {                                                            \
        DataT* data = payload<DataT>(fObject);                                                               \
        if (!data)                                                                                           \
            return MS::kInvalidParameter;                                                                    \
        dest = data->array;                                                                                  \
        return MS::kSuccess;                                                                                 \
    }                                                                                                        \
    ArrayT FnClass::array(MStatus* ReturnStatus) {                                                           \
        DataT* data = payload<DataT>(fObject);                                                               \
        if (ReturnStatus)                                                                                    \
            *ReturnStatus = data ? MS::kSuccess : MS::kInvalidParameter;                                     \
        return data ? data->array : ArrayT();                                                                \
    }                                                                                                        \
    MObject FnClass::create(MStatus* ReturnStatus) {                                                         \
        return createData<DataT>(fObject, ArrayT(), ReturnStatus);                                           \
    }                                                                                                        \
    MObject FnClass::create(const ArrayT& in, MStatus* ReturnStatus) {                                       \
        return createData<DataT>(fObject, in, ReturnStatus);                                                 \
    }

KIVO_ARRAY_DATA_SET(MFnPointArrayData, khost::PointArrayData, MPointArray)
KIVO_ARRAY_DATA_SET(MFnIntArrayData, khost::IntArrayData, MIntArray)
KIVO_ARRAY_DATA_SET(MFnDoubleArrayData, khost::DoubleArrayData, MDoubleArray)

MFnStringData::MFnStringData(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnStringData::MFnStringData(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

MString MFnStringData::string(MStatus* ReturnStatus) const {
    auto* data = payload<khost::StringData>(fObject);
    if (ReturnStatus)
        *ReturnStatus = data ? MS::kSuccess : MS::kInvalidParameter;
    return data ? data->value : MString();
}

MStatus MFnStringData::set(const MString& newString) {
    auto* data = payload<khost::StringData>(fObject);
    if (!data)
        return MS::kInvalidParameter;
    data->value = newString;
    return MS::kSuccess;
}

MObject MFnStringData::create(const MString& str, MStatus* ReturnStatus) {
    auto data = std::make_shared<khost::StringData>();
    data->value = str;
    fObject = MObject(data);
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fObject;
}

MObject MFnStringData::create(MStatus* ReturnStatus) {
    return create(MString(), ReturnStatus);
}
