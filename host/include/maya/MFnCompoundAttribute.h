#pragma once
#include <maya/MFnAttribute.h>

class MFnCompoundAttribute : public MFnAttribute {
public:
    MFnCompoundAttribute() = default;
    MFnCompoundAttribute(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnCompoundAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kCompoundAttribute; }

    MObject create(const MString& full, const MString& brief, MStatus* ReturnStatus = nullptr);
    MStatus addChild(const MObject& child);
    unsigned int numChildren(MStatus* ReturnStatus = nullptr) const;
    MObject child(unsigned int index, MStatus* ReturnStatus = nullptr) const;
};
