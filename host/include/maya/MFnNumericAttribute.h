#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>

class MFnNumericAttribute : public MFnAttribute {
public:
    MFnNumericAttribute() = default;
    MFnNumericAttribute(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnNumericAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kNumericAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                   double defaultValue = 0, MStatus* ReturnStatus = nullptr);
    MFnNumericData::Type unitType(MStatus* ReturnStatus = nullptr) const;
    MStatus setMin(double minValue);
    MStatus setMax(double maxValue);
    MStatus setSoftMin(double minValue);
    MStatus setSoftMax(double maxValue);
    MStatus setDefault(double value);
    bool hasMin(MStatus* ReturnStatus = nullptr) const;
    bool hasMax(MStatus* ReturnStatus = nullptr) const;
    bool hasSoftMin(MStatus* ReturnStatus = nullptr) const;
    bool hasSoftMax(MStatus* ReturnStatus = nullptr) const;
    MStatus getMin(double& minValue) const;
    MStatus getMax(double& maxValue) const;
    MStatus getSoftMin(double& minValue) const;
    MStatus getSoftMax(double& maxValue) const;
    MStatus getDefault(double& value) const;
};
