#pragma once
#include <maya/MFnData.h>
#include <maya/MPointArray.h>

class MFnPointArrayData : public MFnData {
public:
    MFnPointArrayData() = default;
    MFnPointArrayData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnPointArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);
    ~MFnPointArrayData() override = default;
    MFn::Type type() const override { return MFn::kPointArrayData; }

    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MPointArray& newArray);
    MStatus copyTo(MPointArray& dest) const;
    MPointArray array(MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MObject create(const MPointArray& in, MStatus* ReturnStatus = nullptr);
};
