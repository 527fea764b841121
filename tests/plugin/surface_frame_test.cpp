// The surface frame rule shared by the binding, the UV encoding and the UV evaluation.
#include "kivoMorph/surfaceFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void expectNear(const MVector& actual, const MVector& expected, double tolerance = 1e-15) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

} // namespace

TEST(SurfaceFrameTest, FramesAreOrthonormalWithTheTangentAlongDuAndTheNormalAcrossDv) {
    // dU along x (any length), dV in the xz plane leaning on dU: T = x, N = x ^ dV ~ -y, B = N ^ T.
    const MVector dU(3, 0, 0), dV(1, 0, 2);
    SurfaceFrame evaluation, encoding;
    ASSERT_TRUE(buildSurfaceFrame(dU, dV, evaluation));
    ASSERT_TRUE(normalizedSurfaceFrame(dU, dV, encoding));
    for (const SurfaceFrame* frame : {&evaluation, &encoding}) {
        expectNear(frame->tangent, MVector(1, 0, 0));
        expectNear(frame->normal, MVector(0, -1, 0));
        expectNear(frame->binormal, MVector(0, 0, 1));
    }
    // A general pair: unit, orthogonal, right-handed, both rules agreeing to the last bits or so.
    const MVector a(0.3, -1.7, 2.2), b(-0.4, 0.9, 1.3);
    ASSERT_TRUE(buildSurfaceFrame(a, b, evaluation));
    ASSERT_TRUE(normalizedSurfaceFrame(a, b, encoding));
    EXPECT_NEAR(evaluation.tangent.length(), 1.0, 1e-15);
    EXPECT_NEAR(evaluation.normal.length(), 1.0, 1e-15);
    EXPECT_NEAR(evaluation.binormal.length(), 1.0, 1e-15);
    EXPECT_NEAR(evaluation.tangent * evaluation.normal, 0.0, 1e-15);
    EXPECT_NEAR(evaluation.normal * b, 0.0, 1e-15) << "the normal is across dV";
    EXPECT_NEAR((evaluation.normal ^ evaluation.tangent) * evaluation.binormal, 1.0, 1e-15);
    expectNear(encoding.tangent, evaluation.tangent);
    expectNear(encoding.normal, evaluation.normal);
    expectNear(encoding.binormal, evaluation.binormal);
}

TEST(SurfaceFrameTest, NoFrameWhereDuVanishesOrRunsAlongDv) {
    SurfaceFrame frame;
    // |dU|^2 just under 1e-20 is not above the limit; just over it is.
    EXPECT_FALSE(buildSurfaceFrame(MVector(0.99e-10, 0, 0), MVector(0, 0, 1), frame));
    EXPECT_TRUE(buildSurfaceFrame(MVector(1.01e-10, 0, 0), MVector(0, 0, 1), frame));
    EXPECT_FALSE(buildSurfaceFrame(MVector(2, 0, 0), MVector(-5, 0, 0), frame)) << "parallel";
    EXPECT_FALSE(buildSurfaceFrame(MVector(1, 0, 0), MVector(), frame)) << "a pole: dV vanishes";
    EXPECT_FALSE(buildSurfaceFrame(MVector(std::nan(""), 0, 0), MVector(0, 0, 1), frame));
    EXPECT_FALSE(normalizedSurfaceFrame(MVector(), MVector(0, 0, 1), frame));
    EXPECT_FALSE(normalizedSurfaceFrame(MVector(1, 1, 0), MVector(2, 2, 0), frame));
}

TEST(SurfaceFrameTest, AnOffsetPlacedInAFrameComesBackThroughItsLocalCoordinates) {
    SurfaceFrame frame;
    ASSERT_TRUE(buildSurfaceFrame(MVector(1, 2, 0.5), MVector(-0.3, 0.2, 1), frame));
    const MPoint s(4, -1, 2);
    const MVector offset(0.25, -1.5, 3);
    const MVector local = localOffset(offset, frame);
    EXPECT_NEAR(local.x, offset * frame.tangent, 0.0);
    const MPoint placed = placeInFrame(s, local, frame);
    expectNear(placed - s, offset, 1e-14);
    // Each component is S + x T + y N + z B with one rounding per step.
    const double x = std::fma(local.z, frame.binormal.x,
                              std::fma(local.y, frame.normal.x, std::fma(local.x, frame.tangent.x, s.x)));
    EXPECT_EQ(placed.x, x);
    EXPECT_EQ(placed.w, 1.0);
}

TEST(SurfaceFrameTest, ParametersClampToTheDomainAndNaNTakesItsStart) {
    EXPECT_EQ(clampParameter(0.5, 0.0, 2.0), 0.5);
    EXPECT_EQ(clampParameter(-0.1, 0.0, 2.0), 0.0);
    EXPECT_EQ(clampParameter(7.0, 0.0, 2.0), 2.0);
    EXPECT_EQ(clampParameter(std::numeric_limits<double>::infinity(), 1.0, 2.0), 2.0);
    EXPECT_EQ(clampParameter(-std::numeric_limits<double>::infinity(), 1.0, 2.0), 1.0);
    EXPECT_EQ(clampParameter(std::nan(""), 1.0, 2.0), 1.0);
}
