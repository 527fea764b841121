// NURBS surfaces: evaluation and derivatives against closed forms and a textbook reference, knot
// domains, periodic wrap, the nurbsPlane and sphere primitives, and the function set on data and shapes.
#include "HostFixture.h"
#include "dag/Dag.h"
#include "geometry/Generators.h"
#include <cmath>
#include <maya/MDataHandle.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MItGeometry.h>
#include <memory>
#include <vector>

using khost::NurbsSurfaceData;

namespace {

const double kPi = 3.14159265358979323846;

MObject dataObject(const NurbsSurfaceData& surface) {
    return MObject(std::make_shared<NurbsSurfaceData>(surface));
}

NurbsSurfaceData surfaceOf(int degreeU, int degreeV, const std::vector<double>& knotsU,
                           const std::vector<double>& knotsV, const std::vector<MPoint>& cvs) {
    NurbsSurfaceData surface;
    surface.degreeU = degreeU;
    surface.degreeV = degreeV;
    for (double k : knotsU)
        surface.knotsU.append(k);
    for (double k : knotsV)
        surface.knotsV.append(k);
    for (const MPoint& p : cvs)
        surface.points.append(p);
    return surface;
}

// The k-th derivative of the textbook basis function N(i, p) by the Cox-de Boor recursion, on the full
// knot vector (Maya's knots with one more copy at each end); 0 / 0 counts as 0.
double basisRef(const std::vector<double>& U, int i, int p, double t, int k) {
    if (p == 0)
        return k == 0 && U[static_cast<size_t>(i)] <= t && t < U[static_cast<size_t>(i + 1)] ? 1.0 : 0.0;
    const auto ratio = [](double a, double b) { return b == 0.0 ? 0.0 : a / b; };
    const double left = U[static_cast<size_t>(i + p)] - U[static_cast<size_t>(i)];
    const double right = U[static_cast<size_t>(i + p + 1)] - U[static_cast<size_t>(i + 1)];
    if (k == 0)
        return ratio(t - U[static_cast<size_t>(i)], left) * basisRef(U, i, p - 1, t, 0) +
               ratio(U[static_cast<size_t>(i + p + 1)] - t, right) * basisRef(U, i + 1, p - 1, t, 0);
    return p *
           (ratio(basisRef(U, i, p - 1, t, k - 1), left) - ratio(basisRef(U, i + 1, p - 1, t, k - 1), right));
}

std::vector<double> fullKnots(const MDoubleArray& maya) {
    std::vector<double> U{maya[0]};
    U.insert(U.end(), maya.begin(), maya.end());
    U.push_back(maya[maya.length() - 1]);
    return U;
}

// d^ku d^kv S at (u, v) from the reference basis.
MVector reference(const NurbsSurfaceData& s, double u, double v, int ku, int kv) {
    const std::vector<double> U = fullKnots(s.knotsU), V = fullKnots(s.knotsV);
    MVector sum;
    for (int i = 0; i < s.numCVsU(); ++i)
        for (int j = 0; j < s.numCVsV(); ++j)
            sum += MVector(s.points[static_cast<unsigned>(i * s.numCVsV() + j)]) *
                   (basisRef(U, i, s.degreeU, u, ku) * basisRef(V, j, s.degreeV, v, kv));
    return sum;
}

void expectVectorNear(const MVector& actual, const MVector& expected, double tolerance, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

struct Derivatives {
    MPoint point;
    MVector du, dv, duu, dvv, duv;
};

Derivatives derivativesAt(const MFnNurbsSurface& fn, double u, double v,
                          MSpace::Space space = MSpace::kObject) {
    Derivatives d;
    EXPECT_TRUE(fn.getDerivativesAtParm(u, v, d.point, d.du, d.dv, space, &d.duu, &d.dvv, &d.duv));
    return d;
}

// A twisted bilinear patch over knots [2, 5] x [-1, 1].
NurbsSurfaceData twisted() {
    return surfaceOf(1, 1, {2, 5}, {-1, 1}, {{0, 0, 0}, {0, 2, 1}, {3, 0, 2}, {4, 3, -1}});
}

} // namespace

TEST(NurbsSurfaceTest, BilinearPatchMatchesItsClosedForm) {
    const NurbsSurfaceData surface = twisted();
    MFnNurbsSurface fn(dataObject(surface));
    const MVector p00(0, 0, 0), p01(0, 2, 1), p10(3, 0, 2), p11(4, 3, -1);
    for (double u : {2.0, 2.6, 4.1, 5.0})
        for (double v : {-1.0, -0.3, 0.5, 1.0}) {
            // s, t in [0, 1]: S = (1-s)(1-t) P00 + (1-s) t P01 + s (1-t) P10 + s t P11.
            const double s = (u - 2) / 3, t = (v + 1) / 2;
            const MVector expected =
                p00 * ((1 - s) * (1 - t)) + p01 * ((1 - s) * t) + p10 * (s * (1 - t)) + p11 * (s * t);
            const MVector du = ((p10 - p00) * (1 - t) + (p11 - p01) * t) / 3;
            const MVector dv = ((p01 - p00) * (1 - s) + (p11 - p10) * s) / 2;
            const Derivatives d = derivativesAt(fn, u, v);
            expectVectorNear(MVector(d.point), expected, 1e-14, "point");
            expectVectorNear(d.du, du, 1e-14, "dU");
            expectVectorNear(d.dv, dv, 1e-14, "dV");
            expectVectorNear(d.duu, MVector(), 1e-14, "dUU");
            expectVectorNear(d.dvv, MVector(), 1e-14, "dVV");
            expectVectorNear(d.duv, (p11 - p01 - p10 + p00) / 6, 1e-14, "dUV");
        }
    // An open direction takes no parameter outside its domain.
    MPoint point;
    MVector du, dv;
    EXPECT_EQ(fn.getDerivativesAtParm(5.01, 0, point, du, dv), MS::kInvalidParameter);
    EXPECT_EQ(fn.getDerivativesAtParm(3, std::nan(""), point, du, dv), MS::kInvalidParameter);
}

TEST(NurbsSurfaceTest, BicubicPatchesMatchBernsteinAndTheCoxDeBoorRecursion) {
    // One Bezier span: S = sum B_i(u) B_j(v) P_ij with Bernstein polynomials.
    std::vector<MPoint> cvs;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            cvs.emplace_back(i + 0.3 * j, j - 0.2 * i * i, std::sin(i + 2.0 * j));
    const NurbsSurfaceData bezier = surfaceOf(3, 3, {0, 0, 0, 1, 1, 1}, {0, 0, 0, 1, 1, 1}, cvs);
    MFnNurbsSurface bezierFn(dataObject(bezier));
    const auto bernstein = [](int i, double t) {
        const double c[4] = {1, 3, 3, 1};
        return c[i] * std::pow(t, i) * std::pow(1 - t, 3 - i);
    };
    for (double u : {0.0, 0.25, 0.7, 1.0})
        for (double v : {0.0, 0.4, 0.9}) {
            MVector expected;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    expected +=
                        MVector(cvs[static_cast<size_t>(i * 4 + j)]) * (bernstein(i, u) * bernstein(j, v));
            expectVectorNear(MVector(derivativesAt(bezierFn, u, v).point), expected, 1e-13, "Bezier point");
        }

    // Several spans of unequal length, a double knot and different degrees along u and v.
    cvs.clear();
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 5; ++j)
            cvs.emplace_back(i * 1.5, j + 0.1 * i * j, std::cos(0.7 * i) * std::sin(0.9 * j + 0.2));
    const NurbsSurfaceData spline = surfaceOf(3, 2, {0, 0, 0, 1, 1, 3.5, 5, 5, 5}, {-1, -1, 0, 2, 4, 4}, cvs);
    MFnNurbsSurface splineFn(dataObject(spline));
    for (double u : {0.0, 0.5, 1.0, 2.2, 3.5, 4.99})
        for (double v : {-1.0, -0.5, 0.0, 1.3, 3.9}) {
            const Derivatives d = derivativesAt(splineFn, u, v);
            expectVectorNear(MVector(d.point), reference(spline, u, v, 0, 0), 1e-12, "point");
            expectVectorNear(d.du, reference(spline, u, v, 1, 0), 1e-11, "dU");
            expectVectorNear(d.dv, reference(spline, u, v, 0, 1), 1e-11, "dV");
            expectVectorNear(d.duu, reference(spline, u, v, 2, 0), 1e-10, "dUU");
            expectVectorNear(d.dvv, reference(spline, u, v, 0, 2), 1e-10, "dVV");
            expectVectorNear(d.duv, reference(spline, u, v, 1, 1), 1e-10, "dUV");
        }
    // The domain's far corner is the last CV: the clamped end interpolates it.
    expectVectorNear(MVector(derivativesAt(splineFn, 5, 4).point), MVector(cvs.back()), 1e-13, "corner");
}

TEST(NurbsSurfaceTest, KnotDomainsFollowMayasKnotConvention) {
    double u0, u1, v0, v1;
    MFnNurbsSurface twistedFn(dataObject(twisted()));
    ASSERT_TRUE(twistedFn.getKnotDomain(u0, u1, v0, v1));
    EXPECT_EQ(std::vector<double>({u0, u1, v0, v1}), std::vector<double>({2, 5, -1, 1}));

    // knots[degree - 1] .. knots[numCVs - 1], whatever the knots beyond.
    const NurbsSurfaceData uneven =
        surfaceOf(2, 1, {-3, 0.5, 1, 2, 7}, {0, 1, 4}, std::vector<MPoint>(4 * 3, MPoint(1, 2, 3)));
    MFnNurbsSurface unevenFn(dataObject(uneven));
    ASSERT_TRUE(unevenFn.getKnotDomain(u0, u1, v0, v1));
    EXPECT_EQ(std::vector<double>({u0, u1, v0, v1}), std::vector<double>({0.5, 2, 0, 4}));
    EXPECT_EQ(unevenFn.numCVsInU(), 4);
    EXPECT_EQ(unevenFn.numCVsInV(), 3);

    // A domain of zero length is data like any other, but there is no surface to evaluate.
    const NurbsSurfaceData flat =
        surfaceOf(1, 1, {0.5, 0.5}, {0, 1}, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}});
    MFnNurbsSurface flatFn(dataObject(flat));
    ASSERT_TRUE(flatFn.getKnotDomain(u0, u1, v0, v1));
    EXPECT_EQ(u0, 0.5);
    EXPECT_EQ(u1, 0.5);
    MPoint point;
    MVector du, dv;
    EXPECT_FALSE(flatFn.getDerivativesAtParm(0.5, 0.5, point, du, dv));

    // Knots and CVs that disagree are no surface.
    NurbsSurfaceData broken = twisted();
    broken.points.append(MPoint());
    MFnNurbsSurface brokenFn(dataObject(broken));
    EXPECT_FALSE(brokenFn.getKnotDomain(u0, u1, v0, v1));
}

TEST(NurbsSurfaceTest, NurbsPlaneIsExactlyFlatAndLinearInItsParameters) {
    for (int degree : {1, 2, 3, 5})
        for (const MVector& axis : {MVector(0, 1, 0), MVector(0, 0, 1), MVector(1, 1, 0)}) {
            const NurbsSurfaceData plane = khost::makeNurbsPlane(2, 1.5, 3, 2, degree, axis);
            ASSERT_TRUE(plane.isConsistent());
            MFnNurbsSurface fn(dataObject(plane));
            double u0, u1, v0, v1;
            ASSERT_TRUE(fn.getKnotDomain(u0, u1, v0, v1));
            EXPECT_EQ(std::vector<double>({u0, u1, v0, v1}), std::vector<double>({0, 3, 0, 2}));
            const Derivatives corner = derivativesAt(fn, 0, 0);
            const MVector normal = axis.normal();
            // U spans the width and V the length, dU x dV along the axis, centred at the origin.
            EXPECT_NEAR(corner.du.length(), 2.0 / 3, 1e-13);
            EXPECT_NEAR(corner.dv.length(), 3.0 / 2, 1e-13);
            EXPECT_NEAR((corner.du ^ corner.dv).normal() * normal, 1.0, 1e-13);
            for (double u : {0.0, 0.7, 2.2, 3.0})
                for (double v : {0.0, 1.1, 2.0}) {
                    const Derivatives d = derivativesAt(fn, u, v);
                    const MVector expected = MVector(corner.point) + corner.du * u + corner.dv * v;
                    expectVectorNear(MVector(d.point), expected, 1e-13, "linear");
                    expectVectorNear(d.du, corner.du, 1e-13, "constant dU");
                    expectVectorNear(d.duu, MVector(), 1e-12, "no curvature");
                }
            expectVectorNear(MVector(derivativesAt(fn, 1.5, 1).point), MVector(), 1e-13, "centre");
        }
    // The default plane: U along x, V along -z, first CV at (-0.5, 0, 0.5) as in Maya.
    const NurbsSurfaceData plane = khost::makeNurbsPlane(1, 1, 1, 1, 3, MVector(0, 1, 0));
    EXPECT_EQ(plane.points[0], MPoint(-0.5, 0, 0.5));
    EXPECT_EQ(plane.points[15], MPoint(0.5, 0, -0.5));
}

TEST(NurbsSurfaceTest, SphereIsPeriodicAroundItsAxisAndPassesThroughTheSphere) {
    const double r = 1.5;
    const NurbsSurfaceData sphere = khost::makeNurbsSphere(r, 8, 4, 3, MVector(0, 1, 0));
    MFnNurbsSurface fn(dataObject(sphere));
    EXPECT_EQ(fn.formInU(), MFnNurbsSurface::kOpen);
    EXPECT_EQ(fn.formInV(), MFnNurbsSurface::kPeriodic);
    EXPECT_EQ(fn.degreeU(), 3);
    EXPECT_EQ(fn.numCVsInU(), 7);
    EXPECT_EQ(fn.numCVsInV(), 11);
    MDoubleArray knotsU, knotsV;
    ASSERT_TRUE(fn.getKnotsInU(knotsU));
    ASSERT_TRUE(fn.getKnotsInV(knotsV));
    EXPECT_EQ(std::vector<double>(knotsU.begin(), knotsU.end()),
              std::vector<double>({0, 0, 0, 1, 2, 3, 4, 4, 4}));
    EXPECT_EQ(std::vector<double>(knotsV.begin(), knotsV.end()),
              std::vector<double>({-2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // The last three columns of CVs repeat the first three.
    MPointArray cvs;
    ASSERT_TRUE(fn.getCVs(cvs));
    for (unsigned int row = 0; row < 7; ++row)
        for (unsigned int column = 8; column < 11; ++column)
            EXPECT_EQ(cvs[row * 11 + column], cvs[row * 11 + column - 8]);

    for (int ku = 0; ku <= 4; ++ku)
        for (int kv = 0; kv <= 8; ++kv) {
            const Derivatives d = derivativesAt(fn, ku, kv);
            EXPECT_NEAR(MVector(d.point).length(), r, 1e-12) << ku << " " << kv;
            const double latitude = -kPi / 2 + kPi * ku / 4, longitude = 2 * kPi * kv / 8;
            expectVectorNear(MVector(d.point),
                             MVector(std::cos(latitude) * std::cos(longitude), std::sin(latitude),
                                     std::cos(latitude) * std::sin(longitude)) *
                                 r,
                             1e-12, "latitude and longitude");
            if (ku > 0 && ku < 4) {
                EXPECT_GT((d.du ^ d.dv) * MVector(d.point), 0.0) << "the normal points outwards";
            }
        }
    // Any v wraps around: a whole turn later is the same point.
    for (double v : {-8.5, 3.25, 11.0, 80.75}) {
        const Derivatives a = derivativesAt(fn, 1.3, v), b = derivativesAt(fn, 1.3, std::fmod(v + 80, 8));
        expectVectorNear(MVector(a.point), MVector(b.point), 1e-12, "wrapped point");
        expectVectorNear(a.dv, b.dv, 1e-11, "wrapped dV");
    }
    // The poles: every v gives the same point, where dV vanishes.
    for (double v : {0.0, 2.5, 7.0}) {
        const Derivatives pole = derivativesAt(fn, 0, v);
        expectVectorNear(MVector(pole.point), MVector(0, -r, 0), 1e-14, "south pole");
        expectVectorNear(pole.dv, MVector(), 1e-14, "no dV at the pole");
    }
    MVector tangentU, tangentV;
    EXPECT_EQ(fn.getTangents(0, 1, tangentU, tangentV), MS::kFailure);
    ASSERT_TRUE(fn.getTangents(2, 1, tangentU, tangentV));
    EXPECT_NEAR(tangentU.length(), 1.0, 1e-15);
    EXPECT_NEAR(tangentV.length(), 1.0, 1e-15);
    EXPECT_NEAR(tangentU * derivativesAt(fn, 2, 1).du.normal(), 1.0, 1e-15);

    // Degree 1: a closed polyhedron through the sphere at every CV.
    const NurbsSurfaceData linear = khost::makeNurbsSphere(2, 6, 3, 1, MVector(1, 0, 0));
    EXPECT_EQ(linear.formV, MFnNurbsSurface::kClosed);
    for (const MPoint& p : linear.points)
        EXPECT_NEAR(MVector(p).length(), 2.0, 1e-14);
}

TEST_F(HostTest, SurfaceFunctionSetOnShapesAndWorldSpaceData) {
    khost::UndoRecord record;
    auto transform =
        khost::createShape(record, "nurbsSurface", dataObject(twisted()), "patch", nullptr, nullptr);
    ASSERT_NE(transform, nullptr);
    khost::Node* shape = khost::shapeOf(transform.get());
    ASSERT_TRUE(khost::setTransformValue(record, transform.get(), khost::Trs::Translate, MVector(1, 2, 3)));
    ASSERT_TRUE(khost::setTransformValue(record, transform.get(), khost::Trs::Scale, MVector(2, 2, 2)));

    MFnNurbsSurface shapeFn(shape->handle());
    const Derivatives local = derivativesAt(shapeFn, 3, 0);
    const Derivatives world = derivativesAt(shapeFn, 3, 0, MSpace::kWorld);
    expectVectorNear(MVector(world.point), MVector(local.point) * 2 + MVector(1, 2, 3), 1e-14, "world point");
    expectVectorNear(world.du, local.du * 2, 1e-14, "world dU");
    MPointArray cvs;
    ASSERT_TRUE(shapeFn.getCVs(cvs, MSpace::kWorld));
    EXPECT_EQ(cvs[3], MPoint(9, 8, 1));

    // worldSpace data carries the matrix; asNurbsSurfaceTransformed applies it to the CVs.
    MDataHandle handle = plug("patchShape.worldSpace[0]").asMDataHandle();
    MFnNurbsSurface dataFn(handle.asNurbsSurface());
    expectVectorNear(MVector(derivativesAt(dataFn, 3, 0).point), MVector(local.point), 1e-14, "as received");
    expectVectorNear(MVector(derivativesAt(dataFn, 3, 0, MSpace::kWorld).point), MVector(world.point), 1e-14,
                     "with its matrix");
    MFnNurbsSurface transformedFn(handle.asNurbsSurfaceTransformed());
    expectVectorNear(MVector(derivativesAt(transformedFn, 3, 0).point), MVector(world.point), 1e-14,
                     "transformed");
    EXPECT_TRUE(handle.asMesh().isNull());
}

TEST_F(HostTest, GeometryIteratorWalksEveryCVAndKeepsPeriodicRepeatsInStep) {
    khost::UndoRecord record;
    ASSERT_NE(khost::createShape(record, "nurbsSurface",
                                 dataObject(khost::makeNurbsSphere(1, 4, 2, 3, MVector(0, 1, 0))), "ball",
                                 nullptr, nullptr),
              nullptr);
    MDataHandle handle = plug("ballShape.worldSpace[0]").asMDataHandle();
    MItGeometry iter(handle, false);
    ASSERT_EQ(iter.count(), 5 * 7);
    MPointArray points;
    ASSERT_TRUE(iter.allPositions(points));
    points[2 * 7 + 1] = MPoint(0, 0, 9);
    points[2 * 7 + 5] = MPoint(1, 1, 1);
    ASSERT_TRUE(iter.setAllPositions(points));
    MPointArray cvs;
    ASSERT_TRUE(MFnNurbsSurface(handle.data()).getCVs(cvs));
    EXPECT_EQ(cvs[2 * 7 + 1], MPoint(0, 0, 9));
    EXPECT_EQ(cvs[2 * 7 + 5], MPoint(0, 0, 9)) << "column 5 repeats column 1";
}
