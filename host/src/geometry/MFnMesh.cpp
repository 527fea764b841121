#include "dag/Dag.h"
#include "geometry/GeometryAccess.h"
#include <maya/MFnMesh.h>

using khost::GeometryAccess;
using khost::MeshData;

namespace {

const MeshData* meshOf(const MObject& object, MStatus* status) {
    const MeshData* mesh = GeometryAccess(object, MFn::kMesh).as<MeshData>();
    if (status)
        *status = mesh ? MS::kSuccess : MS::kInvalidParameter;
    return mesh;
}

bool knownUVSet(const MeshData& mesh, const MString* uvSet) {
    return !uvSet || uvSet->length() == 0 || *uvSet == mesh.uvSetName;
}

// The UV id of a face-vertex; -1 when the face, the corner or the UV set does not exist.
int faceVertexUV(const MeshData& mesh, int polygonId, int vertexIndex, const MString* uvSet) {
    int offset = mesh.faceOffset(polygonId);
    if (offset < 0 || vertexIndex < 0 || vertexIndex >= mesh.faceCounts()[static_cast<unsigned>(polygonId)] ||
        !knownUVSet(mesh, uvSet) || mesh.uvIds().length() == 0)
        return -1;
    return mesh.uvIds()[static_cast<unsigned>(offset + vertexIndex)];
}

} // namespace

MFnMesh::MFnMesh(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnMesh::MFnMesh(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnMesh::MFnMesh(const MDagPath& object, MStatus* ReturnStatus) {
    attach(object.node(), ReturnStatus);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MObject& parentOrOwner, MStatus* ReturnStatus) {
    auto fail = [&]() {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return MObject();
    };
    auto mesh = std::make_shared<MeshData>();
    mesh->points = vertexArray;
    if (numVertices != static_cast<int>(vertexArray.length()) ||
        numPolygons != static_cast<int>(polygonCounts.length()) ||
        !mesh->setTopology(polygonCounts, polygonConnects))
        return fail();
    return khost::placeCreatedGeometry(mesh, parentOrOwner, "mesh", "polySurface#", fObject, ReturnStatus);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MObject& parentOrOwner, MStatus* ReturnStatus) {
    MPointArray points;
    for (const MFloatPoint& p : vertexArray)
        points.append(MPoint(p));
    return create(numVertices, numPolygons, points, polygonCounts, polygonConnects, parentOrOwner,
                  ReturnStatus);
}

int MFnMesh::numVertices(MStatus* ReturnStatus) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? static_cast<int>(mesh->points.length()) : 0;
}

int MFnMesh::numPolygons(MStatus* ReturnStatus) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? mesh->numPolygons() : 0;
}

int MFnMesh::numFaceVertices(MStatus* ReturnStatus) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? static_cast<int>(mesh->faceConnects().length()) : 0;
}

MStatus MFnMesh::getPoints(MPointArray& vertexArray, MSpace::Space space) const {
    return GeometryAccess(fObject, MFn::kMesh).getPoints(vertexArray, space);
}

MStatus MFnMesh::getPoints(MFloatPointArray& vertexArray, MSpace::Space space) const {
    MPointArray points;
    MStatus status = getPoints(points, space);
    vertexArray.clear();
    for (const MPoint& p : points)
        vertexArray.append(MFloatPoint(p));
    return status;
}

MStatus MFnMesh::setPoints(const MPointArray& vertexArray, MSpace::Space space) {
    GeometryAccess access(fObject, MFn::kMesh);
    return access.setPoints(vertexArray, space);
}

MStatus MFnMesh::setPoints(const MFloatPointArray& vertexArray, MSpace::Space space) {
    MPointArray points;
    for (const MFloatPoint& p : vertexArray)
        points.append(MPoint(p));
    return setPoints(points, space);
}

MStatus MFnMesh::getPoint(int vertexId, MPoint& pos, MSpace::Space space) const {
    MPointArray points;
    MStatus status = getPoints(points, space);
    if (!status)
        return status;
    if (vertexId < 0 || vertexId >= static_cast<int>(points.length()))
        return MS::kInvalidParameter;
    pos = points[static_cast<unsigned>(vertexId)];
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonVertices(int polygonId, MIntArray& vertexList) const {
    MStatus status;
    const MeshData* mesh = meshOf(fObject, &status);
    if (!mesh)
        return status;
    int offset = mesh->faceOffset(polygonId);
    if (offset < 0)
        return MS::kInvalidParameter;
    vertexList.clear();
    for (int k = 0; k < mesh->faceCounts()[static_cast<unsigned>(polygonId)]; ++k)
        vertexList.append(mesh->faceConnects()[static_cast<unsigned>(offset + k)]);
    return MS::kSuccess;
}

MStatus MFnMesh::getVertices(MIntArray& vertexCount, MIntArray& vertexList) const {
    MStatus status;
    const MeshData* mesh = meshOf(fObject, &status);
    if (!mesh)
        return status;
    vertexCount = mesh->faceCounts();
    vertexList = mesh->faceConnects();
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonTriangleVertices(int polygonId, int triangleId, int vertexList[3]) const {
    MStatus status;
    const MeshData* mesh = meshOf(fObject, &status);
    if (!mesh)
        return status;
    return mesh->polygonTriangle(polygonId, triangleId, vertexList) ? MS::kSuccess : MS::kInvalidParameter;
}

int MFnMesh::numUVSets(MStatus* ReturnStatus) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh && mesh->uvSetName.length() ? 1 : 0;
}

int MFnMesh::numUVs(MStatus* ReturnStatus) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? static_cast<int>(mesh->u().length()) : 0;
}

MString MFnMesh::currentUVSetName(MStatus* ReturnStatus, int) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? mesh->uvSetName : MString();
}

MStatus MFnMesh::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet) const {
    MStatus status;
    const MeshData* mesh = meshOf(fObject, &status);
    if (!mesh)
        return status;
    if (!knownUVSet(*mesh, uvSet))
        return MS::kInvalidParameter;
    uArray = mesh->u();
    vArray = mesh->v();
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonUVid(int polygonId, int vertexIndex, int& uvId, const MString* uvSet) const {
    MStatus status;
    const MeshData* mesh = meshOf(fObject, &status);
    if (!mesh)
        return status;
    int id = faceVertexUV(*mesh, polygonId, vertexIndex, uvSet);
    if (id < 0)
        return MS::kInvalidParameter;
    uvId = id;
    return MS::kSuccess;
}

MStatus MFnMesh::getPolygonUV(int polygonId, int vertexIndex, float& u, float& v,
                              const MString* uvSet) const {
    MStatus status;
    const MeshData* mesh = meshOf(fObject, &status);
    if (!mesh)
        return status;
    int id = faceVertexUV(*mesh, polygonId, vertexIndex, uvSet);
    if (id < 0)
        return MS::kInvalidParameter;
    u = mesh->u()[static_cast<unsigned>(id)];
    v = mesh->v()[static_cast<unsigned>(id)];
    return MS::kSuccess;
}
