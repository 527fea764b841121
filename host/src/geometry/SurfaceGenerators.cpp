// NURBS surface primitives: nurbsPlane and sphere.
#include "geometry/Generators.h"
#include "geometry/NurbsEvaluation.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace khost {

namespace {

const double kPi = 3.14159265358979323846;

// Maya's knots of a clamped direction with `spans` unit spans.
MDoubleArray clampedKnots(int spans, int degree) {
    MDoubleArray knots;
    for (int k = 1; k < degree; ++k)
        knots.append(0);
    for (int k = 0; k <= spans; ++k)
        knots.append(k);
    for (int k = 1; k < degree; ++k)
        knots.append(spans);
    return knots;
}

// The parameter a CV stands for: the average of the degree knots that bound its basis function.
double greville(const MDoubleArray& knots, int degree, int cv) {
    double sum = 0.0;
    for (int k = cv; k < cv + degree; ++k)
        sum += knots[static_cast<unsigned>(k)];
    return sum / degree;
}

// A unit vector across a unit axis: the part of `preferred` across it, or of `fallback` when preferred
// runs (nearly) along the axis.
void across(const MVector& axis, const MVector& preferred, const MVector& fallback, MVector& first) {
    first = preferred - axis * (preferred * axis);
    if (first.length() < 1e-9)
        first = fallback - axis * (fallback * axis);
    first.normalize();
}

struct Profile {
    double radial, height;
};

// A half circle of radius r from (0, -r) to (0, r) as a clamped cubic through the circle at every
// knot, leaving the poles at right angles to the axis with the circle's speed.
std::vector<Profile> cubicHalfCircle(double r, int spans) {
    const MDoubleArray knots = clampedKnots(spans, 3);
    const SurfaceDirection direction(knots, 3, MFnNurbsSurface::kOpen);
    const int count = spans + 3;
    std::vector<Profile> cvs(static_cast<size_t>(count));
    const double handle = kPi * r / (3.0 * spans);
    cvs[0] = {0.0, -r};
    cvs[1] = {handle, -r};
    cvs[static_cast<size_t>(count - 2)] = {handle, r};
    cvs[static_cast<size_t>(count - 1)] = {0.0, r};
    // Knot k (0 < k < spans) gives the row N_k P_k + N_(k+1) P_(k+1) + N_(k+2) P_(k+2) = circle point:
    // tridiagonal in the unknown CVs 2 .. spans, solved by elimination from the first row down.
    const int unknowns = spans - 1;
    std::vector<double> lower(static_cast<size_t>(std::max(unknowns, 0))), diagonal(lower), upper(lower);
    std::vector<Profile> rhs(lower.size());
    for (int k = 1; k < spans; ++k) {
        double ders[3][SurfaceDirection::kMaxDegree + 1];
        const int span = direction.span(k);
        direction.basis(span, k, 0, ders);
        const double phi = -kPi / 2 + kPi * k / spans;
        Profile target{r * std::cos(phi), r * std::sin(phi)};
        const size_t row = static_cast<size_t>(k - 1);
        for (int j = 0; j <= 3; ++j) {
            const int cv = span - 3 + j;
            const double weight = ders[0][j];
            if (cv < 2 || cv > spans) {
                target.radial -= weight * cvs[static_cast<size_t>(cv)].radial;
                target.height -= weight * cvs[static_cast<size_t>(cv)].height;
            } else if (cv - 2 == k - 2) {
                lower[row] = weight;
            } else if (cv - 2 == k - 1) {
                diagonal[row] = weight;
            } else if (cv - 2 == k) {
                upper[row] = weight;
            }
        }
        rhs[row] = target;
    }
    for (size_t row = 1; row < rhs.size(); ++row) {
        const double factor = lower[row] / diagonal[row - 1];
        diagonal[row] -= factor * upper[row - 1];
        rhs[row].radial -= factor * rhs[row - 1].radial;
        rhs[row].height -= factor * rhs[row - 1].height;
    }
    for (size_t row = rhs.size(); row-- > 0;) {
        Profile value = rhs[row];
        if (row + 1 < rhs.size()) {
            value.radial -= upper[row] * cvs[row + 3].radial;
            value.height -= upper[row] * cvs[row + 3].height;
        }
        cvs[row + 2] = {value.radial / diagonal[row], value.height / diagonal[row]};
    }
    return cvs;
}

} // namespace

NurbsSurfaceData makeNurbsPlane(double w, double lengthRatio, int patchesU, int patchesV, int degree,
                                const MVector& axis) {
    patchesU = std::max(patchesU, 1);
    patchesV = std::max(patchesV, 1);
    degree = std::clamp(degree, 1, 7);
    const MVector normal = axis.length() > 0 ? axis.normal() : MVector::yAxis;
    MVector uDirection;
    across(normal, MVector::yAxis ^ normal, MVector::xAxis, uDirection);
    const MVector vDirection = normal ^ uDirection;
    const double length = w * lengthRatio;

    NurbsSurfaceData surface;
    surface.degreeU = surface.degreeV = degree;
    surface.knotsU = clampedKnots(patchesU, degree);
    surface.knotsV = clampedKnots(patchesV, degree);
    const int rows = patchesU + degree, columns = patchesV + degree;
    for (int iu = 0; iu < rows; ++iu) {
        const double x = (greville(surface.knotsU, degree, iu) / patchesU - 0.5) * w;
        for (int iv = 0; iv < columns; ++iv) {
            const double y = (greville(surface.knotsV, degree, iv) / patchesV - 0.5) * length;
            surface.points.append(MPoint(uDirection * x + vDirection * y));
        }
    }
    return surface;
}

NurbsSurfaceData makeNurbsSphere(double r, int sections, int spans, int degree, const MVector& axis) {
    degree = degree == 1 ? 1 : 3;
    sections = std::max(sections, 3);
    spans = std::max(spans, degree == 1 ? 2 : 1);
    const MVector normal = axis.length() > 0 ? axis.normal() : MVector::yAxis;
    MVector start;
    across(normal, MVector::xAxis, MVector::zAxis, start);
    // dV at v = 0 is start x axis: with dU along the axis, dU x dV then points away from it.
    const MVector turn = start ^ normal;

    std::vector<Profile> profile;
    if (degree == 3) {
        profile = cubicHalfCircle(r, spans);
    } else {
        for (int i = 0; i <= spans; ++i) {
            const double phi = -kPi / 2 + kPi * i / spans;
            profile.push_back({r * std::cos(phi), r * std::sin(phi)});
        }
    }

    NurbsSurfaceData surface;
    surface.degreeU = surface.degreeV = degree;
    surface.knotsU = clampedKnots(spans, degree);
    int columns = sections + 1;
    double scale = 1.0, firstAngle = 0.0;
    if (degree == 3) {
        // Periodic: v = 0 is the middle of CVs 0 .. 2, so CV 1 sits at the start direction.
        surface.formV = MFnNurbsSurface::kPeriodic;
        columns = sections + 3;
        scale = periodicCircleScale(sections, 3);
        firstAngle = -2 * kPi / sections;
        for (int k = 0; k < columns + 2; ++k)
            surface.knotsV.append(k - 2);
    } else {
        surface.formV = MFnNurbsSurface::kClosed;
        for (int k = 0; k <= sections; ++k)
            surface.knotsV.append(k);
    }
    for (const Profile& row : profile)
        for (int iv = 0; iv < columns; ++iv) {
            const double theta = firstAngle + 2 * kPi * (iv % sections) / sections;
            const MVector ring = start * std::cos(theta) + turn * std::sin(theta);
            surface.points.append(MPoint(normal * row.height + ring * (row.radial * scale)));
        }
    surface.wrapPeriodicCVs();
    return surface;
}

} // namespace khost
