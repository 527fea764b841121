#pragma once
// Evaluation of non-rational NURBS surfaces: points and partial derivatives up to the second order,
// from the B-spline basis and its derivatives (the recurrence of Cox and de Boor), read straight from
// Maya's knot convention.
#include "geometry/GeometryData.h"
#include <vector>

namespace khost {

// One parametric direction of a surface. Maya keeps numCVs + degree - 1 knots, two fewer than the
// textbook vector; the two missing end knots never weigh on the domain, so they read as copies of
// their neighbours.
class SurfaceDirection {
public:
    static constexpr int kMaxDegree = 7;

    SurfaceDirection(const MDoubleArray& knots, int degree, MFnNurbsSurface::Form form);

    int degree() const { return fDegree; }
    int numCVs() const { return static_cast<int>(fKnots->length()) - fDegree + 1; }
    double start() const { return knot(fDegree); }
    double end() const { return knot(numCVs()); }
    bool periodic() const { return fForm == MFnNurbsSurface::kPeriodic; }
    // Textbook knot k (0 .. numCVs + degree).
    double knot(int k) const {
        const int last = static_cast<int>(fKnots->length()) - 1;
        return (*fKnots)[static_cast<unsigned>(k < 1 ? 0 : k - 1 > last ? last : k - 1)];
    }
    // Brings t into the domain: a periodic direction wraps it, another keeps it when it is inside (a
    // rounding error beyond an end is clamped). False when t cannot be placed.
    bool place(double& t) const;
    // The span s holding t, with knot(s) <= t < knot(s + 1), or the last span holding the domain's end.
    int span(double t) const;
    // The spans of non-zero length, in order.
    std::vector<int> spans() const;
    // ders[k][j]: k-th derivative (k <= order <= 2) of the basis function of CV span - degree + j.
    void basis(int span, double t, int order, double ders[3][kMaxDegree + 1]) const;

private:
    const MDoubleArray* fKnots;
    int fDegree;
    MFnNurbsSurface::Form fForm;
};

struct SurfaceSample {
    MPoint point;
    MVector du, dv, duu, duv, dvv;
};

// A consistent surface, read in place (it must outlive the evaluator).
class SurfaceEvaluator {
public:
    explicit SurfaceEvaluator(const NurbsSurfaceData& surface);

    const SurfaceDirection& u() const { return fU; }
    const SurfaceDirection& v() const { return fV; }
    // Both domains have a length, so there is a surface to evaluate.
    bool hasDomain() const;
    // The point and derivatives up to `order` (0, 1 or 2) at parameters already placed in the domain.
    void evaluate(double u, double v, int order, SurfaceSample& out) const;
    // The same with the polynomials of the spans given (see SurfaceDirection::span), also at their
    // borders: where the surface has a crease, the derivatives are those of that side.
    void evaluateInSpans(int spanU, int spanV, double u, double v, int order, SurfaceSample& out) const;
    const MPoint& cv(int iu, int iv) const {
        return fSurface.points[static_cast<unsigned>(iu * fColumns + iv)];
    }

private:
    const NurbsSurfaceData& fSurface;
    SurfaceDirection fU, fV;
    int fColumns;
};

} // namespace khost
