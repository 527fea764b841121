#include "geometrySearch/meshSampling.h"

#include <maya/MFnMesh.h>
#include <maya/MMeshIntersector.h>

#include <cfloat>

MeshSample sampleMesh(const MMeshIntersector& intersector, const MFnMesh& mesh, const MPoint& p) {
    MeshSample sample;
    MPointOnMesh onMesh;
    if (!intersector.getClosestPoint(p, onMesh, DBL_MAX)) {
        return sample;
    }
    int vertices[3];
    if (!mesh.getPolygonTriangleVertices(onMesh.faceIndex(), onMesh.triangleIndex(), vertices)) {
        return sample;
    }
    sample.vertex0 = vertices[0];
    sample.vertex1 = vertices[1];
    sample.vertex2 = vertices[2];
    onMesh.getBarycentricCoords(sample.u, sample.v);
    sample.valid = true;
    return sample;
}

bool sampleFits(const MeshSample& sample, size_t count) {
    const auto inside = [count](int vertex) { return vertex >= 0 && static_cast<size_t>(vertex) < count; };
    return sample.valid && inside(sample.vertex0) && inside(sample.vertex1) && inside(sample.vertex2);
}
