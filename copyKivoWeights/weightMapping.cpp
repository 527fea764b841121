#include "copyKivoWeights/weightMapping.h"

#include "common/parallel.h"
#include "geometrySearch/curveSearch.h"
#include "geometrySearch/mirrorPlane.h"
#include "geometrySearch/pointKdTree.h"

#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>

#include <cfloat>
#include <cmath>

namespace {

// Plane tolerances: closest-point mirrors leave a wider band on the plane alone.
constexpr double kComponentPlaneTolerance = 1e-6;
constexpr double kClosestPointPlaneTolerance = 1e-4;

// Sets the weight of every point that has an index in `sources` (-1: none) from `weights`.
NewWeights fromIndices(const std::vector<int>& sources, const std::vector<double>& weights) {
    NewWeights result(sources.size());
    forEachPoint(static_cast<unsigned int>(sources.size()), [&](unsigned int i) {
        const int source = sources[i];
        if (source >= 0 && static_cast<size_t>(source) < weights.size()) {
            result.values[i] = weights[static_cast<size_t>(source)];
            result.assigned[i] = 1;
        }
    });
    return result;
}

} // namespace

NewWeights copyByIndex(const std::vector<double>& source, size_t destinationCount) {
    NewWeights result(destinationCount);
    forEachPoint(static_cast<unsigned int>(std::min(destinationCount, source.size())), [&](unsigned int i) {
        result.values[i] = source[i];
        result.assigned[i] = 1;
    });
    return result;
}

NewWeights copyFromSamples(const std::vector<MeshSample>& samples, const std::vector<double>& source) {
    NewWeights result(samples.size());
    forEachPoint(static_cast<unsigned int>(samples.size()), [&](unsigned int i) {
        if (sampleFits(samples[i], source.size())) {
            result.values[i] = barycentricBlend(samples[i], source);
            result.assigned[i] = 1;
        }
    });
    return result;
}

NewWeights copyFromTwoNearest(const MPointArray& destination, const std::vector<double>& source,
                              const MPointArray& sourcePoints) {
    NewWeights result(destination.length());
    forEachPoint(destination.length(), [&](unsigned int i) {
        result.values[i] = blendTwoNearest(destination[i], source, sourcePoints);
        result.assigned[i] = 1;
    });
    return result;
}

bool isEligible(double c, const MirrorSettings& settings, bool mesh) {
    const double tolerance = settings.closestPoint ? kClosestPointPlaneTolerance : kComponentPlaneTolerance;
    if (settings.flip) {
        // On a mesh the component flip leaves the plane alone; every other flip takes every point.
        return settings.closestPoint || !mesh || std::fabs(c) > tolerance;
    }
    return settings.inverse ? c > tolerance : c < -tolerance;
}

NewWeights mirrorMeshByComponent(const MPointArray& points, const std::vector<double>& weights,
                                 const MirrorSettings& settings) {
    const PointKdTree tree(points);
    const unsigned int axis = static_cast<unsigned int>(settings.axis);
    std::vector<int> sources(points.length(), -1);
    for (unsigned int i = 0; i < points.length(); ++i) {
        const double c = points[i][axis];
        if (!isEligible(c, settings, true)) {
            continue;
        }
        SideFilter side = settings.inverse ? SideFilter::kNegative : SideFilter::kPositive;
        if (settings.flip) {
            side = c > 0.0 ? SideFilter::kNegative : SideFilter::kPositive;
        }
        double distance = DBL_MAX;
        tree.search(reflected(points[i], settings.axis), side, settings.axis, sources[i], distance);
    }
    return fromIndices(sources, weights);
}

NewWeights mirrorMeshByClosestPoint(const MMeshIntersector& intersector, const MFnMesh& mesh,
                                    const MPointArray& points, const std::vector<double>& weights,
                                    const MirrorSettings& settings) {
    std::vector<MeshSample> samples(points.length());
    const unsigned int axis = static_cast<unsigned int>(settings.axis);
    for (unsigned int i = 0; i < points.length(); ++i) {
        if (isEligible(points[i][axis], settings, true)) {
            samples[i] = sampleMesh(intersector, mesh, reflected(points[i], settings.axis));
        }
    }
    return copyFromSamples(samples, weights);
}

NewWeights mirrorCurveByComponent(const MFnNurbsCurve& curve, const MPointArray& points,
                                  const std::vector<double>& weights, const MirrorSettings& settings) {
    std::vector<int> sources(points.length(), -1);
    const unsigned int axis = static_cast<unsigned int>(settings.axis);
    for (unsigned int i = 0; i < points.length(); ++i) {
        if (isEligible(points[i][axis], settings, false)) {
            sources[i] = findClosestCVIndex(curve, reflected(points[i], settings.axis), points);
        }
    }
    return fromIndices(sources, weights);
}

NewWeights mirrorCurveByClosestPoint(const MPointArray& points, const std::vector<double>& weights,
                                     const MirrorSettings& settings) {
    NewWeights result(points.length());
    const unsigned int axis = static_cast<unsigned int>(settings.axis);
    forEachPoint(points.length(), [&](unsigned int i) {
        if (isEligible(points[i][axis], settings, false)) {
            result.values[i] = blendTwoNearest(reflected(points[i], settings.axis), weights, points);
            result.assigned[i] = 1;
        }
    });
    return result;
}
