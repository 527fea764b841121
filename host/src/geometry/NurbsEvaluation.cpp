#include "geometry/NurbsEvaluation.h"
#include <algorithm>
#include <cmath>

namespace khost {

SurfaceDirection::SurfaceDirection(const MDoubleArray& knots, int degree, MFnNurbsSurface::Form form)
    : fKnots(&knots), fDegree(degree), fForm(form) {}

bool SurfaceDirection::place(double& t) const {
    const double a = start(), b = end();
    if (!std::isfinite(t) || !(b > a))
        return false;
    if (t >= a && t <= b)
        return true;
    if (periodic()) {
        const double period = b - a;
        t = a + std::fmod(t - a, period);
        if (t < a)
            t += period;
        // fmod of a value just below a whole number of periods can round up to the period itself.
        t = std::min(t, b);
        return true;
    }
    const double slack = 1e-12 * std::max({1.0, std::fabs(a), std::fabs(b)});
    if (t < a - slack || t > b + slack)
        return false;
    t = std::clamp(t, a, b);
    return true;
}

int SurfaceDirection::span(double t) const {
    const int n = numCVs();
    if (t >= knot(n)) {
        int s = n - 1;
        while (s > fDegree && !(knot(s) < knot(s + 1)))
            --s;
        return s;
    }
    // The last span starting at or before t; spans of zero length are passed over.
    int low = fDegree, high = n - 1;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (knot(mid) <= t)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

std::vector<int> SurfaceDirection::spans() const {
    std::vector<int> result;
    for (int s = fDegree; s < numCVs(); ++s)
        if (knot(s) < knot(s + 1))
            result.push_back(s);
    return result;
}

void SurfaceDirection::basis(int span, double t, int order, double ders[3][kMaxDegree + 1]) const {
    const int p = fDegree;
    double ndu[kMaxDegree + 1][kMaxDegree + 1];
    double left[kMaxDegree + 1], right[kMaxDegree + 1];
    ndu[0][0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = t - knot(span + 1 - j);
        right[j] = knot(span + j) - t;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            // Lower triangle: knot differences; upper triangle: basis functions.
            ndu[j][r] = right[r + 1] + left[j - r];
            const double temp = ndu[r][j - 1] / ndu[j][r];
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    for (int j = 0; j <= p; ++j)
        ders[0][j] = ndu[j][p];
    for (int k = 1; k <= order; ++k)
        for (int j = 0; j <= p; ++j)
            ders[k][j] = 0.0;
    double a[2][kMaxDegree + 1];
    for (int r = 0; r <= p; ++r) {
        int s1 = 0, s2 = 1;
        a[0][0] = 1.0;
        for (int k = 1; k <= std::min(order, p); ++k) {
            double d = 0.0;
            const int rk = r - k, pk = p - k;
            if (r >= k) {
                a[s2][0] = a[s1][0] / ndu[pk + 1][rk];
                d = a[s2][0] * ndu[rk][pk];
            }
            const int j1 = rk >= -1 ? 1 : -rk;
            const int j2 = r - 1 <= pk ? k - 1 : p - r;
            for (int j = j1; j <= j2; ++j) {
                a[s2][j] = (a[s1][j] - a[s1][j - 1]) / ndu[pk + 1][rk + j];
                d += a[s2][j] * ndu[rk + j][pk];
            }
            if (r <= pk) {
                a[s2][k] = -a[s1][k - 1] / ndu[pk + 1][r];
                d += a[s2][k] * ndu[r][pk];
            }
            ders[k][r] = d;
            std::swap(s1, s2);
        }
    }
    double factor = p;
    for (int k = 1; k <= std::min(order, p); ++k) {
        for (int j = 0; j <= p; ++j)
            ders[k][j] *= factor;
        factor *= p - k;
    }
}

SurfaceEvaluator::SurfaceEvaluator(const NurbsSurfaceData& surface)
    : fSurface(surface), fU(surface.knotsU, surface.degreeU, surface.formU),
      fV(surface.knotsV, surface.degreeV, surface.formV), fColumns(surface.numCVsV()) {}

bool SurfaceEvaluator::hasDomain() const {
    return fU.end() > fU.start() && fV.end() > fV.start();
}

void SurfaceEvaluator::evaluate(double u, double v, int order, SurfaceSample& out) const {
    evaluateInSpans(fU.span(u), fV.span(v), u, v, order, out);
}

void SurfaceEvaluator::evaluateInSpans(int su, int sv, double u, double v, int order,
                                       SurfaceSample& out) const {
    double nu[3][SurfaceDirection::kMaxDegree + 1], nv[3][SurfaceDirection::kMaxDegree + 1];
    fU.basis(su, u, order, nu);
    fV.basis(sv, v, order, nv);
    const int p = fU.degree(), q = fV.degree();
    // sums[k][l]: the derivative k times along u and l times along v.
    double sums[3][3][3] = {};
    for (int i = 0; i <= p; ++i) {
        double row[3][3] = {};
        for (int j = 0; j <= q; ++j) {
            const MPoint& c = cv(su - p + i, sv - q + j);
            for (int l = 0; l <= order; ++l) {
                row[l][0] += nv[l][j] * c.x;
                row[l][1] += nv[l][j] * c.y;
                row[l][2] += nv[l][j] * c.z;
            }
        }
        for (int k = 0; k <= order; ++k)
            for (int l = 0; k + l <= order; ++l)
                for (int c = 0; c < 3; ++c)
                    sums[k][l][c] += nu[k][i] * row[l][c];
    }
    const auto vec = [&sums](int k, int l) { return MVector(sums[k][l][0], sums[k][l][1], sums[k][l][2]); };
    out.point = MPoint(sums[0][0][0], sums[0][0][1], sums[0][0][2]);
    out.du = out.dv = out.duu = out.duv = out.dvv = MVector();
    if (order >= 1) {
        out.du = vec(1, 0);
        out.dv = vec(0, 1);
    }
    if (order >= 2) {
        out.duu = vec(2, 0);
        out.duv = vec(1, 1);
        out.dvv = vec(0, 2);
    }
}

} // namespace khost
