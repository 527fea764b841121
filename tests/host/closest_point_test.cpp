// Closest points on meshes (MMeshIntersector over its triangle hierarchy, MPointOnMesh, the shared
// triangulation) and on NURBS curves, against brute force and dense sampling.
#include "HostFixture.h"
#include "command/Script.h"
#include "geometry/CurveEvaluation.h"
#include "geometry/Generators.h"
#include "geometry/TriangleBvh.h"
#include <cmath>
#include <limits>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MMeshIntersector.h>
#include <random>

using khost::MeshData;
using khost::NurbsCurveData;

namespace {

MObject dataObject(const std::shared_ptr<khost::Data>& data) {
    return MObject(data);
}

// A grid of quads with every vertex moved at random, so no two triangles are coplanar.
std::shared_ptr<MeshData> bumpyPlane(std::mt19937& random, int sx, int sy) {
    auto mesh = std::make_shared<MeshData>(khost::makePlane(4, 3, sx, sy, 1));
    std::uniform_real_distribution<double> jitter(-0.15, 0.15);
    for (MPoint& p : mesh->points)
        p += MVector(jitter(random), jitter(random), jitter(random));
    return mesh;
}

// A ring of n-gons (5 to 8 corners) around the origin, each a fan of points on a wavy circle.
std::shared_ptr<MeshData> ringOfNgons(std::mt19937& random) {
    auto mesh = std::make_shared<MeshData>();
    MIntArray counts, connects;
    std::uniform_real_distribution<double> jitter(-0.1, 0.1);
    for (int f = 0; f < 6; ++f) {
        const int corners = 5 + f % 4;
        const MPoint centre(3.0 * std::cos(f), 0.3 * f, 3.0 * std::sin(f));
        counts.append(corners);
        for (int k = 0; k < corners; ++k) {
            const double angle = 2.0 * M_PI * k / corners;
            connects.append(static_cast<int>(mesh->points.length()));
            mesh->points.append(centre + MVector(std::cos(angle), jitter(random), std::sin(angle)));
        }
    }
    EXPECT_TRUE(mesh->setTopology(counts, connects));
    return mesh;
}

// The least distance from q to any triangle, trying every one.
double bruteForceDistance(const MeshData& mesh, const MPoint& q) {
    double best = std::numeric_limits<double>::infinity();
    for (int face = 0; face < mesh.numPolygons(); ++face) {
        int v[3];
        for (int t = 0; mesh.polygonTriangle(face, t, v); ++t) {
            double u, w;
            const MPoint p = khost::closestPointOnTriangle(q, mesh.points[static_cast<unsigned>(v[0])],
                                                           mesh.points[static_cast<unsigned>(v[1])],
                                                           mesh.points[static_cast<unsigned>(v[2])], u, w);
            best = std::min(best, (q - p).length());
        }
    }
    return best;
}

// Queries anywhere around the mesh: random, just off vertices and edge midpoints, and far away.
std::vector<MPoint> queriesAround(const MeshData& mesh, std::mt19937& random) {
    std::vector<MPoint> queries;
    std::uniform_real_distribution<double> box(-5.0, 5.0), tiny(-1e-7, 1e-7);
    for (int k = 0; k < 200; ++k)
        queries.emplace_back(box(random), box(random), box(random));
    for (unsigned int i = 0; i < mesh.points.length(); i += 3)
        queries.push_back(mesh.points[i] + MVector(tiny(random), tiny(random), tiny(random)));
    for (int face = 0; face < mesh.numPolygons(); ++face) {
        int v[3];
        mesh.polygonTriangle(face, 0, v);
        const MPoint mid =
            mesh.points[static_cast<unsigned>(v[0])] +
            (mesh.points[static_cast<unsigned>(v[1])] - mesh.points[static_cast<unsigned>(v[0])]) * 0.5;
        queries.push_back(mid + MVector(tiny(random), 0.01, tiny(random)));
    }
    queries.emplace_back(1e4, -3e3, 2e3);
    return queries;
}

void expectMatchesBruteForce(const std::shared_ptr<MeshData>& mesh, std::mt19937& random) {
    MObject object = dataObject(mesh);
    MMeshIntersector intersector;
    ASSERT_TRUE(intersector.create(object));
    MFnMesh fn(object);
    for (const MPoint& q : queriesAround(*mesh, random)) {
        MPointOnMesh hit;
        ASSERT_TRUE(intersector.getClosestPoint(q, hit));
        const double expected = bruteForceDistance(*mesh, q);
        const MPoint found(hit.getPoint());
        EXPECT_NEAR((q - found).length(), expected, 1e-5 * (1.0 + expected))
            << q.x << " " << q.y << " " << q.z;
        // The point is where its face, triangle and barycentric coordinates say it is.
        int v[3];
        ASSERT_TRUE(fn.getPolygonTriangleVertices(hit.faceIndex(), hit.triangleIndex(), v));
        float u, w;
        hit.getBarycentricCoords(u, w);
        EXPECT_GE(u, -1e-6f);
        EXPECT_GE(w, -1e-6f);
        EXPECT_LE(u + w, 1.0f + 1e-6f);
        const MPoint weighted = MVector(mesh->points[static_cast<unsigned>(v[0])]) * u +
                                MVector(mesh->points[static_cast<unsigned>(v[1])]) * w +
                                MVector(mesh->points[static_cast<unsigned>(v[2])]) * (1.0 - u - w);
        EXPECT_NEAR((weighted - found).length(), 0.0, 1e-5);
    }
}

} // namespace

TEST(TriangleClosestPointTest, RegionsOfThePlaneAndTheBarycentricConvention) {
    const MPoint a(0, 0, 0), b(2, 0, 0), c(0, 2, 0);
    double u, v;
    // Above the inside: straight down, weights of a, b and c.
    MPoint p = khost::closestPointOnTriangle(MPoint(0.5, 0.25, 3), a, b, c, u, v);
    EXPECT_NEAR((p - MPoint(0.5, 0.25, 0)).length(), 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(u, 0.625);
    EXPECT_DOUBLE_EQ(v, 0.25);
    // Beyond a corner and beyond an edge.
    p = khost::closestPointOnTriangle(MPoint(-1, -1, 1), a, b, c, u, v);
    EXPECT_EQ((p - a).length(), 0.0);
    EXPECT_EQ(u, 1.0);
    p = khost::closestPointOnTriangle(MPoint(2, 2, 0), a, b, c, u, v);
    EXPECT_NEAR((p - MPoint(1, 1, 0)).length(), 0.0, 1e-15);
    EXPECT_NEAR(u, 0.0, 1e-15);
    EXPECT_NEAR(v, 0.5, 1e-15);
    // A triangle without area is its longest edge; a point-like one its point.
    p = khost::closestPointOnTriangle(MPoint(1, 1, 0), a, b, MPoint(1, 0, 0), u, v);
    EXPECT_NEAR((p - MPoint(1, 0, 0)).length(), 0.0, 1e-15);
    p = khost::closestPointOnTriangle(MPoint(1, 1, 1), b, b, b, u, v);
    EXPECT_EQ((p - b).length(), 0.0);
}

TEST_F(HostTest, IntersectorFindsTheClosestTriangleOfQuadsAndNgons) {
    std::mt19937 random(7);
    expectMatchesBruteForce(bumpyPlane(random, 12, 9), random);
    expectMatchesBruteForce(ringOfNgons(random), random);
    expectMatchesBruteForce(std::make_shared<MeshData>(khost::makeSphere(1.5, 10, 7)), random);
}

TEST_F(HostTest, IntersectorOnAShapeWithAMatrixAndADistanceLimit) {
    MFnMesh fn;
    const MeshData plane = khost::makePlane(2, 2, 2, 2, 1);
    MObject transform = fn.create(static_cast<int>(plane.points.length()), plane.numPolygons(), plane.points,
                                  plane.faceCounts(), plane.faceConnects());
    MObject shape = fn.object();
    MMeshIntersector intersector;
    EXPECT_FALSE(intersector.isCreated());
    MPointOnMesh hit;
    EXPECT_FALSE(intersector.getClosestPoint(MPoint(), hit));
    // Queries given where the matrix puts the mesh; the answer in the mesh's own space.
    MMatrix moved;
    moved[3][0] = 10.0;
    ASSERT_TRUE(intersector.create(shape, moved));
    ASSERT_TRUE(intersector.getClosestPoint(MPoint(10.5, 2, 0.5), hit));
    EXPECT_NEAR((MPoint(hit.getPoint()) - MPoint(0.5, 0, 0.5)).length(), 0.0, 1e-6);
    EXPECT_FALSE(intersector.getClosestPoint(MPoint(10.5, 2, 0.5), hit, 1.5));
    EXPECT_TRUE(intersector.getClosestPoint(MPoint(10.5, 2, 0.5), hit, 2.5));
    EXPECT_FALSE(intersector.getClosestPoint(MPoint(std::nan(""), 0, 0), hit));

    // Not a mesh, a mesh without faces, a matrix without inverse.
    auto empty = std::make_shared<MeshData>();
    MObject emptyObject(empty),
        circle(std::make_shared<NurbsCurveData>(khost::makeCircle(1, 8, 3, MVector(0, 1, 0))));
    EXPECT_FALSE(intersector.create(emptyObject));
    EXPECT_FALSE(intersector.isCreated());
    EXPECT_FALSE(intersector.create(circle));
    MMatrix flat;
    flat[1][1] = 0.0;
    EXPECT_FALSE(intersector.create(shape, flat));
    (void)transform;
}

TEST_F(HostTest, PolygonTrianglesFanOutFromTheFirstVertex) {
    std::mt19937 random(3);
    MObject object = dataObject(ringOfNgons(random));
    MFnMesh fn(object);
    int v[3];
    // Face 1 is a hexagon of vertices 5 .. 10.
    ASSERT_TRUE(fn.getPolygonTriangleVertices(1, 0, v));
    EXPECT_EQ(std::vector<int>(v, v + 3), std::vector<int>({5, 6, 7}));
    ASSERT_TRUE(fn.getPolygonTriangleVertices(1, 3, v));
    EXPECT_EQ(std::vector<int>(v, v + 3), std::vector<int>({5, 9, 10}));
    EXPECT_FALSE(fn.getPolygonTriangleVertices(1, 4, v));
    EXPECT_FALSE(fn.getPolygonTriangleVertices(1, -1, v));
    EXPECT_FALSE(fn.getPolygonTriangleVertices(6, 0, v));
}

namespace {

// The least distance over a dense sampling of the curve's domain.
double sampledDistance(const khost::CurveEvaluator& curve, const MPoint& q) {
    double best = std::numeric_limits<double>::infinity();
    const int samples = 20000;
    for (int k = 0; k <= samples; ++k)
        best = std::min(
            best, (curve.at(curve.start() + (curve.end() - curve.start()) * k / samples).point - q).length());
    return best;
}

// Where the curve is smooth (degree 2 and up here) the distance is stationary at the closest point.
void expectClosestOnCurve(const NurbsCurveData& data, std::mt19937& random) {
    MObject object(std::make_shared<NurbsCurveData>(data));
    MFnNurbsCurve fn(object);
    const khost::CurveEvaluator curve(data, data.points);
    std::uniform_real_distribution<double> box(-4.0, 4.0);
    for (int k = 0; k < 40; ++k) {
        const MPoint q(box(random), box(random), box(random));
        double param = -1.0;
        MStatus status;
        const MPoint found = fn.closestPoint(q, &param, 0.001, MSpace::kObject, &status);
        ASSERT_TRUE(status);
        const double sampled = sampledDistance(curve, q);
        // Never worse than the samples, and better than them by no more than their spacing allows.
        EXPECT_LE((found - q).length(), sampled + 1e-12);
        EXPECT_GT((found - q).length(), sampled - 1e-3);
        EXPECT_NEAR((curve.at(param).point - found).length(), 0.0, 1e-12);
        if (data.degree > 1 && param > curve.start() + 1e-9 && param < curve.end() - 1e-9) {
            const khost::CurveEvaluator::Sample s = curve.at(param);
            // Along a flat minimum the distance pins the parameter down to about the square root of
            // the rounding error.
            EXPECT_NEAR((s.point - q) * s.first.normal(), 0.0, 1e-7 * (found - q).length());
        }
    }
}

} // namespace

TEST_F(HostTest, CurveClosestPointBeatsDenseSamplingOnOpenAndPeriodicCurves) {
    std::mt19937 random(11);
    MPointArray cvs;
    for (int k = 0; k < 7; ++k)
        cvs.append(MPoint(k - 3.0, std::sin(k * 1.3) * 2.0, std::cos(k * 0.7)));
    expectClosestOnCurve(khost::makeCurve(3, cvs), random);
    expectClosestOnCurve(khost::makeCurve(2, cvs), random);
    expectClosestOnCurve(khost::makeCurve(1, cvs), random);
    NurbsCurveData circle = khost::makeCircle(2.0, 8, 3, MVector(0, 1, 0));
    circle.points[1] += MVector(0, 1.5, 0);
    circle.wrapPeriodicCVs();
    expectClosestOnCurve(circle, random);
    expectClosestOnCurve(khost::makeCircle(1.0, 5, 1, MVector(0, 0, 1)), random);

    // A point of the curve is its own closest point.
    const khost::CurveEvaluator evaluator(circle, circle.points);
    MObject object(std::make_shared<NurbsCurveData>(circle));
    MFnNurbsCurve fn(object);
    const MPoint on = evaluator.at(1.37).point;
    EXPECT_NEAR((fn.closestPoint(on) - on).length(), 0.0, 1e-12);
}

TEST_F(HostTest, CurveClosestPointInWorldSpaceAndOnBadInput) {
    MFnNurbsCurve fn;
    MPointArray cvs;
    for (double x : {0.0, 1.0, 2.0, 3.0})
        cvs.append(MPoint(x, 0, 0));
    MDoubleArray knots;
    for (double k : {0.0, 0.0, 0.0, 1.0, 1.0, 1.0})
        knots.append(k);
    MStatus status;
    fn.create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    ASSERT_TRUE(khost::executeStatement("move -r 0 5 0 curve1;"));
    double param = 0.0;
    EXPECT_NEAR(
        (fn.closestPoint(MPoint(1.5, 7, 0), &param, 0.001, MSpace::kWorld) - MPoint(1.5, 5, 0)).length(), 0.0,
        1e-12);
    EXPECT_NEAR(param, 0.5, 1e-12);
    EXPECT_NEAR((fn.closestPoint(MPoint(-4, 7, 0)) - MPoint(0, 0, 0)).length(), 0.0, 1e-12);

    fn.closestPoint(MPoint(std::nan(""), 0, 0), nullptr, 0.001, MSpace::kObject, &status);
    EXPECT_FALSE(status);
    MFnNurbsCurve unattached;
    unattached.closestPoint(MPoint(), nullptr, 0.001, MSpace::kObject, &status);
    EXPECT_FALSE(status);
}
