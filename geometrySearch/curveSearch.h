#pragma once
// Searches on NURBS curves and on loose points: the CV nearest to the curve's closest point, and
// the inverse-distance blend of the values at the two points nearest to a position.

#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>

#include <algorithm>
#include <utility>
#include <vector>

class MFnNurbsCurve;

// Tolerance handed to the curve's closest-point query.
inline constexpr double kCurveTolerance = 0.001;
// Distances below this count as this in the inverse-distance blend, so a point on a source point
// dominates without a division by zero.
inline constexpr double kSmallestBlendDistance = 1e-5;

// The index of the CV (of `cvs`) nearest to the curve's closest point to `point`, the lowest index
// of equal distances; -1 when there are no CVs or the query fails (with a message, and a failed
// status for a function set without a NURBS curve).
int findClosestCVIndex(const MFnNurbsCurve& curve, const MPoint& point, const MPointArray& cvs,
                       MStatus* status = nullptr);

// sum(f_j W_j) / sum(f_j) over the two points of Q nearest to p, f = 1 / max(distance, 1e-5).
// Weights and points must pair up: otherwise an error is shown and the result is 0.0.
double blendTwoNearest(const MPoint& p, const std::vector<double>& weights, const MPointArray& points);

// The same blend for any value that can be scaled and summed (weights, offsets); values and points
// of equal length. Zero with no points.
template <typename Value>
Value twoNearestBlend(const MPoint& p, const std::vector<Value>& values, const MPointArray& points) {
    std::pair<double, unsigned int> nearest[2];
    unsigned int found = 0;
    for (unsigned int j = 0; j < points.length(); ++j) {
        const std::pair<double, unsigned int> candidate((points[j] - p).length(), j);
        if (found < 2) {
            nearest[found++] = candidate;
        } else if (candidate.first < nearest[1].first) {
            nearest[1] = candidate;
        } else {
            continue;
        }
        if (found == 2 && nearest[1].first < nearest[0].first) {
            std::swap(nearest[0], nearest[1]);
        }
    }
    Value sum = Value();
    double total = 0.0;
    for (unsigned int k = 0; k < found; ++k) {
        const double factor = 1.0 / std::max(nearest[k].first, kSmallestBlendDistance);
        sum += values[nearest[k].second] * factor;
        total += factor;
    }
    return total != 0.0 ? sum / total : Value();
}
