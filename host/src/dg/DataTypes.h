#pragma once
// Plain data payloads: arrays and strings.
#include "core/Object.h"
#include <maya/MDoubleArray.h>
#include <maya/MFnData.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MPointArray.h>
#include <maya/MString.h>

namespace khost {

bool allFinite(const MPointArray& points);
bool allFinite(const MDoubleArray& values);
bool allFinite(const MMatrix& matrix);
inline bool allFinite(const MIntArray&) {
    return true;
}

template <class Array, MFn::Type Api, MFnData::Type DataType> class ArrayData : public Data {
public:
    MFn::Type apiType() const override { return Api; }
    std::shared_ptr<Data> clone() const override { return std::make_shared<ArrayData>(*this); }
    bool finite() const override { return allFinite(array); }
    static constexpr MFnData::Type dataType = DataType;
    Array array;
};

using PointArrayData = ArrayData<MPointArray, MFn::kPointArrayData, MFnData::kPointArray>;
using IntArrayData = ArrayData<MIntArray, MFn::kIntArrayData, MFnData::kIntArray>;
using DoubleArrayData = ArrayData<MDoubleArray, MFn::kDoubleArrayData, MFnData::kDoubleArray>;

class StringData : public Data {
public:
    MFn::Type apiType() const override { return MFn::kStringData; }
    std::shared_ptr<Data> clone() const override { return std::make_shared<StringData>(*this); }
    MString value;
};

// The MFnData type of a data object (kInvalid when unknown).
MFnData::Type dataTypeOf(const MObject& data);

} // namespace khost
