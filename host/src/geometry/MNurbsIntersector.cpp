#include "geometry/GeometryAccess.h"
#include "geometry/NurbsClosestPoint.h"
#include <maya/MNurbsIntersector.h>

MPoint& MPointOnNurbs::getPoint() {
    return fPoint;
}

void MPointOnNurbs::getUV(double& u, double& v) const {
    u = fU;
    v = fV;
}

MNurbsIntersector::MNurbsIntersector() = default;
MNurbsIntersector::~MNurbsIntersector() = default;

MStatus MNurbsIntersector::create(MObject& nurbsObject, const MMatrix& matrix) {
    fProjector.reset();
    const auto* surface =
        khost::GeometryAccess(nurbsObject, MFn::kNurbsSurface).as<khost::NurbsSurfaceData>();
    if (!surface)
        return MS::kInvalidParameter;
    auto projector = std::make_shared<const khost::SurfaceProjector>(*surface, matrix);
    if (!projector->valid())
        return MS::kInvalidParameter;
    fProjector = std::move(projector);
    return MS::kSuccess;
}

bool MNurbsIntersector::isCreated() const {
    return fProjector != nullptr;
}

MStatus MNurbsIntersector::getClosestPoint(const MPoint& point, MPointOnNurbs& nurbsPoint,
                                           double maxDistance) const {
    if (!fProjector)
        return MS::kFailure;
    khost::SurfaceProjector::Result result;
    const MStatus status = fProjector->closestPoint(point, maxDistance, result);
    if (status)
        nurbsPoint = MPointOnNurbs(result.point, result.u, result.v);
    return status;
}
