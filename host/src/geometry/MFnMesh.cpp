#include "dag/Dag.h"
#include "geometry/GeometryAccess.h"
#include "geometry/TriangleBvh.h"
#include <maya/MFnMesh.h>
#include <numeric>
#include <vector>

using khost::GeometryAccess;
using khost::MeshData;

namespace {

const MeshData* meshOf(const MObject& object, MStatus* status) {
    const MeshData* mesh = GeometryAccess(object, MFn::kMesh).as<MeshData>();
    if (status)
        *status = mesh ? MS::kSuccess : MS::kInvalidParameter;
    return mesh;
}

// The mesh when it has the UV set named (null or empty naming the current one); null otherwise.
const MeshData* uvMeshOf(const MObject& object, const MString* uvSet, MStatus& status) {
    const MeshData* mesh = meshOf(object, &status);
    if (mesh && !mesh->isUVSet(uvSet)) {
        status = MS::kInvalidParameter;
        return nullptr;
    }
    return mesh;
}

// The UV id of a face-vertex; -1 when the face, the corner or the UV set does not exist.
int faceVertexUV(const MeshData& mesh, int polygonId, int vertexIndex, const MString* uvSet) {
    int offset = mesh.faceOffset(polygonId);
    if (offset < 0 || vertexIndex < 0 || vertexIndex >= mesh.faceCounts()[static_cast<unsigned>(polygonId)] ||
        !mesh.isUVSet(uvSet))
        return -1;
    return mesh.uvIds()[static_cast<unsigned>(offset + vertexIndex)];
}

// The face corners of triangle `triangle` of a face: the fan around its first corner.
void triangleCorners(int triangle, int corners[3]) {
    corners[0] = 0;
    corners[1] = triangle + 1;
    corners[2] = triangle + 2;
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
    return mesh && mesh->hasUVs() ? 1 : 0;
}

int MFnMesh::numUVs(MStatus* ReturnStatus) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? static_cast<int>(mesh->u().length()) : 0;
}

MString MFnMesh::currentUVSetName(MStatus* ReturnStatus, int) const {
    const MeshData* mesh = meshOf(fObject, ReturnStatus);
    return mesh ? mesh->uvSetName() : MString();
}

MStatus MFnMesh::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet) const {
    MStatus status;
    const MeshData* mesh = uvMeshOf(fObject, uvSet, status);
    if (!mesh)
        return status;
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

MStatus MFnMesh::getUVAtPoint(const MPoint& pt, float2& uvPoint, MSpace::Space space, const MString* uvSet,
                              int* closestPolygon) const {
    MStatus status;
    const MeshData* mesh = uvMeshOf(fObject, uvSet, status);
    if (!mesh)
        return status;
    GeometryAccess access(fObject, MFn::kMesh);
    const MPoint local = space == MSpace::kWorld ? pt * access.matrix().inverse() : pt;
    khost::TriangleBvh::Hit hit;
    if (!khost::TriangleBvh(*mesh).closest(local, hit))
        return MS::kFailure;
    int corners[3];
    triangleCorners(hit.triangle, corners);
    const double weights[3] = {hit.u, hit.v, 1.0 - hit.u - hit.v};
    double u = 0.0, v = 0.0;
    for (int k = 0; k < 3; ++k) {
        const unsigned id = static_cast<unsigned>(faceVertexUV(*mesh, hit.face, corners[k], uvSet));
        u += weights[k] * mesh->u()[id];
        v += weights[k] * mesh->v()[id];
    }
    uvPoint[0] = static_cast<float>(u);
    uvPoint[1] = static_cast<float>(v);
    if (closestPolygon)
        *closestPolygon = hit.face;
    return MS::kSuccess;
}

MStatus MFnMesh::getUvShellsIds(MIntArray& uvShellIds, unsigned int& nbUvShells, const MString* uvSet) const {
    MStatus status;
    const MeshData* mesh = uvMeshOf(fObject, uvSet, status);
    if (!mesh)
        return status;
    // Union-find over UV ids; a shell's root is its lowest UV id.
    std::vector<int> root(mesh->u().length());
    std::iota(root.begin(), root.end(), 0);
    auto find = [&root](int id) {
        while (root[static_cast<size_t>(id)] != id)
            id = root[static_cast<size_t>(id)] = root[static_cast<size_t>(root[static_cast<size_t>(id)])];
        return id;
    };
    for (int face = 0; face < mesh->numPolygons(); ++face) {
        const int offset = mesh->faceOffset(face);
        for (int k = 1; k < mesh->faceCounts()[static_cast<unsigned>(face)]; ++k) {
            const int a = find(mesh->uvIds()[static_cast<unsigned>(offset)]);
            const int b = find(mesh->uvIds()[static_cast<unsigned>(offset + k)]);
            root[static_cast<size_t>(std::max(a, b))] = std::min(a, b);
        }
    }
    std::vector<int> shellOfRoot(root.size(), -1);
    uvShellIds.clear();
    nbUvShells = 0;
    for (int id = 0; id < static_cast<int>(root.size()); ++id) {
        int& shell = shellOfRoot[static_cast<size_t>(find(id))];
        if (shell < 0)
            shell = static_cast<int>(nbUvShells++);
        uvShellIds.append(shell);
    }
    return MS::kSuccess;
}

MStatus MFnMesh::getPointsAtUV(MIntArray& polygonIds, MPointArray& points, float2& uvPoint,
                               MSpace::Space space, const MString* uvSet, float tolerance) {
    MStatus status;
    const MeshData* mesh = uvMeshOf(fObject, uvSet, status);
    if (!mesh)
        return status;
    GeometryAccess access(fObject, MFn::kMesh);
    MPointArray positions;
    status = access.getPoints(positions, space);
    if (!status)
        return status;
    polygonIds.clear();
    points.clear();
    // UVs as points of the z = 0 plane, so that the closest point of a UV triangle is a 3-D one.
    const MPoint target(uvPoint[0], uvPoint[1], 0.0);
    for (int face = 0; face < mesh->numPolygons(); ++face) {
        const int offset = mesh->faceOffset(face);
        bool found = false;
        double nearest = tolerance;
        MPoint atUV;
        int corners[3];
        for (int triangle = 0; triangle + 2 < mesh->faceCounts()[static_cast<unsigned>(face)]; ++triangle) {
            triangleCorners(triangle, corners);
            MPoint uv[3], xyz[3];
            for (int k = 0; k < 3; ++k) {
                const unsigned corner = static_cast<unsigned>(offset + corners[k]);
                const unsigned id = static_cast<unsigned>(mesh->uvIds()[corner]);
                uv[k] = MPoint(mesh->u()[id], mesh->v()[id], 0.0);
                xyz[k] = positions[static_cast<unsigned>(mesh->faceConnects()[corner])];
            }
            double a = 0.0, b = 0.0;
            const double distance =
                (khost::closestPointOnTriangle(target, uv[0], uv[1], uv[2], a, b) - target).length();
            if (found ? distance < nearest : distance <= nearest) {
                found = true;
                nearest = distance;
                atUV = MPoint(MVector(xyz[0]) * a + MVector(xyz[1]) * b + MVector(xyz[2]) * (1.0 - a - b));
            }
        }
        if (found) {
            polygonIds.append(face);
            points.append(atUV);
        }
    }
    return MS::kSuccess;
}
