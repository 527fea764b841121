#pragma once
#include <maya/MFnData.h>
#include <maya/MString.h>

class MFnStringData : public MFnData {
public:
    MFnStringData() = default;
    MFnStringData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnStringData(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kStringData; }

    MString string(MStatus* ReturnStatus = nullptr) const;
    MStatus set(const MString& newString);
    MObject create(const MString& str, MStatus* ReturnStatus = nullptr);
    MObject create(MStatus* ReturnStatus = nullptr);
};
