// Straight-line deformation from stored item arrays: every weight that scales a delta, the
// targets and items that must not contribute, and a change of the geometry's point count.
#include "PluginScene.h"

namespace {

struct Move {
    unsigned int point;
    MVector offset;
};

// Each point where it started, plus the offsets worked out by hand; every other point unchanged.
void expectMoved(const MPointArray& before, const MPointArray& after, const std::vector<Move>& moves,
                 double tolerance = 1e-12) {
    ASSERT_EQ(after.length(), before.length());
    for (unsigned int i = 0; i < before.length(); ++i) {
        MVector offset;
        for (const Move& m : moves)
            if (m.point == i)
                offset += m.offset;
        SCOPED_TRACE("point " + std::to_string(i));
        EXPECT_NEAR(after[i].x, before[i].x + offset.x, tolerance);
        EXPECT_NEAR(after[i].y, before[i].y + offset.y, tolerance);
        EXPECT_NEAR(after[i].z, before[i].z + offset.z, tolerance);
    }
}

} // namespace

// Weights are powers of two so every product is exact and the hand values hold to the last bit.
TEST_F(PluginScene, MeshPointsMoveByEveryWeightProduct) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base;");
    const MPointArray rest = points("base");
    ASSERT_EQ(rest.length(), 9u);
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays(
        "morph.it[0].itg[0].iti[6000]", {0, 1, 2, 3, 4},
        {MVector(0, 1, 0), MVector(0, 2, 0), MVector(1, 0, 0), MVector(0, 0, 1), MVector(1, 1, 1)}));
    run(itemArrays("morph.it[0].itg[1].iti[6000]", {4, 5}, {MVector(0, 0, 2), MVector(2, 0, 0)}));

    // Fresh weight elements read -9999 until set; a target without a set weight stays put.
    expectMoved(rest, points("base"), {});

    run("setAttr morph.weight[0] 0.5; setAttr morph.weight[1] -1;"
        "setAttr morph.weightList[0].weights[1] 0.5;"
        "setAttr morph.it[0].bw[2] 0.25;"
        "setAttr morph.it[0].itg[0].tw[3] 0.75;"
        "setAttr morph.it[0].itg[1].tw[4] 0.5;"
        "setAttr morph.envelope 0.5;");
    // point 0: 0.5 (weight) * 0.5 (envelope)                     -> 0.25 * (0 1 0)
    // point 1: 0.5 * 0.5 * 0.5 (deformer weight)                  -> 0.125 * (0 2 0)
    // point 2: 0.5 * 0.5 * 0.25 (base weight)                     -> 0.0625 * (1 0 0)
    // point 3: 0.5 * 0.5 * 0.75 (target weight)                   -> 0.1875 * (0 0 1)
    // point 4: 0.25 * (1 1 1) + (-1 * 0.5 * 0.5 target weight) * (0 0 2)
    // point 5: -1 * 0.5                                           -> -0.5 * (2 0 0)
    expectMoved(rest, points("base"),
                {{0, {0, 0.25, 0}},
                 {1, {0, 0.25, 0}},
                 {2, {0.0625, 0, 0}},
                 {3, {0, 0, 0.1875}},
                 {4, {0.25, 0.25, 0.25 - 0.5}},
                 {5, {-1, 0, 0}}});

    // A target at weight 0 is left out; the other one still applies.
    run("setAttr morph.weight[0] 0;");
    expectMoved(rest, points("base"), {{4, {0, 0, -0.5}}, {5, {-1, 0, 0}}});

    // An envelope of 1e-5 or less leaves the geometry exactly as it came in.
    for (const char* envelope : {"1e-05", "0", "-1"}) {
        SCOPED_TRACE(envelope);
        run(std::string("setAttr morph.envelope ") + envelope + ";");
        expectMoved(rest, points("base"), {}, 0.0);
    }
    // Just above the threshold the points move, by the envelope's share.
    run("setAttr morph.envelope 2e-05;");
    // point 4: -1 * 0.5 (target weight) * 2e-5 * (0 0 2); point 5: -1 * 2e-5 * (2 0 0).
    expectMoved(rest, points("base"), {{4, {0, 0, -2e-5}}, {5, {-4e-5, 0, 0}}}, 1e-11);
}

TEST_F(PluginScene, CurveCVsMoveTowardsStoredDeltas) {
    run("curve -d 1 -p 0 0 0 -p 1 0 0 -p 2 0 0 -p 3 0 0 -n c;");
    const MPointArray rest = points("c");
    ASSERT_EQ(rest.length(), 4u);
    run("deformer -type kivoMorph -n morph c;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {0, 2, 3},
                   {MVector(0, 4, 0), MVector(0, 0, 4), MVector(-1, 1, 0)}));
    run("setAttr morph.weight[0] 0.25;"
        "setAttr morph.weightList[0].weights[2] 0.5;"
        "setAttr morph.it[0].bw[3] 0.5;"
        "setAttr morph.it[0].itg[0].tw[3] 0.5;");
    expectMoved(rest, points("c"), {{0, {0, 1, 0}}, {2, {0, 0, 0.5}}, {3, {-0.0625, 0.0625, 0}}});

    // Clearing the weights puts the curve back where it was.
    run("setAttr morph.weight[0] 0;");
    expectMoved(rest, points("c"), {}, 0.0);
}

// The weight product is formed in single precision; the delta is added in double precision.
TEST_F(PluginScene, WeightProductIsSinglePrecisionAndTheSumDouble) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {0, 1}, {MVector(1000, 0, 0), MVector(3e-9, 0, 0)}));
    run("setAttr morph.weight[0] 0.1; setAttr morph.envelope 0.7;"
        "setAttr morph.weightList[0].weights[0] 0.9;"
        "setAttr morph.it[0].bw[0] 0.3;"
        "setAttr morph.it[0].itg[0].tw[0] 0.6;");

    // The reference: base, target and (envelope x deformer) weights as floats, then the factor.
    const float pointWeight = 0.3f * 0.6f * (0.7f * 0.9f);
    const double singleShift = static_cast<double>(0.1f * pointWeight) * 1000.0;
    const double doubleShift = 0.1 * 0.3 * 0.6 * 0.7 * 0.9 * 1000.0;
    ASSERT_GT(std::fabs(singleShift - doubleShift), 1e-7) << "the two precisions must be told apart";
    const MPointArray moved = points("base");
    EXPECT_NEAR(moved[0].x, rest[0].x + singleShift, 1e-9);

    // A delta far below float resolution of the coordinate survives the double sum.
    run("setAttr morph.weight[0] 1; setAttr morph.envelope 1;");
    const double tiny = points("base")[1].x - rest[1].x;
    EXPECT_NEAR(tiny, 3e-9, 1e-15);
}

// The weight array is sized by the last target; weights without a target and targets without a
// weight element do nothing. Items 5000 and 0 stand for the rest shape.
TEST_F(PluginScene, OnlyTargetsWithASetWeightAndRealItemsContribute) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {0}, {MVector(1, 0, 0)}));
    run(itemArrays("morph.it[0].itg[2].iti[6000]", {1}, {MVector(0, 1, 0)}));
    // Target 0 never gets a weight element: it reads 0, not the -9999 a fresh element shows.
    run("setAttr morph.weight[2] 0.5; setAttr morph.weight[3] 1; setAttr morph.weight[40] 1;");
    EXPECT_EQ(result("getAttr morph.weight[0]"), "-9999");
    expectMoved(rest, points("base"), {{1, {0, 0.5, 0}}});

    // Targets made of a lone rest item contribute nothing at any weight.
    run(itemArrays("morph.it[0].itg[3].iti[5000]", {2}, {MVector(0, 0, 1)}));
    run(itemArrays("morph.it[0].itg[4].iti[0]", {3}, {MVector(0, 0, 1)}));
    run("setAttr morph.weight[4] 1;");
    expectMoved(rest, points("base"), {{1, {0, 0.5, 0}}});

    // Next to a full item, the rest item still adds nothing: at weight 1 the full delta alone.
    run(itemArrays("morph.it[0].itg[5].iti[5000]", {2}, {MVector(0, 0, 7)}));
    run(itemArrays("morph.it[0].itg[5].iti[6000]", {2}, {MVector(0, 0, 1)}));
    run("setAttr morph.weight[5] 1;");
    expectMoved(rest, points("base"), {{1, {0, 0.5, 0}}, {2, {0, 0, 1}}});
}

// The weight caches are re-read when the point count changes, so weights of points that did not
// exist before apply, and nothing is read past the end when the count shrinks again.
TEST_F(PluginScene, APointCountChangeReReadsEveryWeight) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n bigger;");
    const MPointArray small = points("base");
    const MPointArray big = points("bigger");
    ASSERT_EQ(small.length(), 4u);
    ASSERT_EQ(big.length(), 9u);
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {1, 6}, {MVector(0, 1, 0), MVector(0, 8, 0)}));
    run(itemArrays("morph.it[0].itg[1].iti[6000]", {7}, {MVector(0, 0, 8)}));
    run("setAttr morph.weight[0] 1; setAttr morph.weight[1] 0;"
        "setAttr morph.weightList[0].weights[6] 0.5;"
        "setAttr morph.it[0].bw[6] 0.5;"
        "setAttr morph.it[0].itg[0].tw[6] 0.5;"
        "setAttr morph.it[0].itg[1].tw[7] 0.25;");
    // Four points: index 6 lies outside and is skipped.
    expectMoved(small, points("base"), {{1, {0, 1, 0}}});

    // Nine points (target 1 still at weight 0 during this evaluation).
    run("connectAttr -f biggerShape.worldMesh[0] morph.input[0].inputGeometry;");
    expectMoved(big, points("base"), {{1, {0, 1, 0}}, {6, {0, 8 * 0.125, 0}}});
    // Target 1's weights are first needed now, at the new count.
    run("setAttr morph.weight[1] 1;");
    expectMoved(big, points("base"), {{1, {0, 1, 0}}, {6, {0, 1, 0}}, {7, {0, 0, 2}}});

    // Back to four points: the longer caches are not used for the shorter geometry.
    run("connectAttr -f baseShapeOrig.worldMesh[0] morph.input[0].inputGeometry;");
    expectMoved(small, points("base"), {{1, {0, 1, 0}}});
    run("setAttr morph.it[0].bw[1] 0.5;");
    expectMoved(small, points("base"), {{1, {0, 0.5, 0}}});
}

// With the envelope at 0 nothing is evaluated, not even a requested rebind; it runs once the
// envelope is raised.
TEST_F(PluginScene, AZeroEnvelopeDefersEveryCacheRebuild) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n target;"
        "move -r 0 2 0 target.vtx[3];");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base; setAttr morph.weight[0] 0.5; setAttr morph.envelope 0;"
        "connectAttr targetShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt; setAttr morph.rebind 1;");
    const std::string done = "KivoMorph 'morph': Rebind has been successfully completed.";
    expectMoved(rest, points("base"), {}, 0.0);
    EXPECT_EQ(count(khost::Message::Info, done), 0u);
    EXPECT_EQ(result("getAttr morph.rebind"), "1");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].tib"), "0");

    run("setAttr morph.envelope 1;");
    expectMoved(rest, points("base"), {{3, {0, 1, 0}}});
    EXPECT_EQ(count(khost::Message::Info, done), 1u);
    EXPECT_EQ(result("getAttr morph.rebind"), "0");
    run("setAttr morph.weight[0] 1;");
    expectMoved(rest, points("base"), {{3, {0, 2, 0}}});
    EXPECT_EQ(count(khost::Message::Info, done), 1u);
}
