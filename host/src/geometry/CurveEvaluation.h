#pragma once
// Points and derivatives of a non-rational NURBS curve, and the closest point of a curve to a point.
#include "geometry/GeometryData.h"
#include <maya/MPoint.h>
#include <maya/MVector.h>
#include <vector>

namespace khost {

class CurveEvaluator {
public:
    // The curve's degree and knots with the given control points (its CVs in some space). The curve
    // must be consistent (NurbsCurveData::isConsistent).
    CurveEvaluator(const NurbsCurveData& curve, const MPointArray& cvs);

    double start() const { return fKnots[fDegree]; }
    double end() const { return fKnots[fCVs.length()]; }
    // Parameters where spans of non-zero length begin, and the domain's end.
    std::vector<double> breaks() const;

    struct Sample {
        MPoint point;
        MVector first, second;
    };
    // At t clamped to the domain.
    Sample at(double t) const;

private:
    int span(double t) const;

    int fDegree;
    // The textbook knot vector: Maya's knots with one more at each end.
    std::vector<double> fKnots;
    MPointArray fCVs;
};

// The point of the curve closest to q: the nearest of several samples per span, each refined by
// Newton's method on (C(t) - q) . C'(t) = 0. Returns false for a point that is not finite.
bool closestPointOnCurve(const CurveEvaluator& curve, const MPoint& q, MPoint& closest, double& param);

} // namespace khost
