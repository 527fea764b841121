#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MFnData.h>

class MFnDoubleArrayData : public MFnData {
public:
    MFnDoubleArrayData() = default;
    MFnDoubleArrayData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnDoubleArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);
    ~MFnDoubleArrayData() override = default;
    MFn::Type type() const override { return MFn::kDoubleArrayData; }

    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MDoubleArray& newArray);
    MStatus copyTo(MDoubleArray& dest) const;
    MDoubleArray array(MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MObject create(const MDoubleArray& in, MStatus* ReturnStatus = nullptr);
};
