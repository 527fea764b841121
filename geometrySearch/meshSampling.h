#pragma once
// Where a position falls on a mesh: the triangle of the closest surface point and its barycentric
// coordinates, and values blended there from the triangle's three vertices.

#include <maya/MPoint.h>

#include <vector>

class MFnMesh;
class MMeshIntersector;

// One position's closest point on a mesh; invalid when there is none, and the position then keeps
// what it had. The component mirror uses vertex0 alone.
struct MeshSample {
    int vertex0 = -1, vertex1 = -1, vertex2 = -1;
    float u = 0.0f, v = 0.0f;
    bool valid = false;
};

// The closest point of the intersector's mesh to p (no distance limit) and its triangle's vertex ids
// from `mesh`, the same mesh.
MeshSample sampleMesh(const MMeshIntersector& intersector, const MFnMesh& mesh, const MPoint& p);

// u V[vertex0] + v V[vertex1] + (1 - s) V[vertex2] for a valid sample whose vertices index values,
// with s = u + v summed in single precision.
template <typename Value> Value barycentricBlend(const MeshSample& sample, const std::vector<Value>& values) {
    const double s = static_cast<double>(sample.u + sample.v);
    return values[static_cast<size_t>(sample.vertex0)] * static_cast<double>(sample.u) +
           values[static_cast<size_t>(sample.vertex1)] * static_cast<double>(sample.v) +
           values[static_cast<size_t>(sample.vertex2)] * (1.0 - s);
}

// True when the sample is valid and its three vertices index `count` values.
bool sampleFits(const MeshSample& sample, size_t count);
