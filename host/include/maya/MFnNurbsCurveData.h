#pragma once
#include <maya/MFnGeometryData.h>

class MFnNurbsCurveData : public MFnGeometryData {
public:
    MFnNurbsCurveData() = default;
    MFnNurbsCurveData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnNurbsCurveData(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kNurbsCurveData; }

    // New empty curve data, to be filled by MFnNurbsCurve::create with it as the owner.
    MObject create(MStatus* ReturnStatus = nullptr);
};
