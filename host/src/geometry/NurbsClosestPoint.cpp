#include "geometry/NurbsClosestPoint.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace khost {

namespace {

double squaredDistanceToBox(const MPoint& p, const MPoint& low, const MPoint& high) {
    double sum = 0.0;
    for (unsigned int c = 0; c < 3; ++c) {
        const double below = low[c] - p[c], above = p[c] - high[c];
        const double gap = std::max({below, above, 0.0});
        sum += gap * gap;
    }
    return sum;
}

// Below this change a parameter has reached the precision of its doubles.
double parameterTolerance(double a, double b) {
    return 1e-14 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

} // namespace

// The distance, gradient and Hessian of |S - point|^2 / 2 at one parameter of a span; the gradient of a
// coordinate at a border that points outwards is dropped, since the search cannot follow it.
struct SurfaceProjector::Newton {
    MPoint at;
    double squared = 0.0, g0 = 0.0, g1 = 0.0, h00 = 0.0, h01 = 0.0, h11 = 0.0;
    bool freeU = true, freeV = true;

    void measure(const SurfaceEvaluator& evaluator, const Span& span, const MPoint& point, double u,
                 double v) {
        SurfaceSample sample;
        evaluator.evaluateInSpans(span.su, span.sv, u, v, 2, sample);
        at = sample.point;
        const MVector r = sample.point - point;
        squared = r * r;
        g0 = sample.du * r;
        g1 = sample.dv * r;
        h00 = sample.du * sample.du + sample.duu * r;
        h11 = sample.dv * sample.dv + sample.dvv * r;
        h01 = sample.du * sample.dv + sample.duv * r;
        freeU = !((u <= span.u0 && g0 > 0.0) || (u >= span.u1 && g0 < 0.0));
        freeV = !((v <= span.v0 && g1 > 0.0) || (v >= span.v1 && g1 < 0.0));
        if (!freeU)
            g0 = 0.0;
        if (!freeV)
            g1 = 0.0;
    }
    double gradient() const { return g0 * g0 + g1 * g1; }
};

namespace {

// Solves (H + mu I) d = -g for the free coordinates; false when the damped matrix is not positive
// definite.
template <class Newton> bool dampedStep(const Newton& n, double mu, double& du, double& dv) {
    du = dv = 0.0;
    const double a = n.h00 + mu, d = n.h11 + mu;
    if (n.freeU && n.freeV) {
        const double det = a * d - n.h01 * n.h01;
        if (!(a > 0.0) || !(det > 0.0))
            return false;
        du = (-n.g0 * d + n.g1 * n.h01) / det;
        dv = (-n.g1 * a + n.g0 * n.h01) / det;
        return true;
    }
    if (n.freeU) {
        if (!(a > 0.0))
            return false;
        du = -n.g0 / a;
    }
    if (n.freeV) {
        if (!(d > 0.0))
            return false;
        dv = -n.g1 / d;
    }
    return true;
}

} // namespace

SurfaceProjector::SurfaceProjector(const NurbsSurfaceData& surface, const MMatrix& matrix)
    : fSurface(surface) {
    for (MPoint& p : fSurface.points)
        p *= matrix;
    fSurface.matrix = MMatrix();
    if (!fSurface.isConsistent() || !fSurface.finite())
        return;
    const SurfaceEvaluator evaluator(fSurface);
    if (!evaluator.hasDomain())
        return;
    const SurfaceDirection& u = evaluator.u();
    const SurfaceDirection& v = evaluator.v();
    for (int su : u.spans())
        for (int sv : v.spans()) {
            // Only these CVs weigh on the span, with weights that are positive and sum to 1.
            Span span{su, sv, u.knot(su), u.knot(su + 1), v.knot(sv), v.knot(sv + 1), {}, {}};
            span.low = span.high = evaluator.cv(su, sv);
            for (int i = su - u.degree(); i <= su; ++i)
                for (int j = sv - v.degree(); j <= sv; ++j)
                    for (unsigned int c = 0; c < 3; ++c) {
                        span.low[c] = std::min(span.low[c], evaluator.cv(i, j)[c]);
                        span.high[c] = std::max(span.high[c], evaluator.cv(i, j)[c]);
                    }
            fSpans.push_back(span);
        }
    fValid = true;
}

bool SurfaceProjector::searchSpan(const SurfaceEvaluator& evaluator, const Span& span, const MPoint& point,
                                  double& u, double& v, double& squared) const {
    // The start: the best of a grid of samples, borders included. The basis functions of each grid
    // line are worked out once for the whole grid.
    const SurfaceDirection& dirU = evaluator.u();
    const SurfaceDirection& dirV = evaluator.v();
    const int p = dirU.degree(), q = dirV.degree();
    const int grid = std::clamp(std::max(p, q) + 2, 3, 9);
    double us[9], vs[9];
    double nu[9][3][SurfaceDirection::kMaxDegree + 1], nv[9][3][SurfaceDirection::kMaxDegree + 1];
    for (int a = 0; a < grid; ++a) {
        us[a] = a + 1 == grid ? span.u1 : span.u0 + (span.u1 - span.u0) * a / (grid - 1);
        vs[a] = a + 1 == grid ? span.v1 : span.v0 + (span.v1 - span.v0) * a / (grid - 1);
        dirU.basis(span.su, us[a], 0, nu[a]);
        dirV.basis(span.sv, vs[a], 0, nv[a]);
    }
    squared = std::numeric_limits<double>::infinity();
    for (int a = 0; a < grid; ++a)
        for (int b = 0; b < grid; ++b) {
            double s[3] = {0.0, 0.0, 0.0};
            for (int i = 0; i <= p; ++i) {
                double row[3] = {0.0, 0.0, 0.0};
                for (int j = 0; j <= q; ++j) {
                    const MPoint& c = evaluator.cv(span.su - p + i, span.sv - q + j);
                    row[0] += c.x * nv[b][0][j];
                    row[1] += c.y * nv[b][0][j];
                    row[2] += c.z * nv[b][0][j];
                }
                for (int k = 0; k < 3; ++k)
                    s[k] += row[k] * nu[a][0][i];
            }
            const double d = (s[0] - point.x) * (s[0] - point.x) + (s[1] - point.y) * (s[1] - point.y) +
                             (s[2] - point.z) * (s[2] - point.z);
            if (d < squared) {
                squared = d;
                u = us[a];
                v = vs[b];
            }
        }

    // Newton's method on |S - point|^2 / 2, kept inside the span; a coordinate at a border whose
    // gradient points outwards stays there. A step is taken when it lowers the distance, or, once the
    // distance no longer changes beyond rounding, when it lowers the gradient; otherwise it is retried
    // with more damping (towards a short gradient step), so the search never climbs.
    const double tolU = parameterTolerance(span.u0, span.u1), tolV = parameterTolerance(span.v0, span.v1);
    Newton current, candidate;
    current.measure(evaluator, span, point, u, v);
    double lambda = 0.0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        squared = current.squared;
        if (current.g0 == 0.0 && current.g1 == 0.0)
            return true;
        const double scale =
            std::fabs(current.h00) + std::fabs(current.h11) + std::numeric_limits<double>::min();
        double du = 0.0, dv = 0.0;
        while (!dampedStep(current, lambda * scale, du, dv)) {
            lambda = lambda == 0.0 ? 1e-9 : lambda * 8.0;
            if (lambda > 1e30)
                return false;
        }
        const double nu = std::clamp(u + du, span.u0, span.u1), nv = std::clamp(v + dv, span.v0, span.v1);
        candidate.measure(evaluator, span, point, nu, nv);
        // Tiny in the parameters, or in the surface: where a derivative vanishes (a pole), any step
        // along it stays on the same point.
        const bool tiny =
            (std::fabs(nu - u) <= tolU && std::fabs(nv - v) <= tolV) ||
            (candidate.at - current.at).length() <= 1e-14 * (1.0 + MVector(current.at).length());
        const bool lower = candidate.squared < current.squared;
        const bool flatter =
            candidate.squared <= current.squared * (1.0 + 1e-13) && candidate.gradient() < current.gradient();
        if (lower || flatter) {
            u = nu;
            v = nv;
            current = candidate;
            squared = current.squared;
            if (tiny)
                return true;
            lambda = lambda < 1e-9 ? 0.0 : lambda / 8.0;
            continue;
        }
        // No step improves any more: the parameters are as close as doubles get.
        if (tiny || lambda > 1e20)
            return true;
        lambda = lambda == 0.0 ? 1e-9 : lambda * 8.0;
    }
    return false;
}

MStatus SurfaceProjector::closestPoint(const MPoint& point, double maxDistance, Result& result) const {
    if (!fValid || !std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z))
        return MS::kInvalidParameter;
    const SurfaceEvaluator evaluator(fSurface);
    std::vector<std::pair<double, size_t>> bounds(fSpans.size());
    for (size_t k = 0; k < fSpans.size(); ++k)
        bounds[k] = {squaredDistanceToBox(point, fSpans[k].low, fSpans[k].high), k};

    double best = std::numeric_limits<double>::infinity(), bestU = 0.0, bestV = 0.0;
    bool settled = true;
    const auto search = [&](size_t k) {
        double u = 0.0, v = 0.0, squared = 0.0;
        settled = searchSpan(evaluator, fSpans[k], point, u, v, squared) && settled;
        if (squared < best) {
            best = squared;
            bestU = u;
            bestV = v;
        }
    };
    // The span that may be closest gives a first answer; only spans whose bound is below it can hold a
    // closer point, and they are visited nearest bound first.
    const auto first = std::min_element(bounds.begin(), bounds.end());
    const size_t firstSpan = first->second;
    search(firstSpan);
    std::vector<std::pair<double, size_t>> candidates;
    for (const auto& bound : bounds)
        if (bound.first < best && bound.second != firstSpan)
            candidates.push_back(bound);
    std::sort(candidates.begin(), candidates.end());
    for (const auto& candidate : candidates) {
        if (candidate.first >= best)
            break;
        search(candidate.second);
    }
    if (!settled || !std::isfinite(best))
        return MS::kFailure;

    const SurfaceDirection& u = evaluator.u();
    const SurfaceDirection& v = evaluator.v();
    if (u.periodic() && bestU >= u.end())
        bestU = u.start();
    if (v.periodic() && bestV >= v.end())
        bestV = v.start();
    SurfaceSample sample;
    evaluator.evaluate(bestU, bestV, 0, sample);
    result.point = sample.point;
    result.u = bestU;
    result.v = bestV;
    result.distance = std::sqrt(best);
    return result.distance <= maxDistance ? MS::kSuccess : MS::kFailure;
}

} // namespace khost
