#pragma once
// The closest point of a surface to a point. Spans are visited in the order of a lower bound on their
// distance (the box of the CVs that shape a span holds the whole span); in each, the best of a grid of
// samples starts Newton's method kept inside the span. So the answer is the true closest point to full
// precision, not the nearest sample, and spans that cannot hold it are never sampled.
#include "geometry/NurbsEvaluation.h"
#include <maya/MMatrix.h>
#include <maya/MStatus.h>
#include <vector>

namespace khost {

class SurfaceProjector {
public:
    // Works on a copy of the surface with its CVs taken through matrix.
    SurfaceProjector(const NurbsSurfaceData& surface, const MMatrix& matrix);
    // False when the surface is inconsistent, holds numbers that are not finite, or has a domain of
    // zero length: there is no surface to search.
    bool valid() const { return fValid; }

    struct Result {
        MPoint point;
        double u = 0.0, v = 0.0;
        double distance = 0.0;
    };
    // kInvalidParameter for a point that is not finite (or an invalid projector); kFailure when the
    // search does not settle or the closest point is farther than maxDistance. Parameters lie in the
    // knot domain; a periodic direction gives them in [start, end).
    MStatus closestPoint(const MPoint& point, double maxDistance, Result& result) const;

private:
    struct Span {
        int su, sv;
        double u0, u1, v0, v1;
        MPoint low, high;
    };
    struct Newton;
    bool searchSpan(const SurfaceEvaluator& evaluator, const Span& span, const MPoint& point, double& u,
                    double& v, double& squared) const;

    NurbsSurfaceData fSurface;
    std::vector<Span> fSpans;
    bool fValid = false;
};

} // namespace khost
