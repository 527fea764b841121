// Several geometries on one node, and encoded targets surviving a scene file.
#include "PluginScene.h"

#include <string>

class RebindScene : public PluginScene {
protected:
    MVector offset(const std::string& shape, unsigned int i, const MPointArray& rest) {
        return points(shape)[i] - rest[i];
    }
};

#define EXPECT_OFFSET(v, ex, ey, ez) EXPECT_POINT_NEAR(MPoint(v), ex, ey, ez)

TEST_F(RebindScene, TwoGeometriesKeepTheirOwnTargetsCachesAndWeights) {
    // Two planes with equal point counts, each with its own target 0.
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n baseA; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n baseB;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtB;"
        "deformer -type kivoMorph -n m baseA baseB;"
        "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;"
        "connectAttr tgtBShape.worldMesh[0] m.it[1].itg[0].iti[6000].igt;");
    const MPointArray restA = points("baseA");
    const MPointArray restB = points("baseB");
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 2 0 0 tgtB.vtx[5]; setAttr m.rebind 1; setAttr m.weight[0] 0.5;");
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 0.5, 0);
    EXPECT_OFFSET(offset("baseA", 5, restA), 0, 0, 0);
    EXPECT_OFFSET(offset("baseB", 5, restB), 1, 0, 0);
    EXPECT_OFFSET(offset("baseB", 4, restB), 0, 0, 0);
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 1u);
    EXPECT_EQ(result("getAttr m.it[1].itg[0].iti[6000].ipit"), "5");

    // Rebinding target 0 of geometry 1 leaves target 0 of geometry 0 as it was encoded.
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 2 0 0 tgtB.vtx[5]; setAttr m.it[1].itg[0].trb 1;");
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 0.5, 0);
    EXPECT_OFFSET(offset("baseB", 5, restB), 2, 0, 0);

    // Per-point weights belong to their geometry.
    run("setAttr m.it[1].itg[0].tw[5] 0.5;");
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 0.5, 0);
    EXPECT_OFFSET(offset("baseB", 5, restB), 1, 0, 0);
    run("setAttr m.it[0].bw[4] 0.5; setAttr m.weightList[1].weights[5] 0.5;");
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 0.25, 0);
    EXPECT_OFFSET(offset("baseB", 5, restB), 0.5, 0, 0);

    // In world space each geometry is encoded against its own transform: baseB and its target
    // moved together leave only the vertex edits as deltas.
    run("move -a 10 0 0 baseB; move -a 10 0 0 tgtB; setAttr m.origin 0;");
    EXPECT_OFFSET(offset("baseB", 5, restB), 0.5, 0, 0);
    EXPECT_OFFSET(offset("baseB", 4, restB), 0, 0, 0);
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 0.5, 0);
}

TEST_F(RebindScene, AReopenedSceneDeformsFromItsStoredArrays) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA;"
        "deformer -type kivoMorph -n m base;"
        "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;");
    const MPointArray rest = points("base");
    // Target 1 exists only as stored arrays, with no geometry.
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 0 0 1 tgtA.vtx[0]; setAttr m.rebind 1; setAttr m.weight[0] 0.5;" +
        itemArrays("m.it[0].itg[1].iti[6000]", {8}, {MVector(3, 0, 0)}) + "setAttr m.weight[1] 1;");
    const MPointArray before = points("base");
    EXPECT_OFFSET(before[4] - rest[4], 0, 0.5, 0);
    EXPECT_OFFSET(before[8] - rest[8], 3, 0, 0);
    // An edit not yet rebound: the file holds the old encoding, which must stay in use.
    run("move -r 0 1 0 tgtA.vtx[4];");

    const std::string path = ::testing::TempDir() + "rebind_scene_test.ma";
    run("file -save \"" + path + "\"; file -new; file -open \"" + path + "\";");
    clearMessages();
    const MPointArray after = points("base");
    ASSERT_EQ(after.length(), before.length());
    for (unsigned int i = 0; i < after.length(); ++i) {
        EXPECT_POINT_NEAR(after[i], before[i].x, before[i].y, before[i].z);
    }
    EXPECT_TRUE(khost::Messages::instance().captured().empty());
    EXPECT_EQ(result("getAttr m.rebind"), "0");
    EXPECT_EQ(result("getAttr m.it[0].itg[0].tib"), "1");

    // The stored arrays stand in for the cache: an edited target still waits for its rebind.
    run("move -r 0 1 0 tgtA.vtx[4];");
    EXPECT_OFFSET(points("base")[4] - rest[4], 0, 0.5, 0);
    run("setAttr m.it[0].itg[0].trb 1;");
    EXPECT_OFFSET(points("base")[4] - rest[4], 0, 1.5, 0);
    EXPECT_OFFSET(points("base")[8] - rest[8], 3, 0, 0);
}

TEST_F(RebindScene, AGeometryWithNothingToEncodeDoesNotStopTheOthers) {
    // Geometry 0 holds only stored deltas; geometry 1 has a connected target.
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n baseA; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n baseB;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtB; deformer -type kivoMorph -n m baseA baseB;"
        "connectAttr tgtBShape.worldMesh[0] m.it[1].itg[0].iti[6000].igt;");
    const MPointArray restA = points("baseA");
    const MPointArray restB = points("baseB");
    run("setAttr m.weight[0] 1;" + itemArrays("m.it[0].itg[0].iti[6000]", {4}, {MVector(0, 3, 0)}) +
        "move -r 0 0.005 0 tgtB.vtx[5]; move -r 0 1 0 tgtB.vtx[4]; setAttr m.rebind 1;");
    EXPECT_OFFSET(offset("baseB", 4, restB), 0, 1, 0);
    EXPECT_OFFSET(offset("baseB", 5, restB), 0, 0.005, 0);
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 3, 0);
    EXPECT_EQ(result("getAttr m.rebind"), "0");
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 1u);
    // Geometry 0's item says it has no geometry, and nothing claims that nothing was encoded.
    EXPECT_EQ(count(khost::Message::Warning, " Target object is null. "), 1u);
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(khost::Messages::instance().captured().size(), 2u);

    // A precision change re-encodes geometry 1: its small move falls within the new tolerance.
    run("setAttr m.precision 0.01;");
    EXPECT_OFFSET(offset("baseB", 5, restB), 0, 0, 0);
    EXPECT_OFFSET(offset("baseB", 4, restB), 0, 1, 0);
    EXPECT_OFFSET(offset("baseA", 4, restA), 0, 3, 0);
    EXPECT_EQ(count(khost::Message::Warning, " Target object is null. "), 2u);
    EXPECT_EQ(khost::Messages::instance().captured().size(), 3u);
}

TEST_F(RebindScene, ATargetRebindSavedInTheSceneIsCarriedOutAfterOpening) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgt;"
        "deformer -type kivoMorph -n m base; connectAttr tgtShape.worldMesh[0] "
        "m.it[0].itg[0].iti[6000].igt;");
    const MPointArray rest = points("base");
    run("setAttr m.weight[0] 1; move -r 0 1 0 tgt.vtx[4]; setAttr m.rebind 1;");
    EXPECT_OFFSET(points("base")[4] - rest[4], 0, 1, 0);
    // Saved with the request on and not yet carried out.
    run("move -r 0 1 0 tgt.vtx[4]; setAttr m.it[0].itg[0].trb 1;");
    const std::string path = ::testing::TempDir() + "rebind_request_scene.ma";
    run("file -save \"" + path + "\"; file -new; file -open \"" + path + "\";");
    EXPECT_OFFSET(points("base")[4] - rest[4], 0, 2, 0);
    EXPECT_EQ(result("getAttr m.it[0].itg[0].trb"), "0");
}
