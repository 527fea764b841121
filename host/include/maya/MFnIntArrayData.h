#pragma once
#include <maya/MFnData.h>
#include <maya/MIntArray.h>

class MFnIntArrayData : public MFnData {
public:
    MFnIntArrayData() = default;
    MFnIntArrayData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnIntArrayData(const MObject& object, MStatus* ReturnStatus = nullptr);
    ~MFnIntArrayData() override = default;
    MFn::Type type() const override { return MFn::kIntArrayData; }

    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MIntArray& newArray);
    MStatus copyTo(MIntArray& dest) const;
    MIntArray array(MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
    MObject create(const MIntArray& in, MStatus* ReturnStatus = nullptr);
};
