#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MPointArray.h>
#include <maya/MTypes.h>

#define kMFnNurbsEpsilon 1.0e-3

// NURBS curve access on a nurbsCurve shape or on curve data. Knots follow Maya's convention:
// numCVs + degree - 1 of them.
class MFnNurbsCurve : public MFnDagNode {
public:
    enum Form { kInvalid = 0, kOpen, kClosed, kPeriodic, kLast };

    MFnNurbsCurve() = default;
    MFnNurbsCurve(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnNurbsCurve(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFnNurbsCurve(const MDagPath& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kNurbsCurve; }

    // Makes curve data when parentOrOwner is curve data, otherwise a nurbsCurve shape under the given
    // transform (or under a new one when null); returns the data or the transform.
    MObject create(const MPointArray& controlVertices, const MDoubleArray& knotSequences, unsigned int degree,
                   Form form, bool create2D, bool createRational,
                   const MObject& parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = nullptr);

    int numCVs(MStatus* ReturnStatus = nullptr) const;
    int numSpans(MStatus* ReturnStatus = nullptr) const;
    int numKnots(MStatus* ReturnStatus = nullptr) const;
    int degree(MStatus* ReturnStatus = nullptr) const;
    Form form(MStatus* ReturnStatus = nullptr) const;
    MStatus getCVs(MPointArray& array, MSpace::Space space = MSpace::kObject) const;
    MStatus setCVs(const MPointArray& array, MSpace::Space space = MSpace::kObject);
    MStatus getKnots(MDoubleArray& array) const;
    MStatus getKnotDomain(double& start, double& end) const;
    // The point of the curve closest to toThisPoint (both in space), and its parameter when param is
    // given. The result is exact to far better than tolerance.
    MPoint closestPoint(const MPoint& toThisPoint, double* param = nullptr,
                        double tolerance = kMFnNurbsEpsilon, MSpace::Space space = MSpace::kObject,
                        MStatus* ReturnStatus = nullptr) const;
    // Tells the shape its CVs changed: everything downstream of it is re-evaluated.
    MStatus updateCurve();
};
