// Two geometries on one node with equal point counts: each keeps its own deformer, base and
// target weights, however the evaluations of the two interleave.
#include "PluginScene.h"

namespace {

// y of each point after a delta of (0 1 0) on every point, scaled by the expected weights.
void expectLifts(const MPointArray& rest, const MPointArray& moved, const std::vector<double>& lifts) {
    ASSERT_EQ(moved.length(), lifts.size());
    for (unsigned int i = 0; i < lifts.size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        EXPECT_POINT_NEAR(moved[i], rest[i].x, rest[i].y + lifts[i], rest[i].z);
    }
}

} // namespace

TEST_F(PluginScene, GeometriesOfEqualSizeKeepTheirOwnWeights) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n a; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n b; move -a 0 0 5 b;");
    const MPointArray restA = points("a");
    const MPointArray restB = points("b");
    run("deformer -type kivoMorph -n m a b;");
    EXPECT_EQ(result("listConnections -s false -d true m.outputGeometry[0]"), "aShape");
    EXPECT_EQ(result("listConnections -s false -d true m.outputGeometry[1]"), "bShape");
    const std::vector<MVector> up(4, MVector(0, 1, 0));
    run(itemArrays("m.it[0].itg[0].iti[6000]", {0, 1, 2, 3}, up));
    run(itemArrays("m.it[1].itg[0].iti[6000]", {0, 1, 2, 3}, up));
    run("setAttr m.weight[0] 1;"
        "setAttr m.weightList[0].weights[0] 0.5; setAttr m.weightList[1].weights[1] 0.25;"
        "setAttr m.it[0].bw[2] 0.5; setAttr m.it[1].bw[3] 0.75;"
        "setAttr m.it[0].itg[0].tw[1] 0.5; setAttr m.it[1].itg[0].tw[0] 0.25;");

    const std::vector<double> liftsA{0.5, 0.5, 0.5, 1};
    const std::vector<double> liftsB{0.25, 0.25, 1, 0.75};
    // Evaluated alternately, each reads its own weights, not the other's cached ones.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        expectLifts(restA, points("a"), liftsA);
        expectLifts(restB, points("b"), liftsB);
    }
    // And the other way round, after a change that concerns both.
    run("setAttr m.weight[0] 0.5;");
    expectLifts(restB, points("b"), {0.125, 0.125, 0.5, 0.375});
    expectLifts(restA, points("a"), {0.25, 0.25, 0.25, 0.5});

    // A weight change on one geometry leaves the other's values alone.
    run("setAttr m.weight[0] 1; setAttr m.it[1].bw[0] 0;");
    expectLifts(restB, points("b"), {0, 0.25, 1, 0.75});
    expectLifts(restA, points("a"), liftsA);
    run("setAttr m.weightList[0].weights[3] 0.5; setAttr m.it[0].itg[0].tw[1] 1;");
    expectLifts(restA, points("a"), {0.5, 1, 0.5, 0.5});
    expectLifts(restB, points("b"), {0, 0.25, 1, 0.75});

    // A target that only geometry 1 has is driven by its own weight element.
    run(itemArrays("m.it[1].itg[3].iti[6000]", {2}, {MVector(2, 0, 0)}));
    run("setAttr m.weight[3] 0.5;");
    MPointArray b = points("b");
    EXPECT_POINT_NEAR(b[2], restB[2].x + 1, restB[2].y + 1, restB[2].z);
    expectLifts(restA, points("a"), {0.5, 1, 0.5, 0.5});
}

// Geometries are found by their multi index, which need not follow on from the others.
TEST_F(PluginScene, ASparseMultiIndexFindsItsOwnGeometryAndTargets) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n a; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n src;"
        "polyPlane -w 2 -h 2 -sx 1 -sy 1 -n dst; move -a 0 0 5 dst;"
        "deformer -type kivoMorph -n m a;"
        "connectAttr srcShape.worldMesh[0] m.input[3].inputGeometry;"
        "connectAttr -f m.outputGeometry[3] dstShape.inMesh;");
    const MPointArray restA = points("a");
    const MPointArray restSrc = points("src");
    run(itemArrays("m.it[0].itg[0].iti[6000]", {0}, {MVector(0, 1, 0)}));
    run(itemArrays("m.it[3].itg[0].iti[6000]", {2}, {MVector(0, 0, 3)}));
    run("setAttr m.weight[0] 0.5; setAttr m.it[3].bw[2] 0.5;");
    const MPointArray dst = points("dst");
    ASSERT_EQ(dst.length(), 4u);
    EXPECT_POINT_NEAR(dst[2], restSrc[2].x, restSrc[2].y, restSrc[2].z + 0.75);
    EXPECT_POINT_NEAR(dst[0], restSrc[0].x, restSrc[0].y, restSrc[0].z);
    const MPointArray a = points("a");
    EXPECT_POINT_NEAR(a[0], restA[0].x, restA[0].y + 0.5, restA[0].z);
    EXPECT_POINT_NEAR(a[2], restA[2].x, restA[2].y, restA[2].z);
    EXPECT_TRUE(errors().empty());
}
