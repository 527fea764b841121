#include "geometry/GeometryAccess.h"
#include <maya/MItGeometry.h>

using khost::GeometryAccess;

namespace {

std::unique_ptr<GeometryAccess> accessTo(const MObject& object, MStatus* status) {
    const MFn::Type kind = object.hasFn(MFn::kMesh)           ? MFn::kMesh
                           : object.hasFn(MFn::kNurbsSurface) ? MFn::kNurbsSurface
                                                              : MFn::kNurbsCurve;
    auto access = std::make_unique<GeometryAccess>(object, kind);
    bool ok = access->valid() && access->read();
    if (status)
        *status = ok ? MS::kSuccess : MS::kInvalidParameter;
    return access;
}

MStatus report(MStatus* status, bool ok) {
    MStatus result = ok ? MS::kSuccess : MS::kFailure;
    if (status)
        *status = result;
    return result;
}

} // namespace

MItGeometry::MItGeometry(MDataHandle& dataHandle, bool readOnly, MStatus* ReturnStatus)
    : fAccess(accessTo(dataHandle.data(), ReturnStatus)), fReadOnly(readOnly) {}

MItGeometry::MItGeometry(const MDagPath& dagPath, MStatus* ReturnStatus)
    : fAccess(accessTo(dagPath.node(), ReturnStatus)), fReadOnly(false) {}

MItGeometry::~MItGeometry() = default;

int MItGeometry::count(MStatus* ReturnStatus) const {
    const khost::GeometryData* geometry = fAccess->read();
    report(ReturnStatus, geometry != nullptr);
    return geometry ? static_cast<int>(geometry->distinctPointCount()) : 0;
}

int MItGeometry::exactCount(MStatus* ReturnStatus) {
    return count(ReturnStatus);
}

bool MItGeometry::isDone(MStatus* ReturnStatus) const {
    return fIndex >= count(ReturnStatus);
}

MStatus MItGeometry::next() {
    if (isDone())
        return MS::kFailure;
    ++fIndex;
    return MS::kSuccess;
}

MStatus MItGeometry::reset() {
    fIndex = 0;
    return fAccess->valid() ? MS::kSuccess : MS::kFailure;
}

int MItGeometry::index(MStatus* ReturnStatus) const {
    report(ReturnStatus, !isDone());
    return fIndex;
}

MPoint MItGeometry::position(MSpace::Space space, MStatus* ReturnStatus) const {
    const khost::GeometryData* geometry = fAccess->read();
    if (report(ReturnStatus, geometry && fIndex < static_cast<int>(geometry->distinctPointCount())) !=
        MS::kSuccess)
        return MPoint();
    MPoint p = geometry->points[static_cast<unsigned>(fIndex)];
    return space == MSpace::kWorld ? p * fAccess->matrix() : p;
}

MStatus MItGeometry::setPosition(const MPoint& point, MSpace::Space space) {
    MPointArray points;
    if (fReadOnly || isDone() || !fAccess->getPoints(points, MSpace::kObject))
        return MS::kFailure;
    // Only this point moves: the others are written back exactly as they were.
    points[static_cast<unsigned>(fIndex)] =
        space == MSpace::kWorld ? point * fAccess->matrix().inverse() : point;
    return fAccess->setPoints(points, MSpace::kObject);
}

MStatus MItGeometry::allPositions(MPointArray& points, MSpace::Space space) const {
    MStatus status = fAccess->getPoints(points, space);
    if (status)
        points.setLength(static_cast<unsigned>(count()));
    return status;
}

MStatus MItGeometry::setAllPositions(const MPointArray& points, MSpace::Space space) {
    const khost::GeometryData* geometry = fAccess->read();
    if (fReadOnly || !geometry || static_cast<int>(points.length()) != count())
        return MS::kFailure;
    // The CVs a periodic curve repeats are filled in by setPoints.
    MPointArray full(points);
    full.setLength(geometry->points.length());
    return fAccess->setPoints(full, space);
}
