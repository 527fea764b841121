#include "geometry/TriangleBvh.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include <maya/MVector.h>

namespace khost {

namespace {

constexpr unsigned int kLeafTriangles = 4;

double centre(const MPoint& a, const MPoint& b, const MPoint& c, int axis) {
    return a[static_cast<unsigned>(axis)] + b[static_cast<unsigned>(axis)] + c[static_cast<unsigned>(axis)];
}

// The point of segment [a, b] closest to q, and its parameter t along it (0 at a).
MPoint closestOnSegment(const MPoint& q, const MPoint& a, const MPoint& b, double& t) {
    const MVector ab = b - a;
    const double length = ab * ab;
    t = length > 0.0 ? std::clamp(((q - a) * ab) / length, 0.0, 1.0) : 0.0;
    return a + ab * t;
}

} // namespace

// Regions of the triangle's plane tested in turn (vertices, edges, face), after Ericson's
// "Real-Time Collision Detection" 5.1.5; the divisions there need a triangle of non-zero area.
MPoint closestPointOnTriangle(const MPoint& q, const MPoint& a, const MPoint& b, const MPoint& c, double& u,
                              double& v) {
    const MVector ab = b - a, ac = c - a, ap = q - a;
    const MVector normal = ab ^ ac;
    if (!(normal * normal > 0.0)) {
        // No area: the closest of the three edges.
        double t[3];
        const MPoint onEdge[3] = {closestOnSegment(q, a, b, t[0]), closestOnSegment(q, b, c, t[1]),
                                  closestOnSegment(q, c, a, t[2])};
        int best = 0;
        for (int k = 1; k < 3; ++k)
            if ((q - onEdge[k]).length() < (q - onEdge[best]).length())
                best = k;
        const double weights[3][3] = {{1 - t[0], t[0], 0}, {0, 1 - t[1], t[1]}, {t[2], 0, 1 - t[2]}};
        u = weights[best][0];
        v = weights[best][1];
        return onEdge[best];
    }
    const double d1 = ab * ap, d2 = ac * ap;
    if (d1 <= 0.0 && d2 <= 0.0) {
        u = 1.0, v = 0.0;
        return a;
    }
    const MVector bp = q - b;
    const double d3 = ab * bp, d4 = ac * bp;
    if (d3 >= 0.0 && d4 <= d3) {
        u = 0.0, v = 1.0;
        return b;
    }
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) {
        const double s = d1 / (d1 - d3);
        u = 1.0 - s, v = s;
        return a + ab * s;
    }
    const MVector cp = q - c;
    const double d5 = ab * cp, d6 = ac * cp;
    if (d6 >= 0.0 && d5 <= d6) {
        u = 0.0, v = 0.0;
        return c;
    }
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) {
        const double s = d2 / (d2 - d6);
        u = 1.0 - s, v = 0.0;
        return a + ac * s;
    }
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0.0 && (d4 - d3) >= 0.0 && (d5 - d6) >= 0.0) {
        const double s = (d4 - d3) / ((d4 - d3) + (d5 - d6));
        u = 0.0, v = 1.0 - s;
        return b + (c - b) * s;
    }
    const double scale = 1.0 / (va + vb + vc);
    const double wb = vb * scale, wc = vc * scale;
    u = 1.0 - wb - wc, v = wb;
    return a + ab * wb + ac * wc;
}

double TriangleBvh::Box::distanceSquared(const MPoint& q) const {
    double sum = 0.0;
    for (unsigned int k = 0; k < 3; ++k) {
        const double below = lo[k] - q[k], above = q[k] - hi[k];
        const double gap = below > 0.0 ? below : (above > 0.0 ? above : 0.0);
        sum += gap * gap;
    }
    return sum;
}

TriangleBvh::TriangleBvh(const MeshData& mesh) {
    for (int face = 0; face < mesh.numPolygons(); ++face) {
        int vertices[3];
        for (int triangle = 0; mesh.polygonTriangle(face, triangle, vertices); ++triangle)
            fTriangles.push_back({mesh.points[static_cast<unsigned>(vertices[0])],
                                  mesh.points[static_cast<unsigned>(vertices[1])],
                                  mesh.points[static_cast<unsigned>(vertices[2])], face, triangle});
    }
    if (!fTriangles.empty()) {
        fNodes.reserve(2 * fTriangles.size() / kLeafTriangles + 1);
        build(0, static_cast<unsigned>(fTriangles.size()));
    }
}

// Splits at the median of the triangle centres along the axis over which they spread most.
int TriangleBvh::build(unsigned int first, unsigned int count) {
    const int index = static_cast<int>(fNodes.size());
    fNodes.emplace_back();
    Box box, centres;
    for (unsigned int k = 0; k < 3; ++k) {
        box.lo[k] = centres.lo[k] = std::numeric_limits<double>::infinity();
        box.hi[k] = centres.hi[k] = -std::numeric_limits<double>::infinity();
    }
    for (unsigned int t = first; t < first + count; ++t) {
        const Triangle& tri = fTriangles[t];
        for (unsigned int k = 0; k < 3; ++k) {
            box.lo[k] = std::min({box.lo[k], tri.a[k], tri.b[k], tri.c[k]});
            box.hi[k] = std::max({box.hi[k], tri.a[k], tri.b[k], tri.c[k]});
            const double mid = centre(tri.a, tri.b, tri.c, static_cast<int>(k));
            centres.lo[k] = std::min(centres.lo[k], mid);
            centres.hi[k] = std::max(centres.hi[k], mid);
        }
    }
    fNodes[static_cast<size_t>(index)].box = box;
    if (count <= kLeafTriangles) {
        fNodes[static_cast<size_t>(index)].first = first;
        fNodes[static_cast<size_t>(index)].count = count;
        return index;
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k)
        if (centres.hi[k] - centres.lo[k] > centres.hi[axis] - centres.lo[axis])
            axis = k;
    const auto begin = fTriangles.begin() + first;
    const unsigned int half = count / 2;
    std::nth_element(begin, begin + half, begin + count, [axis](const Triangle& l, const Triangle& r) {
        return centre(l.a, l.b, l.c, axis) < centre(r.a, r.b, r.c, axis);
    });
    const int left = build(first, half);
    const int right = build(first + half, count - half);
    fNodes[static_cast<size_t>(index)].left = left;
    fNodes[static_cast<size_t>(index)].right = right;
    return index;
}

bool TriangleBvh::closest(const MPoint& q, Hit& hit) const {
    if (fTriangles.empty() || !std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z))
        return false;
    Hit best;
    best.distanceSquared = std::numeric_limits<double>::infinity();
    visit(q, 0, best);
    if (best.face < 0)
        return false;
    hit = best;
    return true;
}

void TriangleBvh::visit(const MPoint& q, int index, Hit& best) const {
    const Node& node = fNodes[static_cast<size_t>(index)];
    if (node.left < 0) {
        for (unsigned int t = node.first; t < node.first + node.count; ++t) {
            const Triangle& tri = fTriangles[t];
            double u, v;
            const MPoint p = closestPointOnTriangle(q, tri.a, tri.b, tri.c, u, v);
            const MVector gap = q - p;
            const double distance = gap * gap;
            if (distance < best.distanceSquared)
                best = Hit{tri.face, tri.triangle, p, u, v, distance};
        }
        return;
    }
    int nearer = node.left, farther = node.right;
    double nearDistance = fNodes[static_cast<size_t>(nearer)].box.distanceSquared(q);
    double farDistance = fNodes[static_cast<size_t>(farther)].box.distanceSquared(q);
    if (farDistance < nearDistance) {
        std::swap(nearer, farther);
        std::swap(nearDistance, farDistance);
    }
    if (nearDistance < best.distanceSquared)
        visit(q, nearer, best);
    if (farDistance < best.distanceSquared)
        visit(q, farther, best);
}

} // namespace khost
