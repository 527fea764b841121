#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

#ifndef kMFnNurbsEpsilon
#define kMFnNurbsEpsilon 1.0e-3
#endif

// NURBS surface access on a nurbsSurface shape or on surface data. Knots follow Maya's convention
// (numCVs + degree - 1 per direction); CVs are ordered with v varying fastest. kWorld uses the shape's
// world matrix or the matrix the data carries.
class MFnNurbsSurface : public MFnDagNode {
public:
    enum Form { kInvalid = 0, kOpen, kClosed, kPeriodic, kLast };

    MFnNurbsSurface() = default;
    MFnNurbsSurface(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnNurbsSurface(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFnNurbsSurface(const MDagPath& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kNurbsSurface; }

    int numCVsInU(MStatus* ReturnStatus = nullptr) const;
    int numCVsInV(MStatus* ReturnStatus = nullptr) const;
    int degreeU(MStatus* ReturnStatus = nullptr) const;
    int degreeV(MStatus* ReturnStatus = nullptr) const;
    Form formInU(MStatus* ReturnStatus = nullptr) const;
    Form formInV(MStatus* ReturnStatus = nullptr) const;
    MStatus getCVs(MPointArray& array, MSpace::Space space = MSpace::kObject) const;
    MStatus getKnotsInU(MDoubleArray& array) const;
    MStatus getKnotsInV(MDoubleArray& array) const;
    MStatus getKnotDomain(double& startU, double& endU, double& startV, double& endV) const;

    // The point and the first (and, when asked for, second) partial derivatives at a parameter inside
    // the knot domain; a periodic direction takes any parameter, wrapped into its domain.
    MStatus getDerivativesAtParm(double uParm, double vParm, MPoint& pos, MVector& dU, MVector& dV,
                                 MSpace::Space space = MSpace::kObject, MVector* dUU = nullptr,
                                 MVector* dVV = nullptr, MVector* dUV = nullptr) const;
    // The unit tangents along u and v; fails where either derivative vanishes.
    MStatus getTangents(double uParm, double vParm, MVector& uTangent, MVector& vTangent,
                        MSpace::Space space = MSpace::kObject) const;
    // The surface point closest to toThisPoint (in the given space) and its parameters. Surfaces have
    // no trims here, and the point is found to full precision whatever the tolerance.
    MPoint closestPoint(const MPoint& toThisPoint, double* paramU = nullptr, double* paramV = nullptr,
                        bool ignoreTrimBoundaries = false, double tolerance = kMFnNurbsEpsilon,
                        MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;
};
