#include "geometry/CurveEvaluation.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace khost {

namespace {

// Samples per span before refinement: enough to separate the local minima of a span of degree 3.
constexpr int kSamplesPerSpan = 8;
constexpr int kNewtonSteps = 50;

double squaredDistance(const MPoint& a, const MPoint& b) {
    const MVector d = a - b;
    return d * d;
}

} // namespace

CurveEvaluator::CurveEvaluator(const NurbsCurveData& curve, const MPointArray& cvs)
    : fDegree(curve.degree), fCVs(cvs) {
    fKnots.reserve(curve.knots.length() + 2);
    fKnots.push_back(curve.knots[0]);
    for (double knot : curve.knots)
        fKnots.push_back(knot);
    fKnots.push_back(curve.knots[curve.knots.length() - 1]);
}

std::vector<double> CurveEvaluator::breaks() const {
    std::vector<double> result;
    const unsigned int last = fCVs.length();
    for (unsigned int i = static_cast<unsigned>(fDegree); i < last; ++i)
        if (fKnots[i + 1] > fKnots[i])
            result.push_back(fKnots[i]);
    result.push_back(end());
    return result;
}

int CurveEvaluator::span(double t) const {
    const int last = static_cast<int>(fCVs.length()) - 1;
    if (t >= fKnots[static_cast<size_t>(last + 1)])
        return last;
    // The last span of non-zero length that starts at or before t.
    const auto after = std::upper_bound(fKnots.begin() + fDegree, fKnots.begin() + last + 1, t);
    return static_cast<int>(after - fKnots.begin()) - 1;
}

// Basis functions and their first two derivatives (The NURBS Book, A2.3).
CurveEvaluator::Sample CurveEvaluator::at(double t) const {
    t = std::clamp(t, start(), end());
    const int p = fDegree, s = span(t);
    const auto knot = [this](int k) { return fKnots[static_cast<size_t>(k)]; };
    std::vector<std::vector<double>> ndu(static_cast<size_t>(p + 1), std::vector<double>(p + 1, 0.0));
    std::vector<double> left(static_cast<size_t>(p + 1)), right(static_cast<size_t>(p + 1));
    ndu[0][0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = t - knot(s + 1 - j);
        right[j] = knot(s + j) - t;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            ndu[j][r] = right[r + 1] + left[j - r];
            const double temp = ndu[j][r] != 0.0 ? ndu[r][j - 1] / ndu[j][r] : 0.0;
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    const int orders = std::min(2, p);
    std::vector<std::vector<double>> ders(3, std::vector<double>(static_cast<size_t>(p + 1), 0.0));
    for (int j = 0; j <= p; ++j)
        ders[0][j] = ndu[j][p];
    std::vector<std::vector<double>> a(2, std::vector<double>(static_cast<size_t>(p + 1), 0.0));
    for (int r = 0; r <= p; ++r) {
        int s1 = 0, s2 = 1;
        a[0][0] = 1.0;
        for (int k = 1; k <= orders; ++k) {
            double d = 0.0;
            const int rk = r - k, pk = p - k;
            if (r >= k) {
                a[s2][0] = ndu[pk + 1][rk] != 0.0 ? a[s1][0] / ndu[pk + 1][rk] : 0.0;
                d = a[s2][0] * ndu[rk][pk];
            }
            const int j1 = rk >= -1 ? 1 : -rk;
            const int j2 = (r - 1 <= pk) ? k - 1 : p - r;
            for (int j = j1; j <= j2; ++j) {
                a[s2][j] = ndu[pk + 1][rk + j] != 0.0 ? (a[s1][j] - a[s1][j - 1]) / ndu[pk + 1][rk + j] : 0.0;
                d += a[s2][j] * ndu[rk + j][pk];
            }
            if (r <= pk) {
                a[s2][k] = ndu[pk + 1][r] != 0.0 ? -a[s1][k - 1] / ndu[pk + 1][r] : 0.0;
                d += a[s2][k] * ndu[r][pk];
            }
            ders[k][r] = d;
            std::swap(s1, s2);
        }
    }
    double factor = p;
    for (int k = 1; k <= orders; ++k) {
        for (int j = 0; j <= p; ++j)
            ders[k][j] *= factor;
        factor *= p - k;
    }
    Sample sample;
    sample.point = MPoint(0.0, 0.0, 0.0);
    for (int j = 0; j <= p; ++j) {
        const MVector cv(fCVs[static_cast<unsigned>(s - p + j)]);
        sample.point += cv * ders[0][j];
        sample.first += cv * ders[1][j];
        sample.second += cv * ders[2][j];
    }
    return sample;
}

bool closestPointOnCurve(const CurveEvaluator& curve, const MPoint& q, MPoint& closest, double& param) {
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z))
        return false;
    double bestDistance = std::numeric_limits<double>::infinity();
    // Near a minimum the distance stops changing long before t does: of equal distances the later,
    // more refined, point wins.
    const auto consider = [&](double t, const MPoint& point) {
        const double distance = squaredDistance(point, q);
        if (distance <= bestDistance) {
            bestDistance = distance;
            closest = point;
            param = t;
        }
        return distance;
    };
    const std::vector<double> breaks = curve.breaks();
    for (size_t b = 0; b + 1 < breaks.size(); ++b) {
        double samples[kSamplesPerSpan + 1];
        for (int k = 0; k <= kSamplesPerSpan; ++k) {
            const double t = breaks[b] + (breaks[b + 1] - breaks[b]) * k / kSamplesPerSpan;
            samples[k] = consider(t, curve.at(t).point);
        }
        for (int k = 0; k <= kSamplesPerSpan; ++k) {
            const bool lowest = (k == 0 || samples[k] <= samples[k - 1]) &&
                                (k == kSamplesPerSpan || samples[k] <= samples[k + 1]);
            if (!lowest)
                continue;
            // Newton steps, halved while they take the curve farther away than rounding explains.
            double t = breaks[b] + (breaks[b + 1] - breaks[b]) * k / kSamplesPerSpan;
            double distance = samples[k];
            for (int step = 0; step < kNewtonSteps; ++step) {
                const CurveEvaluator::Sample s = curve.at(t);
                const MVector gap = s.point - q;
                const double slope = gap * s.first;
                const double curvature = gap * s.second + s.first * s.first;
                if (slope == 0.0 || !(curvature > 0.0))
                    break;
                double delta = -slope / curvature;
                double next = std::clamp(t + delta, curve.start(), curve.end());
                double nextDistance = consider(next, curve.at(next).point);
                const double allowed = distance * (1.0 + 1e-12);
                for (int halving = 0; nextDistance > allowed && halving < kNewtonSteps; ++halving) {
                    delta *= 0.5;
                    next = std::clamp(t + delta, curve.start(), curve.end());
                    nextDistance = consider(next, curve.at(next).point);
                }
                if (nextDistance > allowed || std::fabs(next - t) <= 1e-15 * (1.0 + std::fabs(t)))
                    break;
                t = next;
                distance = nextDistance;
            }
        }
    }
    return bestDistance < std::numeric_limits<double>::infinity();
}

} // namespace khost
