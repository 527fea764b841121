#include "kivoMorph/inbetween.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using inbetween::BlendUv;
using inbetween::BlendVector;

namespace {

std::vector<float> weightsOf(const std::vector<unsigned int>& indices) {
    return inbetween::itemWeightList(indices);
}

// Factor of item p, with a skipped item reported as NaN so that tables read naturally.
float factor(const std::vector<unsigned int>& indices, std::size_t p, float w) {
    const auto f = inbetween::segmentFactor(weightsOf(indices), p, w);
    return f ? *f : NAN;
}

// Items whose shapes are their own weight times one delta must blend back to w times that
// delta: a piecewise linear blend reproduces a linear target exactly.
float reproducedWeight(const std::vector<unsigned int>& indices, float w) {
    const std::vector<float> weights = weightsOf(indices);
    float sum = 0.0f;
    for (std::size_t p = 0; p < indices.size(); ++p) {
        if (inbetween::isRestItem(indices[p])) {
            continue;
        }
        if (const auto f = inbetween::segmentFactor(weights, p, w)) {
            sum += *f * weights[p];
        }
    }
    return sum;
}

void expectVector(const BlendVector& v, double x, double y, double z) {
    EXPECT_NEAR(v.x, x, 1e-12);
    EXPECT_NEAR(v.y, y, 1e-12);
    EXPECT_NEAR(v.z, z, 1e-12);
}

} // namespace

TEST(ItemWeights, IndexToWeightAndRestSlots) {
    EXPECT_FLOAT_EQ(inbetween::itemWeight(6000), 1.0f);
    EXPECT_FLOAT_EQ(inbetween::itemWeight(5250), 0.25f);
    EXPECT_FLOAT_EQ(inbetween::itemWeight(4000), -1.0f);
    EXPECT_FLOAT_EQ(inbetween::itemWeight(7500), 2.5f);
    // Rest items keep their slot with weight 0, whatever their index says.
    EXPECT_EQ(weightsOf({0, 4500, 5000, 6000}), (std::vector<float>{0.0f, -0.5f, 0.0f, 1.0f}));
    EXPECT_TRUE(inbetween::isRestItem(0));
    EXPECT_TRUE(inbetween::isRestItem(5000));
    EXPECT_FALSE(inbetween::isRestItem(5001));
}

TEST(SegmentFactor, ThreeInbetweensBetweenAndBeyondItems) {
    const std::vector<unsigned int> items{5250, 5500, 6000};
    EXPECT_TRUE(std::isnan(factor(items, 0, 0.75f)));
    EXPECT_FLOAT_EQ(factor(items, 1, 0.75f), 0.5f);
    EXPECT_FLOAT_EQ(factor(items, 2, 0.75f), 0.5f);

    EXPECT_TRUE(std::isnan(factor(items, 0, 1.5f)));
    EXPECT_FLOAT_EQ(factor(items, 1, 1.5f), -1.0f);
    EXPECT_FLOAT_EQ(factor(items, 2, 1.5f), 2.0f);

    // Below the first item it fades in from the undeformed shape and extrapolates below 0.
    EXPECT_FLOAT_EQ(factor(items, 0, 0.1f), 0.4f);
    EXPECT_FLOAT_EQ(factor(items, 0, -0.5f), -2.0f);
    EXPECT_TRUE(std::isnan(factor(items, 1, 0.1f)));
}

TEST(SegmentFactor, HalfAndFullItemsAcrossTheWeightRange) {
    const std::vector<unsigned int> items{5500, 6000};
    struct Row {
        float w, half, full;
    };
    for (const Row& row : {Row{0.25f, 0.5f, NAN}, Row{0.75f, 0.5f, 0.5f}, Row{1.0f, 0.0f, 1.0f},
                           Row{1.2f, -0.4f, 1.4f}, Row{1.5f, -1.0f, 2.0f}}) {
        SCOPED_TRACE(row.w);
        if (std::isnan(row.half)) {
            EXPECT_TRUE(std::isnan(factor(items, 0, row.w)));
        } else {
            EXPECT_NEAR(factor(items, 0, row.w), row.half, 1e-6);
        }
        if (std::isnan(row.full)) {
            EXPECT_TRUE(std::isnan(factor(items, 1, row.w)));
        } else {
            EXPECT_NEAR(factor(items, 1, row.w), row.full, 1e-6);
        }
    }
}

TEST(SegmentFactor, RestItemAsNeighbour) {
    // With item 5000 the first inbetween fades in from 0 and stops there.
    const std::vector<unsigned int> withRest{5000, 5500, 6000};
    EXPECT_FLOAT_EQ(factor(withRest, 1, 0.25f), 0.5f);
    EXPECT_TRUE(std::isnan(factor(withRest, 1, -0.5f)));
    EXPECT_TRUE(std::isnan(factor(withRest, 2, -0.5f)));
    EXPECT_FLOAT_EQ(factor(withRest, 2, 0.75f), 0.5f);

    // Without it a negative w scales the first item by w over its item weight.
    const std::vector<unsigned int> withoutRest{5500, 6000};
    EXPECT_FLOAT_EQ(factor(withoutRest, 0, -0.5f), -1.0f);
    EXPECT_TRUE(std::isnan(factor(withoutRest, 1, -0.5f)));
}

TEST(SegmentFactor, LoneItemFollowsTheWeight) {
    EXPECT_FLOAT_EQ(factor({6000}, 0, 0.3f), 0.3f);
    EXPECT_FLOAT_EQ(factor({5500}, 0, -2.0f), -2.0f);
    EXPECT_FALSE(inbetween::segmentFactor(weightsOf({5500, 6000}), 2, 0.5f).has_value());
}

TEST(SegmentFactor, NegativeInbetweenItems) {
    const std::vector<unsigned int> items{4000, 4500, 5000, 6000};
    // Between two negative items both fade linearly.
    EXPECT_FLOAT_EQ(factor(items, 0, -0.75f), 0.5f);
    EXPECT_FLOAT_EQ(factor(items, 1, -0.75f), 0.5f);
    // Between the inner negative item and the rest item only that item contributes.
    EXPECT_TRUE(std::isnan(factor(items, 0, -0.25f)));
    EXPECT_FLOAT_EQ(factor(items, 1, -0.25f), 0.5f);
    // Beyond the outermost item the first segment extrapolates: position 1 is the edge.
    EXPECT_FLOAT_EQ(factor(items, 0, -1.5f), 2.0f);
    EXPECT_FLOAT_EQ(factor(items, 1, -1.5f), -1.0f);
    // Positive weights leave negative items alone.
    EXPECT_TRUE(std::isnan(factor(items, 0, 0.5f)));
    EXPECT_TRUE(std::isnan(factor(items, 1, 0.5f)));
    EXPECT_FLOAT_EQ(factor(items, 3, 0.5f), 0.5f);
    EXPECT_TRUE(std::isnan(factor(items, 3, -0.5f)));

    // A single negative item next to the rest item extrapolates as w / item weight.
    const std::vector<unsigned int> single{4000, 5000, 6000};
    EXPECT_FLOAT_EQ(factor(single, 0, -0.5f), 0.5f);
    EXPECT_FLOAT_EQ(factor(single, 0, -1.0f), 1.0f);
    EXPECT_FLOAT_EQ(factor(single, 0, -1.5f), 1.5f);
    EXPECT_TRUE(std::isnan(factor(single, 0, 0.5f)));
}

TEST(SegmentFactor, LinearTargetsBlendBackToTheirWeight) {
    const std::vector<std::vector<unsigned int>> setups{{5250, 5500, 6000},
                                                        {4000, 5000, 6000},
                                                        {4000, 4500, 5000, 5500, 6000},
                                                        {3000, 4000, 4800, 5000, 6000},
                                                        {0, 4000, 6000},
                                                        {4000, 6000},
                                                        {4000, 5500, 6000}};
    for (const auto& items : setups) {
        for (float w = -3.0f; w <= 3.0f; w += 0.125f) {
            if (std::fabs(w) < 1e-6f) {
                continue;
            }
            SCOPED_TRACE(::testing::Message() << "items starting " << items[0] << " w " << w);
            EXPECT_NEAR(reproducedWeight(items, w), w, 2e-5);
        }
    }
}

TEST(BezierBlendPoint, NoInbetweenIsStraight) {
    expectVector(inbetween::bezierBlendPoint({}, {2.0, -4.0, 1.0}, 0.25, 2.0), 0.5, -1.0, 0.25);
}

TEST(BezierBlendPoint, OneInbetweenQuadratic) {
    const BlendVector full{2.0, 0.0, 0.0};
    const BlendVector mid{0.0, 1.0, 0.0};
    // Curvature 0: the control point is full / 2 and the curve is the straight blend.
    expectVector(inbetween::bezierBlendPoint({mid}, full, 0.3, 0.0), 0.6, 0.0, 0.0);
    // Curvature 0.5: the control point is the inbetween delta: 2(1-t)t D + t^2 B.
    expectVector(inbetween::bezierBlendPoint({mid}, full, 0.3, 1.0), 0.18, 0.42, 0.0);
    // Curvature 1 (the default) passes through the inbetween halfway.
    expectVector(inbetween::bezierBlendPoint({mid}, full, 0.5, 2.0), 0.0, 1.0, 0.0);
    expectVector(inbetween::bezierBlendPoint({mid}, full, 1.0, 2.0), 2.0, 0.0, 0.0);
}

TEST(BezierBlendPoint, TwoInbetweensCubic) {
    const BlendVector full{3.0, 0.0, 0.0};
    // t = 0.25: Bernstein weights 0.421875, 0.140625 and 0.015625 on C1, C2 and B.
    expectVector(inbetween::bezierBlendPoint({{1.0, 1.0, 0.0}, {2.0, -1.0, 0.0}}, full, 0.25, 1.0), 0.75,
                 0.28125, 0.0);
    // Curvature 0 puts both controls at B/2: (1.5 t (1-t) + t^3) B, not the straight blend.
    expectVector(inbetween::bezierBlendPoint({{1.0, 1.0, 5.0}, {2.0, -1.0, 0.0}}, full, 0.25, 0.0), 0.890625,
                 0.0, 0.0);
}

TEST(BezierBlendPoint, ThreeOrMoreInbetweensDeCasteljau) {
    // Evenly spaced controls on x give 4t; a single raised control on y gives 4t(1-t)^3.
    const BlendVector r = inbetween::bezierBlendPoint({{1.0, 1.0, 0.0}, {2.0, 0.0, 0.0}, {3.0, 0.0, 0.0}},
                                                      {4.0, 0.0, 0.0}, 0.3, 1.0);
    expectVector(r, 1.2, 4.0 * 0.3 * 0.343, 0.0);

    // Curvature 0 with three inbetweens: controls at B/2 give B/2 at t = 0.5.
    expectVector(inbetween::bezierBlendPoint({{9.0, 9.0, 9.0}, {1.0, 1.0, 1.0}, {0.0, 0.0, 0.0}},
                                             {2.0, 4.0, 6.0}, 0.5, 0.0),
                 1.0, 2.0, 3.0);

    // Five inbetweens against the Bernstein form of a degree 6 curve.
    const std::vector<BlendVector> deltas{
        {1.0, 0.0, 0.0}, {0.5, 2.0, 0.0}, {-1.0, 1.0, 3.0}, {2.0, 0.0, 1.0}, {0.0, -2.0, 0.0}};
    const BlendVector full{1.0, 1.0, 1.0};
    const double s = 2.0, t = 0.35;
    std::vector<BlendVector> polygon{{0.0, 0.0, 0.0}};
    for (const BlendVector& d : deltas) {
        polygon.push_back({s * d.x + (0.5 - 0.5 * s) * full.x, s * d.y + (0.5 - 0.5 * s) * full.y,
                           s * d.z + (0.5 - 0.5 * s) * full.z});
    }
    polygon.push_back(full);
    BlendVector expected;
    const int degree = static_cast<int>(polygon.size()) - 1;
    for (int j = 0; j <= degree; ++j) {
        double binomial = 1.0;
        for (int q = 1; q <= j; ++q) {
            binomial = binomial * (degree - q + 1) / q;
        }
        const double b = binomial * std::pow(t, j) * std::pow(1.0 - t, degree - j);
        expected.x += b * polygon[j].x;
        expected.y += b * polygon[j].y;
        expected.z += b * polygon[j].z;
    }
    expectVector(inbetween::bezierBlendPoint(deltas, full, t, s), expected.x, expected.y, expected.z);
}

TEST(BezierBlendUv, ControlsAreScaledAboutTheMidpointAndResultIsSinglePrecision) {
    const BlendUv start{0.1, 0.2};
    const BlendUv end{0.5, 0.8};

    BlendUv r = inbetween::bezierBlendUv(start, {}, end, 0.25, 2.0);
    // Straight blend, rounded to single precision.
    EXPECT_NEAR(r.u, 0.2, 1e-7);
    EXPECT_NEAR(r.v, 0.35, 1e-7);
    EXPECT_EQ(r.u, static_cast<double>(static_cast<float>(r.u)));
    EXPECT_EQ(r.v, static_cast<double>(static_cast<float>(r.v)));

    // s = 0 moves the control onto the midpoint, which makes the quadratic a straight blend.
    r = inbetween::bezierBlendUv(start, {{0.9, 0.0}}, end, 0.25, 0.0);
    EXPECT_NEAR(r.u, 0.2, 1e-7);
    EXPECT_NEAR(r.v, 0.35, 1e-7);

    // s = 1 keeps the control: (1-t)^2 S + 2(1-t)t C + t^2 E at t = 0.5.
    r = inbetween::bezierBlendUv(start, {{0.9, 0.0}}, end, 0.5, 1.0);
    EXPECT_NEAR(r.u, 0.25 * 0.1 + 0.5 * 0.9 + 0.25 * 0.5, 1e-7);
    EXPECT_NEAR(r.v, 0.25 * 0.2 + 0.25 * 0.8, 1e-7);

    // s = 2 doubles the control's distance from the midpoint (0.3, 0.5).
    r = inbetween::bezierBlendUv(start, {{0.4, 0.5}, {0.3, 0.7}}, end, 0.5, 2.0);
    const double c1u = 0.5, c1v = 0.5, c2u = 0.3, c2v = 0.9;
    EXPECT_NEAR(r.u, 0.125 * 0.1 + 0.375 * c1u + 0.375 * c2u + 0.125 * 0.5, 1e-7);
    EXPECT_NEAR(r.v, 0.125 * 0.2 + 0.375 * c1v + 0.375 * c2v + 0.125 * 0.8, 1e-7);
    EXPECT_EQ(r.u, static_cast<double>(static_cast<float>(r.u)));
}

TEST(BezierBlendUv, ThreeControlsDeCasteljau) {
    // Controls on the straight line from start to end, evenly spaced, keep the blend linear.
    const BlendUv r =
        inbetween::bezierBlendUv({0.0, 1.0}, {{0.25, 0.75}, {0.5, 0.5}, {0.75, 0.25}}, {1.0, 0.0}, 0.3, 1.0);
    EXPECT_NEAR(r.u, 0.3, 1e-7);
    EXPECT_NEAR(r.v, 0.7, 1e-7);

    // One raised control of four: 4 t (1-t)^3 of its offset.
    const BlendUv bump =
        inbetween::bezierBlendUv({0.0, 0.0}, {{0.0, 1.0}, {0.0, 0.0}, {0.0, 0.0}}, {0.0, 0.0}, 0.3, 1.0);
    EXPECT_NEAR(bump.v, 4.0 * 0.3 * 0.343, 1e-6);
    EXPECT_EQ(bump.u, 0.0);
}
