#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>
#include <maya/MTypeId.h>

class MFnGenericAttribute : public MFnAttribute {
public:
    MFnGenericAttribute() = default;
    MFnGenericAttribute(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnGenericAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);
    ~MFnGenericAttribute() override = default;
    MFn::Type type() const override { return MFn::kGenericAttribute; }

    MObject create(const MString& full, const MString& brief, MStatus* ReturnStatus = nullptr);
    MStatus addDataAccept(MFnData::Type newType);
    MStatus addNumericDataAccept(MFnNumericData::Type newType);
};
