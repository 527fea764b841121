// The target delta cache: target shapes connected to inputGeomTarget, encoded on rebind into
// the items' stored arrays and served from the cache until their target is rebound.
#include "PluginScene.h"

#include <maya/MDGModifier.h>

#include <string>

class TargetCache : public PluginScene {
protected:
    // A 3 x 3 plane "base" with a kivoMorph "m" whose targets 0 and 1 are the planes tgtA and
    // tgtB, connected at item 6000 and not yet encoded.
    void twoTargets() {
        run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA;"
            "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtB; deformer -type kivoMorph -n m base;"
            "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;"
            "connectAttr tgtBShape.worldMesh[0] m.it[0].itg[1].iti[6000].igt;"
            "setAttr m.weight[0] 1; setAttr m.weight[1] 1;");
        rest = points("base");
    }
    MVector offset(unsigned int i) { return points("base")[i] - rest[i]; }

    MPointArray rest;
};

#define EXPECT_OFFSET(v, ex, ey, ez) EXPECT_POINT_NEAR(MPoint(v), ex, ey, ez)

TEST_F(TargetCache, RebindEncodesEveryTargetOnceAndTurnsItselfOff) {
    twoTargets();
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 0 0.0005 0 tgtA.vtx[0]; move -r 1 0 0 tgtB.vtx[2];");
    // Nothing is encoded before the rebind, so nothing moves.
    EXPECT_OFFSET(offset(4), 0, 0, 0);
    EXPECT_EQ(result("getAttr m.it[0].itg[0].tib"), "0");

    const std::string done = "KivoMorph 'm': Rebind has been successfully completed.";
    run("setAttr m.rebind 1; setAttr m.weight[1] 0.5;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    EXPECT_OFFSET(offset(2), 0.5, 0, 0);
    // 0.0005 is within the default tolerance 0.001 and is dropped.
    EXPECT_OFFSET(offset(0), 0, 0, 0);
    EXPECT_EQ(count(khost::Message::Info, done), 1u);
    EXPECT_EQ(result("getAttr m.rebind"), "0");
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "4");
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipt"), "0 1 0 1");
    EXPECT_EQ(result("getAttr m.it[0].itg[1].iti[6000].ipit"), "2");
    EXPECT_EQ(result("getAttr m.it[0].itg[1].iti[6000].ipt"), "1 0 0 1");
    for (const char* group : {"m.it[0].itg[0]", "m.it[0].itg[1]"}) {
        EXPECT_EQ(result(std::string("getAttr ") + group + ".tib"), "1") << group;
        EXPECT_EQ(result(std::string("getAttr ") + group + ".trb"), "0") << group;
    }

    // Later evaluations reuse the cache without a message.
    run("setAttr m.weight[0] 0.25;");
    EXPECT_OFFSET(offset(4), 0, 0.25, 0);
    EXPECT_EQ(count(khost::Message::Info, done), 1u);
    // A second rebind encodes again and says so again.
    run("setAttr m.rebind 1;");
    EXPECT_OFFSET(offset(4), 0, 0.25, 0);
    EXPECT_EQ(count(khost::Message::Info, done), 2u);
}

TEST_F(TargetCache, ToleranceIsPrecisionTimesTargetPrecision) {
    twoTargets();
    // Moves of 1e-7, 0.003, 0.02 and 1 on vertices 3, 1, 2 and 4.
    run("move -r 0 0.0000001 0 tgtA.vtx[3]; move -r 0 0.003 0 tgtA.vtx[1]; move -r 0 0.02 0 tgtA.vtx[2];"
        "move -r 0 1 0 tgtA.vtx[4]; setAttr m.rebind 1;");
    const std::string indices = "getAttr m.it[0].itg[0].iti[6000].ipit";
    EXPECT_OFFSET(offset(1), 0, 0.003, 0);
    EXPECT_EQ(result(indices), "1 2 4");
    // targetPrecision 10: tolerance 0.01.
    run("setAttr m.it[0].itg[0].tp 10;");
    EXPECT_OFFSET(offset(1), 0, 0, 0);
    EXPECT_OFFSET(offset(2), 0, 0.02, 0);
    EXPECT_EQ(result(indices), "2 4");
    // precision 0.05 with targetPrecision 10: tolerance 0.5.
    run("setAttr m.precision 0.05;");
    EXPECT_OFFSET(offset(2), 0, 0, 0);
    EXPECT_EQ(result(indices), "4");
    // A zero factor keeps every point that moved at all, however little.
    run("setAttr m.it[0].itg[0].tp 0;");
    EXPECT_NEAR(offset(3).y, 1e-7, 1e-12);
    EXPECT_EQ(result(indices), "1 2 3 4");
    run("setAttr m.it[0].itg[0].tp 1; setAttr m.precision 0;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    EXPECT_EQ(result(indices), "1 2 3 4");
}

TEST_F(TargetCache, NullTargetGeometryIsSkippedAndAGeometryThatEncodesNothingFails) {
    twoTargets();
    run("move -r 0 1 0 tgtA.vtx[4];");
    // Item 5500 of target 0 only has stored arrays: its geometry is null.
    run(itemArrays("m.it[0].itg[0].iti[5500]", {4}, {MVector(0, 3, 0)}));
    run("setAttr m.rebind 1;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    EXPECT_EQ(count(khost::Message::Warning, " Target object is null. "), 1u);
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 1u);
    // The unencoded inbetween falls back to its stored arrays: at w = 0.5 it carries alone.
    run("setAttr m.weight[0] 0.5;");
    EXPECT_OFFSET(offset(4), 0, 3, 0);

    // A geometry whose only target has no geometry at all: the rebind fails, the geometry stays
    // undeformed even though stored arrays exist, and the request stays on.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n lone; deformer -type kivoMorph -n loneMorph lone;"
        "setAttr loneMorph.weight[0] 1;");
    const MPointArray loneRest = points("lone");
    run(itemArrays("loneMorph.it[0].itg[0].iti[6000]", {1}, {MVector(0, 2, 0)}));
    EXPECT_POINT_NEAR(points("lone")[1], loneRest[1].x, loneRest[1].y + 2, loneRest[1].z);
    clearMessages();
    run("setAttr loneMorph.rebind 1;");
    EXPECT_POINT_NEAR(points("lone")[1], loneRest[1].x, loneRest[1].y, loneRest[1].z);
    EXPECT_EQ(count(khost::Message::Warning, " Target object is null. "), 1u);
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'loneMorph': Rebind has been successfully completed."),
              0u);
    EXPECT_EQ(result("getAttr loneMorph.rebind"), "1");
    // Once the target has geometry the pending rebind completes.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n loneTarget; move -r 0 0 1 loneTarget.vtx[1];"
        "connectAttr loneTargetShape.worldMesh[0] loneMorph.it[0].itg[0].iti[6000].igt;");
    EXPECT_POINT_NEAR(points("lone")[1], loneRest[1].x, loneRest[1].y, loneRest[1].z + 1);
    EXPECT_EQ(result("getAttr loneMorph.rebind"), "0");
}

TEST_F(TargetCache, EditedTargetGeometryWaitsForItsTargetRebind) {
    twoTargets();
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 1 0 0 tgtB.vtx[2]; setAttr m.rebind 1;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 1 0 0 tgtB.vtx[2]; move -r 0 0 1 tgtA.vtx[0];");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    EXPECT_OFFSET(offset(0), 0, 0, 0);
    EXPECT_OFFSET(offset(2), 1, 0, 0);

    // Rebinding target 0 alone re-encodes it without the rebind message; target 1 keeps its
    // old deltas.
    clearMessages();
    run("setAttr m.it[0].itg[0].trb 1;");
    EXPECT_OFFSET(offset(4), 0, 2, 0);
    EXPECT_OFFSET(offset(0), 0, 0, 1);
    EXPECT_OFFSET(offset(2), 1, 0, 0);
    EXPECT_TRUE(khost::Messages::instance().captured().empty());
    EXPECT_EQ(result("getAttr m.it[0].itg[0].trb"), "0");
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "0 4");
}

TEST_F(TargetCache, ADirtyTargetDeletedBeforeTheNextEvaluationIsSkipped) {
    twoTargets();
    run("move -r 0 1 0 tgtA.vtx[4]; move -r 1 0 0 tgtB.vtx[2]; setAttr m.rebind 1;");
    EXPECT_OFFSET(offset(2), 1, 0, 0);
    run("move -r 0 1 0 tgtA.vtx[4]; setAttr m.it[0].itg[1].trb 1; setAttr m.it[0].itg[0].trb 1;");
    MDGModifier modifier;
    ASSERT_TRUE(modifier.removeMultiInstance(plug("m.it[0].itg[1]"), true));
    ASSERT_TRUE(modifier.doIt());
    clearMessages();
    EXPECT_OFFSET(offset(2), 0, 0, 0);
    // The other dirty target is still rebuilt.
    EXPECT_OFFSET(offset(4), 0, 2, 0);
    EXPECT_TRUE(errors().empty());
}

TEST_F(TargetCache, BezierInbetweensKeepEveryPointAndTheFullTargetOnlyMovingOnes) {
    twoTargets();
    // Target 0 becomes a Bezier target: tgtB is its inbetween 5500, tgtA its full shape.
    run("disconnectAttr tgtBShape.worldMesh[0] m.it[0].itg[1].iti[6000].igt;"
        "connectAttr tgtBShape.worldMesh[0] m.it[0].itg[0].iti[5500].igt;"
        "setAttr m.it[0].itg[0].tbb 1; setAttr m.it[0].itg[0].tc 0.5;"
        "move -r 0 1 0 tgtB.vtx[4]; move -r 0 2 0 tgtA.vtx[4]; move -r 0 0 4 tgtA.vtx[1];"
        "setAttr m.rebind 1;");
    points("base");
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[5500].ipit"), "0 1 2 3 4 5 6 7 8");
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "1 4");
    // s = 1 and t = 0.5: 0.5 C + 0.25 B with C the inbetween delta, zero at vertex 1.
    run("setAttr m.weight[0] 0.5;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    EXPECT_OFFSET(offset(1), 0, 0, 1);
}

TEST_F(TargetCache, ACachedTargetWhoseItemsChangeIsEncodedAgain) {
    twoTargets();
    run("move -r 0 2 0 tgtA.vtx[4]; move -r 0.5 0 0 tgtB.vtx[4]; setAttr m.rebind 1; setAttr m.weight[1] 0;"
        "setAttr m.weight[0] 0.5;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    // tgtB becomes target 0's inbetween at 0.5: it alone shapes the target at w = 0.5, with no
    // rebind asked for, and the full item's deltas are not counted twice.
    run("disconnectAttr tgtBShape.worldMesh[0] m.it[0].itg[1].iti[6000].igt;"
        "connectAttr tgtBShape.worldMesh[0] m.it[0].itg[0].iti[5500].igt;");
    EXPECT_OFFSET(offset(4), 0.5, 0, 0);
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[5500].ipit"), "4");
    run("setAttr m.weight[0] 1;");
    EXPECT_OFFSET(offset(4), 0, 2, 0);
    // Removing the inbetween again takes target 0 back to the straight line.
    run("removeMultiInstance -b true m.it[0].itg[0].iti[5500]; setAttr m.weight[0] 0.5;");
    EXPECT_OFFSET(offset(4), 0, 1, 0);
    // Undo brings the inbetween back, and the target follows it again.
    run("undo; undo; setAttr m.weight[0] 0.5;");
    EXPECT_OFFSET(offset(4), 0.5, 0, 0);
}

TEST_F(TargetCache, ARebindOverManyTargetsEncodesEachOnce) {
    // Enough targets that marking the whole target array clean after each of them would cost
    // seconds; once per rebuild it costs nothing.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n tgt;"
        "deformer -type kivoMorph -n m base; move -r 0 1 0 tgt.vtx[2];");
    rest = points("base");
    const int groups = 3000;
    MDGModifier modifier;
    for (int t = 0; t < groups; ++t) {
        ASSERT_TRUE(modifier.connect(plug("tgtShape.worldMesh[0]"),
                                     plug("m.it[0].itg[" + std::to_string(t) + "].iti[6000].igt")));
    }
    ASSERT_TRUE(modifier.doIt());
    run("setAttr m.weight[2999] 0.5; setAttr m.rebind 1;");
    EXPECT_OFFSET(offset(2), 0, 0.5, 0);
    EXPECT_EQ(result("getAttr m.it[0].itg[1234].iti[6000].ipit"), "2");
    EXPECT_EQ(result("getAttr m.it[0].itg[2999].tib"), "1");
}
