// Closest points on NURBS surfaces (MNurbsIntersector, MFnNurbsSurface::closestPoint): the true closest
// point, checked against the orthogonal projection on planes and against dense sampling on spheres and
// a warped patch, with clamping to the domain, periodic parameters and the failures.
#include "HostFixture.h"
#include "dag/Dag.h"
#include "geometry/Generators.h"
#include <cfloat>
#include <cmath>
#include <limits>
#include <maya/MFnNurbsSurface.h>
#include <maya/MNurbsIntersector.h>
#include <memory>
#include <random>

using khost::NurbsSurfaceData;

namespace {

MObject dataObject(const NurbsSurfaceData& surface) {
    return MObject(std::make_shared<NurbsSurfaceData>(surface));
}

struct Found {
    MPoint point;
    double u = 0.0, v = 0.0;
};

Found closest(const MNurbsIntersector& intersector, const MPoint& p) {
    MPointOnNurbs on;
    EXPECT_TRUE(intersector.getClosestPoint(p, on, DBL_MAX)) << p.x << " " << p.y << " " << p.z;
    Found found{on.getPoint()};
    on.getUV(found.u, found.v);
    return found;
}

// The smallest distance over an n x n grid of surface samples.
double sampledDistance(const MFnNurbsSurface& fn, const MPoint& p, int n) {
    double u0, u1, v0, v1;
    EXPECT_TRUE(fn.getKnotDomain(u0, u1, v0, v1));
    double best = std::numeric_limits<double>::infinity();
    for (int a = 0; a <= n; ++a)
        for (int b = 0; b <= n; ++b) {
            MPoint s;
            MVector du, dv;
            EXPECT_TRUE(fn.getDerivativesAtParm(u0 + (u1 - u0) * a / n, v0 + (v1 - v0) * b / n, s, du, dv));
            best = std::min(best, s.distanceTo(p));
        }
    return best;
}

// The point found is the surface at its parameters (so no point of the surface is nearer than the
// closest one) and no farther than any sample; on a smooth surface, where it lies inside the domain,
// the offset is normal to it.
void expectTrueClosest(const MFnNurbsSurface& fn, const Found& found, const MPoint& p, double sampled,
                       bool smooth) {
    MPoint s;
    MVector du, dv;
    ASSERT_TRUE(fn.getDerivativesAtParm(found.u, found.v, s, du, dv));
    EXPECT_LT(s.distanceTo(found.point), 1e-12);
    const double distance = found.point.distanceTo(p);
    EXPECT_LE(distance, sampled + 1e-12);
    double u0, u1, v0, v1;
    ASSERT_TRUE(fn.getKnotDomain(u0, u1, v0, v1));
    if (!smooth)
        return;
    const MVector offset = p - found.point;
    if (found.u > u0 && found.u < u1 && du.length() > 1e-9) {
        EXPECT_NEAR(offset * du.normal(), 0.0, 1e-9);
    }
    if (found.v > v0 && found.v < v1 && dv.length() > 1e-9) {
        EXPECT_NEAR(offset * dv.normal(), 0.0, 1e-9);
    }
}

} // namespace

TEST(NurbsClosestPointTest, PlanesGiveTheOrthogonalProjectionClampedToTheirEdges) {
    // A 4 x 2 plane of 3 x 2 cubic patches facing (1, 1, 1): S = corner + u/3 x width + v/2 x length.
    const NurbsSurfaceData plane = khost::makeNurbsPlane(4, 0.5, 3, 2, 3, MVector(1, 1, 1));
    MObject object = dataObject(plane);
    MFnNurbsSurface fn(object);
    MPoint corner;
    MVector du, dv;
    ASSERT_TRUE(fn.getDerivativesAtParm(0, 0, corner, du, dv));
    MNurbsIntersector intersector;
    EXPECT_FALSE(intersector.isCreated());
    ASSERT_TRUE(intersector.create(object));
    EXPECT_TRUE(intersector.isCreated());
    const MVector normal = (du ^ dv).normal();
    std::mt19937 random(3);
    std::uniform_real_distribution<double> coordinate(-5, 5);
    for (int k = 0; k < 200; ++k) {
        const MPoint p(coordinate(random), coordinate(random), coordinate(random));
        // Coordinates along the (orthogonal) edges, clamped to the domain.
        const MVector d = p - corner;
        const double u = std::clamp(d * du / (du * du), 0.0, 3.0);
        const double v = std::clamp(d * dv / (dv * dv), 0.0, 2.0);
        const Found found = closest(intersector, p);
        EXPECT_NEAR(found.u, u, 1e-12);
        EXPECT_NEAR(found.v, v, 1e-12);
        EXPECT_TRUE(found.point.isEquivalent(corner + du * u + dv * v, 1e-12));
        if (u > 0 && u < 3 && v > 0 && v < 2) {
            EXPECT_NEAR(found.point.distanceTo(p), std::fabs(d * normal), 1e-12);
        }
    }
    // The same answer through the function set.
    double u = 0, v = 0;
    MStatus status;
    const MPoint onPlane =
        fn.closestPoint(MPoint(9, -9, 1), &u, &v, false, kMFnNurbsEpsilon, MSpace::kObject, &status);
    ASSERT_TRUE(status);
    const Found found = closest(intersector, MPoint(9, -9, 1));
    EXPECT_TRUE(onPlane.isEquivalent(found.point, 1e-14));
    EXPECT_EQ(u, found.u);
    EXPECT_EQ(v, found.v);
}

TEST(NurbsClosestPointTest, SpheresFindThePointNearestAnywhereAndKeepPeriodicParametersInTheirDomain) {
    for (const int degree : {3, 1}) {
        const NurbsSurfaceData sphere = khost::makeNurbsSphere(1, 8, 4, degree, MVector(0, 1, 0));
        MObject object = dataObject(sphere);
        MFnNurbsSurface fn(object);
        MNurbsIntersector intersector;
        ASSERT_TRUE(intersector.create(object));
        std::mt19937 random(11);
        std::normal_distribution<double> direction;
        std::uniform_real_distribution<double> radius(0.05, 3.0);
        for (int k = 0; k < 40; ++k) {
            MVector d(direction(random), direction(random), direction(random));
            const MPoint p = MPoint(d.normal() * radius(random));
            const Found found = closest(intersector, p);
            EXPECT_GE(found.v, 0.0);
            // Periodic (degree 3): never the period itself; closed (degree 1): the whole domain.
            EXPECT_TRUE(found.v < 8.0 || (degree == 1 && found.v == 8.0)) << found.v;
            expectTrueClosest(fn, found, p, sampledDistance(fn, p, 200), degree == 3);
        }
        // Straight above the pole, every v is as good: the pole itself.
        const Found pole = closest(intersector, MPoint(0, 2.5, 0));
        EXPECT_NEAR(pole.u, 4.0, 1e-12);
        EXPECT_TRUE(pole.point.isEquivalent(MPoint(0, 1, 0), 1e-12));
        // On the seam (v = 0, the +x direction) the parameter is 0, never the period.
        const Found seam = closest(intersector, MPoint(3, 0, 0));
        EXPECT_NEAR(seam.u, 2.0, 1e-9);
        EXPECT_TRUE(seam.v < 1e-9 || seam.v == 0.0) << seam.v;
    }
}

TEST(NurbsClosestPointTest, WarpedPatchesMatchDenseSampling) {
    // Three by three bicubic spans with bumps and folds, so most points have several local minima.
    NurbsSurfaceData patch;
    patch.degreeU = patch.degreeV = 3;
    for (double k : {0.0, 0.0, 0.0, 1.0, 2.0, 3.0, 3.0, 3.0}) {
        patch.knotsU.append(k);
        patch.knotsV.append(k);
    }
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
            patch.points.append(
                MPoint(i, j, 1.5 * std::sin(1.7 * i) * std::cos(1.3 * j) + (i == 3 ? 2.0 : 0.0)));
    MObject object = dataObject(patch);
    MFnNurbsSurface fn(object);
    MNurbsIntersector intersector;
    ASSERT_TRUE(intersector.create(object));
    std::mt19937 random(5);
    std::uniform_real_distribution<double> x(-1, 6), z(-2, 4);
    for (int k = 0; k < 50; ++k) {
        const MPoint p(x(random), x(random), z(random));
        expectTrueClosest(fn, closest(intersector, p), p, sampledDistance(fn, p, 250), true);
    }
}

TEST(NurbsClosestPointTest, TheIntersectorWorksInTheSpaceOfItsMatrixAndFailsSoundly) {
    const NurbsSurfaceData plane = khost::makeNurbsPlane(2, 1, 1, 1, 3, MVector(0, 1, 0));
    MObject object = dataObject(plane);
    MMatrix moved;
    moved[3][1] = 5;
    MNurbsIntersector intersector;
    ASSERT_TRUE(intersector.create(object, moved));
    const Found found = closest(intersector, MPoint(0.25, 9, -0.5));
    EXPECT_TRUE(found.point.isEquivalent(MPoint(0.25, 5, -0.5), 1e-12));

    MPointOnNurbs on;
    EXPECT_EQ(intersector.getClosestPoint(MPoint(0, 9, 0), on, 3.9), MS::kFailure) << "4 away";
    EXPECT_TRUE(intersector.getClosestPoint(MPoint(0, 9, 0), on, 4.1));
    EXPECT_EQ(intersector.getClosestPoint(MPoint(std::nan(""), 0, 0), on), MS::kInvalidParameter);
    EXPECT_FALSE(MNurbsIntersector().getClosestPoint(MPoint(), on)) << "not created";

    // No surface to search: CVs that are not finite, a domain of zero length, other data.
    NurbsSurfaceData infinite = plane;
    infinite.points[5].y = std::numeric_limits<double>::infinity();
    MObject infiniteObject = dataObject(infinite);
    EXPECT_EQ(intersector.create(infiniteObject), MS::kInvalidParameter);
    EXPECT_FALSE(intersector.isCreated());
    NurbsSurfaceData collapsed = plane;
    for (unsigned int k = 0; k < collapsed.knotsU.length(); ++k)
        collapsed.knotsU[k] = 0.5;
    MObject collapsedObject = dataObject(collapsed);
    EXPECT_EQ(intersector.create(collapsedObject), MS::kInvalidParameter);
    MObject curve(std::make_shared<khost::NurbsCurveData>(khost::makeCircle(1, 8, 3, MVector(0, 0, 1))));
    EXPECT_EQ(intersector.create(curve), MS::kInvalidParameter);
    MStatus status;
    MFnNurbsSurface(infiniteObject)
        .closestPoint(MPoint(), nullptr, nullptr, false, kMFnNurbsEpsilon, MSpace::kObject, &status);
    EXPECT_FALSE(status);
}

TEST_F(HostTest, ClosestPointOnAShapeInWorldSpace) {
    khost::UndoRecord record;
    auto transform = khost::createShape(
        record, "nurbsSurface",
        MObject(std::make_shared<NurbsSurfaceData>(khost::makeNurbsSphere(1, 8, 4, 3, MVector(0, 1, 0)))),
        "ball", nullptr, nullptr);
    ASSERT_NE(transform, nullptr);
    ASSERT_TRUE(khost::setTransformValue(record, transform.get(), khost::Trs::Translate, MVector(10, 0, 0)));
    MFnNurbsSurface fn(khost::shapeOf(transform.get())->handle());
    MStatus status;
    double u = 0, v = 0;
    const MPoint world =
        fn.closestPoint(MPoint(13, 0, 0), &u, &v, false, kMFnNurbsEpsilon, MSpace::kWorld, &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(world.isEquivalent(MPoint(11, 0, 0), 1e-12));
    const MPoint local = fn.closestPoint(MPoint(13, 0, 0), nullptr, nullptr, false, kMFnNurbsEpsilon,
                                         MSpace::kObject, &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(local.isEquivalent(MPoint(1, 0, 0), 1e-12));
    EXPECT_NEAR(u, 2.0, 1e-9);
}
