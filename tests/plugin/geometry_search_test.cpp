// The geometric search tools on plain arrays: the k-d tree against brute force with and without its
// side filter, the nearest CV of a curve, the two-nearest blend and mesh sampling.
#include "PluginScene.h"

#include "geometry/Generators.h"
#include "geometrySearch/curveSearch.h"
#include "geometrySearch/meshSampling.h"
#include "geometrySearch/pointKdTree.h"

#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MMeshIntersector.h>

#include <cfloat>
#include <random>

namespace {

bool accepted(SideFilter side, double c) {
    return side == SideFilter::kNone || (side == SideFilter::kPositive ? c >= 1e-6 : c <= -1e-6);
}

// The least distance to a point that the filter takes; DBL_MAX when there is none.
double bruteForce(const MPointArray& points, const MPoint& q, SideFilter side, int axis) {
    double best = DBL_MAX;
    for (const MPoint& p : points)
        if (accepted(side, p[static_cast<unsigned>(axis)]))
            best = std::min(best, (p - q).length());
    return best;
}

class SearchTools : public PluginScene {};

} // namespace

TEST(PointKdTreeTest, FindsTheNearestPointOnTheWantedSide) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> box(-3.0, 3.0);
    MPointArray points;
    for (int k = 0; k < 3000; ++k)
        points.append(MPoint(box(random), box(random), box(random)));
    // Points on the planes, which neither side takes, and repeated points.
    for (int k = 0; k < 40; ++k) {
        points.append(MPoint(0.0, box(random), 5e-7));
        const MPoint again = points[static_cast<unsigned>(k)];
        points.append(again);
    }
    const PointKdTree tree(points);
    for (int k = 0; k < 400; ++k) {
        const MPoint q(box(random) * 1.5, box(random) * 1.5, box(random) * 1.5);
        for (SideFilter side : {SideFilter::kNone, SideFilter::kPositive, SideFilter::kNegative}) {
            for (int axis = 0; axis < 3; ++axis) {
                int index = -1;
                double distance = DBL_MAX;
                tree.search(q, side, axis, index, distance);
                ASSERT_GE(index, 0);
                EXPECT_TRUE(
                    accepted(side, points[static_cast<unsigned>(index)][static_cast<unsigned>(axis)]));
                EXPECT_EQ(distance, (points[static_cast<unsigned>(index)] - q).length());
                EXPECT_EQ(distance, bruteForce(points, q, side, axis));
            }
        }
    }
}

TEST(PointKdTreeTest, OnlyAStrictlyCloserPointReplacesTheBest) {
    MPointArray points;
    for (int k = 0; k < 30; ++k)
        points.append(MPoint(1.0, 2.0, 3.0));
    points.append(MPoint(std::nan(""), 0.0, 0.0));
    const PointKdTree tree(points);
    int index = -1;
    double distance = DBL_MAX;
    tree.search(MPoint(1.0, 2.0, 4.0), SideFilter::kNone, 0, index, distance);
    EXPECT_EQ(distance, 1.0);
    EXPECT_LT(index, 30) << "the point that is not finite is never found";
    // A best as close as any point stays; searching again finds nothing better.
    int given = 77;
    double same = 1.0;
    tree.search(MPoint(1.0, 2.0, 4.0), SideFilter::kNone, 0, given, same);
    EXPECT_EQ(given, 77);
    // Nothing on the wanted side: the best stays as it was.
    index = -1;
    distance = DBL_MAX;
    tree.search(MPoint(), SideFilter::kNegative, 0, index, distance);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(distance, DBL_MAX);
    const MPointArray none;
    PointKdTree(none).search(MPoint(), SideFilter::kNone, 0, index, distance);
    EXPECT_EQ(index, -1);
}

TEST_F(SearchTools, ClosestCVIsNearestToTheCurvesClosestPointLowestIndexFirst) {
    MPointArray cvs;
    for (double x : {0.0, 1.0, 2.0, 3.0})
        cvs.append(MPoint(x, 0.0, 0.0));
    MObject data(std::make_shared<khost::NurbsCurveData>(khost::makeCurve(1, cvs)));
    MFnNurbsCurve curve(data);
    // The closest point (0.5, 0, 0) lies halfway between CVs 0 and 1; the point itself is nearer to 1.
    EXPECT_EQ(findClosestCVIndex(curve, MPoint(0.5, 0.9, 0.0), cvs), 0);
    EXPECT_EQ(findClosestCVIndex(curve, MPoint(2.4, -1.0, 0.0), cvs), 2);
    EXPECT_EQ(findClosestCVIndex(curve, MPoint(9.0, 0.0, 0.0), cvs), 3);
    EXPECT_EQ(findClosestCVIndex(curve, MPoint(1.0, 1.0, 0.0), MPointArray()), -1);

    clearMessages();
    MStatus status;
    EXPECT_EQ(findClosestCVIndex(curve, MPoint(std::nan(""), 0.0, 0.0), cvs, &status), -1);
    EXPECT_EQ(count(khost::Message::Error, "findClosestCVIndex: closestPoint() failed."), 1u);
    MObject mesh(std::make_shared<khost::MeshData>(khost::makePlane(1, 1, 1, 1, 1)));
    EXPECT_EQ(findClosestCVIndex(MFnNurbsCurve(mesh), MPoint(), cvs, &status), -1);
    EXPECT_FALSE(status);
    EXPECT_EQ(count(khost::Message::Error, "findClosestCVIndex: invalid or null NURBS curve."), 1u);
}

TEST_F(SearchTools, TwoNearestBlendWeighsByInverseDistance) {
    MPointArray points;
    points.append(MPoint(0, 0, 0));
    points.append(MPoint(1, 0, 0));
    points.append(MPoint(5, 0, 0));
    const std::vector<double> weights{0.2, 0.8, 0.5};
    // 0.25 from the first point, 0.75 from the second; the third is too far.
    EXPECT_DOUBLE_EQ(blendTwoNearest(MPoint(0.25, 0, 0), weights, points),
                     (4.0 * 0.2 + 0.8 / 0.75) / (4.0 + 1 / 0.75));
    // On a source point its factor is 1 / 1e-5.
    EXPECT_DOUBLE_EQ(blendTwoNearest(MPoint(1, 0, 0), weights, points), (1e5 * 0.8 + 0.2) / (1e5 + 1.0));
    MPointArray one;
    one.append(MPoint(3, 3, 3));
    EXPECT_DOUBLE_EQ(blendTwoNearest(MPoint(), std::vector<double>{0.7}, one), 0.7);
    EXPECT_EQ(blendTwoNearest(MPoint(), std::vector<double>(), MPointArray()), 0.0);

    clearMessages();
    EXPECT_EQ(blendTwoNearest(MPoint(), std::vector<double>{0.1, 0.2}, points), 0.0);
    EXPECT_EQ(count(khost::Message::Error, "weights vector size doesn't match CV count!"), 1u);
}

TEST_F(SearchTools, MeshSamplesBlendValuesLinearlyOverTheirTriangle) {
    // Values that are a linear function of position blend to that function at the closest point.
    auto plane = std::make_shared<khost::MeshData>(khost::makePlane(4, 2, 4, 2, 1));
    MObject data(plane);
    MFnMesh mesh(data);
    MMeshIntersector intersector;
    ASSERT_TRUE(intersector.create(data, MMatrix::identity));
    std::vector<double> values;
    for (const MPoint& p : plane->points)
        values.push_back(0.5 + 0.1 * p.x - 0.2 * p.z);
    for (const MPoint& q : {MPoint(0.3, 1.0, -0.7), MPoint(-1.9, -2.0, 0.95), MPoint(1.0, 0.0, 0.0)}) {
        const MeshSample sample = sampleMesh(intersector, mesh, q);
        ASSERT_TRUE(sample.valid);
        ASSERT_TRUE(sampleFits(sample, values.size()));
        EXPECT_NEAR(barycentricBlend(sample, values), 0.5 + 0.1 * q.x - 0.2 * q.z, 1e-6);
    }
    // Beyond the edge the closest point is on it.
    EXPECT_NEAR(barycentricBlend(sampleMesh(intersector, mesh, MPoint(3.0, 0.0, 0.5)), values),
                0.5 + 0.1 * 2.0 - 0.2 * 0.5, 1e-6);
    EXPECT_FALSE(sampleMesh(MMeshIntersector(), mesh, MPoint()).valid);
    EXPECT_FALSE(sampleFits(sampleMesh(intersector, mesh, MPoint()), 3));
}
