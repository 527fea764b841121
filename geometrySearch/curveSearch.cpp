#include "geometrySearch/curveSearch.h"

#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>

int findClosestCVIndex(const MFnNurbsCurve& curve, const MPoint& point, const MPointArray& cvs,
                       MStatus* status) {
    if (status) {
        *status = MS::kSuccess;
    }
    if (curve.object().isNull() || !curve.object().hasFn(MFn::kNurbsCurve)) {
        MGlobal::displayError("findClosestCVIndex: invalid or null NURBS curve.");
        if (status) {
            *status = MS::kFailure;
        }
        return -1;
    }
    MStatus query;
    const MPoint closest = curve.closestPoint(point, nullptr, kCurveTolerance, MSpace::kObject, &query);
    if (!query) {
        MGlobal::displayError("findClosestCVIndex: closestPoint() failed.");
        return -1;
    }
    int best = -1;
    double bestDistance = 0.0;
    for (unsigned int k = 0; k < cvs.length(); ++k) {
        const double distance = (cvs[k] - closest).length();
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(k);
            bestDistance = distance;
        }
    }
    return best;
}

double blendTwoNearest(const MPoint& p, const std::vector<double>& weights, const MPointArray& points) {
    if (weights.size() != points.length()) {
        MGlobal::displayError("weights vector size doesn't match CV count!");
        return 0.0;
    }
    return twoNearestBlend(p, weights, points);
}
