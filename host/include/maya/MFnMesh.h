#pragma once
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <maya/MTypes.h>

// Polygon mesh access on a mesh shape or on mesh data. kWorld uses the shape's world matrix or the
// matrix the data carries.
class MFnMesh : public MFnDagNode {
public:
    MFnMesh() = default;
    MFnMesh(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnMesh(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFnMesh(const MDagPath& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kMesh; }

    // Fills mesh data when parentOrOwner is mesh data, otherwise makes a mesh shape under the given
    // transform (or under a new one when null); returns the data or the transform.
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   const MObject& parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = nullptr);
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   const MObject& parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = nullptr);

    int numVertices(MStatus* ReturnStatus = nullptr) const;
    int numPolygons(MStatus* ReturnStatus = nullptr) const;
    int numFaceVertices(MStatus* ReturnStatus = nullptr) const;
    MStatus getPoints(MPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus setPoints(const MPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus setPoints(const MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus getPoint(int vertexId, MPoint& pos, MSpace::Space space = MSpace::kObject) const;
    MStatus getPolygonVertices(int polygonId, MIntArray& vertexList) const;
    MStatus getVertices(MIntArray& vertexCount, MIntArray& vertexList) const;
    // The mesh vertex ids of one triangle of a polygon, in the triangulation MPointOnMesh refers to.
    MStatus getPolygonTriangleVertices(int polygonId, int triangleId, int vertexList[3]) const;

    int numUVSets(MStatus* ReturnStatus = nullptr) const;
    int numUVs(MStatus* ReturnStatus = nullptr) const;
    MString currentUVSetName(MStatus* ReturnStatus = nullptr, int instance = kInstanceUnspecified) const;
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet = nullptr) const;
    // vertexIndex counts around the face (0 .. face size - 1).
    MStatus getPolygonUVid(int polygonId, int vertexIndex, int& uvId, const MString* uvSet = nullptr) const;
    MStatus getPolygonUV(int polygonId, int vertexIndex, float& u, float& v,
                         const MString* uvSet = nullptr) const;
    // The UV of the mesh's closest point to pt, and the polygon that holds it.
    MStatus getUVAtPoint(const MPoint& pt, float2& uvPoint, MSpace::Space space = MSpace::kObject,
                         const MString* uvSet = nullptr, int* closestPolygon = nullptr) const;
    // One shell id per UV id: shells are the groups of UVs joined by the faces that share them,
    // numbered in the order of their lowest UV id.
    MStatus getUvShellsIds(MIntArray& uvShellIds, unsigned int& nbUvShells,
                           const MString* uvSet = nullptr) const;
    // Each polygon whose UV area lies within tolerance of uvPoint, and the point of the polygon at
    // the UV nearest to uvPoint.
    MStatus getPointsAtUV(MIntArray& polygonIds, MPointArray& points, float2& uvPoint,
                          MSpace::Space space = MSpace::kObject, const MString* uvSet = nullptr,
                          float tolerance = 1e-3);
};
