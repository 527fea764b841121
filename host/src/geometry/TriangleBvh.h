#pragma once
// Closest points on a mesh: a bounding-volume hierarchy over the triangles of its polygons (the
// mesh's own triangulation), searched nearest box first, exact on every triangle it reaches.
#include "geometry/GeometryData.h"
#include <maya/MPoint.h>
#include <vector>

namespace khost {

// The point of triangle (a, b, c) closest to q, as weights: point = u a + v b + (1 - u - v) c.
// Degenerate triangles (segments, points) are handled as the segments they are.
MPoint closestPointOnTriangle(const MPoint& q, const MPoint& a, const MPoint& b, const MPoint& c, double& u,
                              double& v);

class TriangleBvh {
public:
    // Every triangle of the mesh, in its object space.
    explicit TriangleBvh(const MeshData& mesh);

    bool empty() const { return fTriangles.empty(); }

    struct Hit {
        int face = -1;
        int triangle = -1;
        MPoint point;
        // Weights of the triangle's first and second vertex.
        double u = 0.0, v = 0.0;
        double distanceSquared = 0.0;
    };
    // The closest point over all triangles; false when there are none or q is not finite.
    bool closest(const MPoint& q, Hit& hit) const;

private:
    struct Triangle {
        MPoint a, b, c;
        int face, triangle;
    };
    struct Box {
        double lo[3], hi[3];
        double distanceSquared(const MPoint& q) const;
    };
    struct Node {
        Box box;
        // Children's positions in fNodes, or -1 for a leaf holding fTriangles[first, first + count).
        int left = -1, right = -1;
        unsigned int first = 0, count = 0;
    };
    int build(unsigned int first, unsigned int count);
    void visit(const MPoint& q, int node, Hit& best) const;

    std::vector<Triangle> fTriangles;
    std::vector<Node> fNodes;
};

} // namespace khost
