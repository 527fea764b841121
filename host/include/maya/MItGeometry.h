#pragma once
#include <maya/MDagPath.h>
#include <maya/MDataHandle.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>
#include <memory>

namespace khost {
class GeometryAccess;
}

// Iterates the points of a mesh (vertices) or a NURBS curve (CVs) in index order, on a shape or on
// the geometry held by a data handle. A read-only iterator refuses every write.
class MItGeometry {
public:
    MItGeometry(MDataHandle& dataHandle, bool readOnly = true, MStatus* ReturnStatus = nullptr);
    MItGeometry(const MDagPath& dagPath, MStatus* ReturnStatus = nullptr);
    virtual ~MItGeometry();

    bool isDone(MStatus* ReturnStatus = nullptr) const;
    MStatus next();
    MStatus reset();
    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = nullptr) const;
    MStatus setPosition(const MPoint& point, MSpace::Space space = MSpace::kObject);
    int index(MStatus* ReturnStatus = nullptr) const;
    int count(MStatus* ReturnStatus = nullptr) const;
    int exactCount(MStatus* ReturnStatus = nullptr);
    MStatus allPositions(MPointArray& points, MSpace::Space space = MSpace::kObject) const;
    // The array must hold exactly count() points.
    MStatus setAllPositions(const MPointArray& points, MSpace::Space space = MSpace::kObject);

private:
    MItGeometry(const MItGeometry&) = delete;
    MItGeometry& operator=(const MItGeometry&) = delete;

    std::unique_ptr<khost::GeometryAccess> fAccess;
    bool fReadOnly = true;
    int fIndex = 0;
};
