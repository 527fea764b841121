#include "geometry/GeometryAccess.h"
#include "geometry/TriangleBvh.h"
#include <cmath>
#include <maya/MMeshIntersector.h>

MMeshIntersector::MMeshIntersector(void) = default;
MMeshIntersector::~MMeshIntersector(void) = default;

MStatus MMeshIntersector::create(MObject& meshObject, const MMatrix& matrix) {
    fTree.reset();
    const khost::MeshData* mesh = khost::GeometryAccess(meshObject, MFn::kMesh).as<khost::MeshData>();
    if (!mesh)
        return MS::kInvalidParameter;
    const MMatrix toObject = matrix.inverse();
    for (unsigned int row = 0; row < 4; ++row)
        for (unsigned int col = 0; col < 4; ++col)
            if (!std::isfinite(toObject[row][col]))
                return MS::kInvalidParameter;
    auto tree = std::make_shared<const khost::TriangleBvh>(*mesh);
    if (tree->empty())
        return MS::kInvalidParameter;
    fTree = std::move(tree);
    fToObject = toObject;
    return MS::kSuccess;
}

bool MMeshIntersector::isCreated(void) const {
    return fTree != nullptr;
}

MStatus MMeshIntersector::getClosestPoint(const MPoint& point, MPointOnMesh& meshPoint,
                                          double maxDistance) const {
    if (!fTree)
        return MS::kFailure;
    khost::TriangleBvh::Hit hit;
    if (!fTree->closest(point * fToObject, hit))
        return MS::kInvalidParameter;
    if (std::sqrt(hit.distanceSquared) > maxDistance)
        return MS::kFailure;
    meshPoint.fPoint = MFloatPoint(hit.point);
    meshPoint.fFace = hit.face;
    meshPoint.fTriangle = hit.triangle;
    meshPoint.fU = static_cast<float>(hit.u);
    meshPoint.fV = static_cast<float>(hit.v);
    return MS::kSuccess;
}
