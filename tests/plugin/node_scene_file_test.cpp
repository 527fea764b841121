// A saved scene reopens into the same deformation: the stored item arrays, the weights of every
// kind, aliases and the node's settings all come back from the file.
#include "PluginScene.h"
#include <cstdio>

namespace {

void expectSamePoints(const MPointArray& before, const MPointArray& after, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(after.length(), before.length());
    for (unsigned int i = 0; i < before.length(); ++i) {
        EXPECT_EQ(after[i].x, before[i].x) << "point " << i;
        EXPECT_EQ(after[i].y, before[i].y) << "point " << i;
        EXPECT_EQ(after[i].z, before[i].z) << "point " << i;
    }
}

} // namespace

TEST_F(PluginScene, AReopenedSceneDeformsIdentically) {
    // A translated, rotated mesh evaluated in world space, with a target encoded from geometry.
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; rotate 0 45 0 base; move -a 1 0 2 base;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n smileTarget; move -a 0 1 0 smileTarget;"
        "move -r 0 0.5 0 smileTarget.vtx[4];"
        "deformer -type kivoMorph -n morph base; setAttr morph.origin 0;"
        "connectAttr smileTargetShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt;"
        "setAttr morph.rebind 1;");
    run(itemArrays("morph.it[0].itg[1].iti[6000]", {2, 6, 7},
                   {MVector(0.1, 0, 0), MVector(0, 0.3, 0), MVector(0, 0, -0.7)}));
    run("aliasAttr smile morph.weight[0];"
        "setAttr morph.smile 0.6; setAttr morph.weight[1] -0.35; setAttr morph.envelope 0.9;"
        "setAttr morph.weightList[0].weights[4] 0.3; setAttr morph.it[0].bw[6] 0.7;"
        "setAttr morph.it[0].itg[0].tw[4] 0.45; setAttr morph.it[0].itg[1].tw[7] 0.2;");
    // A NURBS curve on a second node.
    run("curve -d 1 -p 0 0 0 -p 1 0 0 -p 2 0 0 -n c; deformer -type kivoMorph -n curveMorph c;");
    run(itemArrays("curveMorph.it[0].itg[2].iti[6000]", {1, 2}, {MVector(0, 1, 0), MVector(0, 0, 1)}));
    run("setAttr curveMorph.weight[2] 0.4; setAttr curveMorph.it[0].bw[2] 0.5;");

    const MPointArray base = points("base");
    const MPointArray baseWorld = points("base", MSpace::kWorld);
    const MPointArray curve = points("c");
    // The scene must actually be deformed for the comparison to mean anything.
    run("setAttr morph.envelope 0;");
    EXPECT_GT(points("base")[7].distanceTo(base[7]), 0.1);
    run("setAttr morph.envelope 0.9;");

    const std::string path = ::testing::TempDir() + "kivo_node_scene_file_test.ma";
    run("file -save \"" + path + "\";");
    run("file -new;");
    EXPECT_EQ(node("morph"), nullptr);
    run("file -open \"" + path + "\";");
    std::remove(path.c_str());

    expectSamePoints(base, points("base"), "base, object space");
    expectSamePoints(baseWorld, points("base", MSpace::kWorld), "base, world space");
    expectSamePoints(curve, points("c"), "curve");
    EXPECT_EQ(result("getAttr morph.smile"), "0.6");
    EXPECT_EQ(result("getAttr morph.origin"), "0");
    EXPECT_EQ(result("getAttr morph.rebind"), "0");

    // The reopened node still follows its weights.
    run("setAttr morph.weight[1] 0;");
    EXPECT_NE(points("base")[7].z, base[7].z);
}

// Targets deleted after encoding: the stored arrays alone carry the deformation into the file,
// in object space and in world space alike.
TEST_F(PluginScene, AReopenedSceneWithoutItsTargetsDeformsFromTheStoredArrays) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgt;"
        "move -r 0 1 0 tgt.vtx[0]; move -r 0 0 -2 tgt.vtx[8];");
    const MPointArray rest = points("base");
    run("deformer -type kivoMorph -n morph base;"
        "connectAttr tgtShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt;"
        "setAttr morph.rebind 1; setAttr morph.weight[0] 0.5;");
    const MPointArray base = points("base");
    EXPECT_NEAR(base[8].z, rest[8].z - 1, 1e-12);
    run("delete tgt;");
    expectSamePoints(base, points("base"), "base after deleting the target");

    const std::string path = ::testing::TempDir() + "kivo_node_scene_file_targets_deleted.ma";
    run("file -save \"" + path + "\"; file -new; file -open \"" + path + "\";");
    std::remove(path.c_str());
    EXPECT_EQ(node("tgt"), nullptr);
    expectSamePoints(base, points("base"), "base");
    run("setAttr morph.weight[0] 1;");
    EXPECT_NEAR(points("base")[0].y, rest[0].y + 1, 1e-12);
}

TEST_F(PluginScene, AReopenedWorldSpaceSceneWithoutItsTargetsDeformsIdentically) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; rotate 0 90 0 base; move -a 3 0 0 base;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgt; move -a 0 2 0 tgt; move -r 0 1 0 tgt.vtx[4];"
        "deformer -type kivoMorph -n morph base; setAttr morph.origin 0;"
        "connectAttr tgtShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt;"
        "setAttr morph.rebind 1; setAttr morph.weight[0] 0.5;");
    const MPointArray base = points("base");
    const MPointArray baseWorld = points("base", MSpace::kWorld);
    run("delete tgt;");

    const std::string path = ::testing::TempDir() + "kivo_node_scene_file_world_targets_deleted.ma";
    run("file -save \"" + path + "\"; file -new; file -open \"" + path + "\";");
    std::remove(path.c_str());
    expectSamePoints(base, points("base"), "base, object space");
    expectSamePoints(baseWorld, points("base", MSpace::kWorld), "base, world space");
}
