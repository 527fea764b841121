// Stored item arrays come from scene files and scripts: entries that cannot be applied are skipped
// (and said once per item), the rest still deforms, and nothing is read or written out of bounds.
#include "PluginScene.h"
#include <climits>

namespace {

std::string skippedWarning(const std::string& node, const std::string& item) {
    return "KivoMorph '" + node + "': " + item +
           " holds point indices outside the geometry or fewer deltas than indices; those entries are "
           "skipped.";
}

size_t warnings() {
    size_t n = 0;
    for (const khost::Message& m : khost::Messages::instance().captured())
        n += m.kind == khost::Message::Warning ? 1 : 0;
    return n;
}

} // namespace

TEST_F(PluginScene, OutOfRangeIndicesAreSkippedAndSaidOncePerItem) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {-1, 0, 4, 2, INT_MIN, 1000000, INT_MAX, 3},
                   {MVector(9, 9, 9), MVector(0, 1, 0), MVector(9, 9, 9), MVector(0, 2, 0), MVector(9, 9, 9),
                    MVector(9, 9, 9), MVector(9, 9, 9), MVector(0, 3, 0)}));
    run("setAttr morph.weight[0] 1;");

    MPointArray moved = points("base");
    ASSERT_EQ(moved.length(), 4u);
    EXPECT_POINT_NEAR(moved[0], rest[0].x, rest[0].y + 1, rest[0].z);
    EXPECT_POINT_NEAR(moved[1], rest[1].x, rest[1].y, rest[1].z);
    EXPECT_POINT_NEAR(moved[2], rest[2].x, rest[2].y + 2, rest[2].z);
    EXPECT_POINT_NEAR(moved[3], rest[3].x, rest[3].y + 3, rest[3].z);
    const std::string warning =
        skippedWarning("morph", "inputTarget[0].inputTargetGroup[0].inputTargetItem[6000]");
    EXPECT_EQ(count(khost::Message::Warning, warning), 1u);
    EXPECT_EQ(warnings(), 1u);

    // Later evaluations skip the same entries without saying it again.
    for (const char* weight : {"0.5", "0.25", "1"}) {
        run(std::string("setAttr morph.weight[0] ") + weight + ";");
        points("base");
    }
    EXPECT_EQ(count(khost::Message::Warning, warning), 1u);
    EXPECT_EQ(warnings(), 1u);
    EXPECT_POINT_NEAR(points("base")[3], rest[3].x, rest[3].y + 3, rest[3].z);
}

TEST_F(PluginScene, IndicesWithoutDeltasAreSkippedAndTheOthersApply) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;");
    // Three indices but one delta: only point 1 has an offset to apply.
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {1, 2, 3}, {MVector(1, 0, 0)}));
    // No deltas at all.
    run(itemArrays("morph.it[0].itg[1].iti[6000]", {0, 2}, {}));
    // Indices but no delta array, and deltas but no index array: nothing to apply, nothing wrong.
    run("setAttr morph.it[0].itg[2].iti[6000].ipit -type \"Int32Array\" 2 0 1;"
        "setAttr morph.it[0].itg[3].iti[6000].ipt -type \"pointArray\" 1 5 5 5 1;");
    run("setAttr morph.weight[0] 0.5; setAttr morph.weight[1] 1; setAttr morph.weight[2] 1;"
        "setAttr morph.weight[3] 1;");

    const MPointArray moved = points("base");
    EXPECT_POINT_NEAR(moved[0], rest[0].x, rest[0].y, rest[0].z);
    EXPECT_POINT_NEAR(moved[1], rest[1].x + 0.5, rest[1].y, rest[1].z);
    EXPECT_POINT_NEAR(moved[2], rest[2].x, rest[2].y, rest[2].z);
    EXPECT_POINT_NEAR(moved[3], rest[3].x, rest[3].y, rest[3].z);
    EXPECT_EQ(count(khost::Message::Warning,
                    skippedWarning("morph", "inputTarget[0].inputTargetGroup[0].inputTargetItem[6000]")),
              1u);
    EXPECT_EQ(count(khost::Message::Warning,
                    skippedWarning("morph", "inputTarget[0].inputTargetGroup[1].inputTargetItem[6000]")),
              1u);
    EXPECT_EQ(warnings(), 2u);
    run("setAttr morph.weight[0] 1;");
    EXPECT_POINT_NEAR(points("base")[1], rest[1].x + 1, rest[1].y, rest[1].z);
    EXPECT_EQ(warnings(), 2u);
}

// Inbetweens read their stored entries through a per-point lookup; bad entries there must be
// skipped as well, whichever blend the target uses.
TEST_F(PluginScene, OutOfRangeIndicesInInbetweensStayInBounds) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[5500]", {-3, 1, 77, 2}, {MVector(9, 9, 9), MVector(0, 1, 0)}));
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {1, 12, -1}, {MVector(0, 2, 0), MVector(9, 9, 9)}));
    run("setAttr morph.weight[0] 1;");
    for (const char* bezier : {"0", "1"}) {
        SCOPED_TRACE(bezier);
        run(std::string("setAttr morph.it[0].itg[0].tbb ") + bezier + ";");
        const MPointArray moved = points("base");
        // At weight 1 both blends reach the full item exactly; points 0, 2 and 3 have no full delta.
        EXPECT_POINT_NEAR(moved[1], rest[1].x, rest[1].y + 2, rest[1].z);
        for (unsigned int i : {0u, 2u, 3u})
            EXPECT_POINT_NEAR(moved[i], rest[i].x, rest[i].y, rest[i].z);
    }
    EXPECT_EQ(count(khost::Message::Warning,
                    skippedWarning("morph", "inputTarget[0].inputTargetGroup[0].inputTargetItem[6000]")),
              1u);
}

TEST_F(PluginScene, ChangingPrecisionOrSpaceKeepsDeformingFromStoredDeltas) {
    // No target has geometry: nothing can be re-encoded, and the stored deltas stay in use.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {2}, {MVector(0, 2, 0)}));
    run("setAttr morph.weight[0] 0.5;");
    EXPECT_POINT_NEAR(points("base")[2], rest[2].x, rest[2].y + 1, rest[2].z);

    const std::string fallback =
        "KivoMorph 'morph': no target could be encoded from its geometry; the stored deltas are used.";
    run("setAttr morph.precision 0.01;");
    EXPECT_POINT_NEAR(points("base")[2], rest[2].x, rest[2].y + 1, rest[2].z);
    EXPECT_EQ(count(khost::Message::Warning, fallback), 1u);
    run("setAttr morph.weight[0] 1;");
    EXPECT_POINT_NEAR(points("base")[2], rest[2].x, rest[2].y + 2, rest[2].z);
    EXPECT_EQ(count(khost::Message::Warning, fallback), 1u) << "said once per change, not per evaluation";

    run("setAttr morph.origin 0;");
    EXPECT_POINT_NEAR(points("base")[2], rest[2].x, rest[2].y + 2, rest[2].z);
    EXPECT_EQ(count(khost::Message::Warning, fallback), 2u);
}

TEST_F(PluginScene, ATargetAtAHugeLogicalIndexCostsNoMoreThanAnyOther) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base;");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;" +
        itemArrays("morph.it[0].itg[999999999].iti[6000]", {1}, {MVector(0, 2, 0)}) +
        itemArrays("morph.it[0].itg[3].iti[6000]", {2}, {MVector(0, 0, 4)}) +
        "setAttr morph.weight[999999999] 0.5; setAttr morph.weight[3] 0.25; setAttr morph.weight[4] 1;");
    const MPointArray moved = points("base");
    EXPECT_POINT_NEAR(moved[1], rest[1].x, rest[1].y + 1, rest[1].z);
    EXPECT_POINT_NEAR(moved[2], rest[2].x, rest[2].y, rest[2].z + 1);
}

TEST_F(PluginScene, NumbersThatAreNotFiniteNeverReachTheSceneFile) {
    // Two finite points whose difference is not.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n tgt;"
        "move -a 0 -1.5e308 0 base.vtx[1]; move -a 0 1.5e308 0 tgt.vtx[1];"
        "deformer -type kivoMorph -n morph base;"
        "connectAttr tgtShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt;");
    const std::string before = sceneText();
    EXPECT_FALSE(khost::executeStatement("setAttr morph.envelope 1e39"));
    EXPECT_EQ(sceneText(), before);

    // The encoded delta overflows: the scene that holds it cannot be saved, and the file saved
    // before stays as it was.
    const std::string path = ::testing::TempDir() + "not_finite_delta.ma";
    run("file -save \"" + path + "\"; setAttr morph.rebind 1;");
    points("base");
    clearMessages();
    EXPECT_FALSE(khost::executeStatement("file -save \"" + path + "\";"));
    EXPECT_EQ(errors(), std::vector<std::string>{"file: Cannot save '" + path +
                                                 "': 'morph.inputTarget[0].inputTargetGroup[0]."
                                                 "inputTargetItem[6000].inputPointsTarget' holds a number "
                                                 "that is not finite."});
    run("file -new; file -open \"" + path + "\";");
    EXPECT_EQ(result("getAttr morph.rebind"), "0");
}
