#include "kivoMorph/surfaceFrame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSmallestSquare = 1e-20;

double squaredLength(const MVector& v) {
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

} // namespace

bool buildSurfaceFrame(const MVector& dU, const MVector& dV, SurfaceFrame& frame) {
    const double uu = squaredLength(dU);
    if (!(uu > kSmallestSquare)) {
        return false;
    }
    const MVector tangent = dU / std::sqrt(uu);
    MVector normal = tangent ^ dV;
    const double nn = squaredLength(normal);
    if (!(nn > kSmallestSquare)) {
        return false;
    }
    normal /= std::sqrt(nn);
    frame.tangent = tangent;
    frame.normal = normal;
    frame.binormal = normal ^ tangent;
    return true;
}

bool normalizedSurfaceFrame(const MVector& dU, const MVector& dV, SurfaceFrame& frame) {
    if (!(squaredLength(dU) > kSmallestSquare)) {
        return false;
    }
    MVector tangent = dU;
    tangent.normalize();
    MVector normal = tangent ^ dV;
    if (!(squaredLength(normal) > kSmallestSquare)) {
        return false;
    }
    normal.normalize();
    MVector binormal = normal ^ tangent;
    binormal.normalize();
    frame.tangent = tangent;
    frame.normal = normal;
    frame.binormal = binormal;
    return true;
}

MVector localOffset(const MVector& offset, const SurfaceFrame& frame) {
    return {offset * frame.tangent, offset * frame.normal, offset * frame.binormal};
}

MPoint placeInFrame(const MPoint& surfacePoint, const MVector& local, const SurfaceFrame& frame) {
    const auto component = [&](double s, double t, double n, double b) {
        return std::fma(local.z, b, std::fma(local.y, n, std::fma(local.x, t, s)));
    };
    return {component(surfacePoint.x, frame.tangent.x, frame.normal.x, frame.binormal.x),
            component(surfacePoint.y, frame.tangent.y, frame.normal.y, frame.binormal.y),
            component(surfacePoint.z, frame.tangent.z, frame.normal.z, frame.binormal.z)};
}

double clampParameter(double t, double start, double end) {
    if (std::isnan(t)) {
        return start;
    }
    return std::min(std::max(t, start), end);
}
