#pragma once
// Closest points on a mesh. create() prepares a search structure over the mesh's triangles once;
// getClosestPoint() then answers queries and may be called from several threads at once.
#include <cfloat>
#include <maya/MFloatPoint.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <memory>

namespace khost {
class TriangleBvh;
}

// A point on a mesh: its polygon, the triangle of that polygon in the triangulation
// MFnMesh::getPolygonTriangleVertices gives, and its barycentric coordinates in that triangle,
// point = u P0 + v P1 + (1 - u - v) P2.
class MPointOnMesh {
public:
    MPointOnMesh() = default;
    MPointOnMesh(const MPointOnMesh& other) = default;
    MPointOnMesh& operator=(const MPointOnMesh& other) = default;

    // In the mesh's object space.
    MFloatPoint& getPoint() { return fPoint; }
    void getBarycentricCoords(float& u, float& v) const {
        u = fU;
        v = fV;
    }
    int faceIndex() const { return fFace; }
    int triangleIndex() const { return fTriangle; }

private:
    friend class MMeshIntersector;
    MFloatPoint fPoint;
    int fFace = -1;
    int fTriangle = -1;
    float fU = 0.0f;
    float fV = 0.0f;
};

class MMeshIntersector {
public:
    MMeshIntersector(void);
    virtual ~MMeshIntersector(void);

    // meshObject is a mesh shape or mesh data; matrix places the mesh in the space queries are given
    // in (query points are taken into the mesh's object space by its inverse). Fails for a mesh
    // without polygons or a matrix without inverse.
    MStatus create(MObject& meshObject, const MMatrix& matrix = MMatrix::identity);
    bool isCreated(void) const;
    // Fails when nothing was created, the point is not finite or the mesh lies farther than
    // maxDistance (measured in the mesh's object space).
    MStatus getClosestPoint(const MPoint& point, MPointOnMesh& meshPoint, double maxDistance = DBL_MAX) const;

private:
    MMeshIntersector(const MMeshIntersector&) = delete;
    MMeshIntersector& operator=(const MMeshIntersector&) = delete;

    std::shared_ptr<const khost::TriangleBvh> fTree;
    MMatrix fToObject;
};
