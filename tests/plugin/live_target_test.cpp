// Live targets: deltas encoded from the target geometry at every evaluation, without rebind.
#include "PluginScene.h"

#include <string>

class LiveTarget : public PluginScene {
protected:
    MVector offset(const std::string& shape, unsigned int i) { return points(shape)[i] - rest[i]; }

    MPointArray rest;
};

#define EXPECT_OFFSET(v, ex, ey, ez) EXPECT_POINT_NEAR(MPoint(v), ex, ey, ez)

TEST_F(LiveTarget, FollowsEveryEditWithoutRebindUntilTurnedOff) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA;"
        "deformer -type kivoMorph -n m base;"
        "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;");
    rest = points("base");
    run("setAttr m.it[0].itg[0].tbl 1; setAttr m.weight[0] 0.5;");
    for (int frame = 1; frame <= 4; ++frame) {
        SCOPED_TRACE(frame);
        run("move -r 0 1 0 tgtA.vtx[4];");
        EXPECT_OFFSET(offset("base", 4), 0, 0.5 * frame, 0);
        // Each evaluation writes what it encoded into the item for the GPU path.
        EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "4");
        EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipt"), "0 " + std::to_string(frame) + " 0 1");
    }
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 0u);

    // Turning live off encodes the target as it is now, and later edits wait for a rebind.
    run("setAttr m.it[0].itg[0].tbl 0;");
    EXPECT_OFFSET(offset("base", 4), 0, 2, 0);
    run("move -r 0 1 0 tgtA.vtx[4];");
    EXPECT_OFFSET(offset("base", 4), 0, 2, 0);

    // A live item without geometry is skipped at every evaluation.
    run("setAttr m.it[0].itg[0].tbl 1;" + itemArrays("m.it[0].itg[1].iti[6000]", {1}, {MVector(0, 9, 0)}) +
        "setAttr m.it[0].itg[1].tbl 1; setAttr m.weight[1] 1;");
    // The first evaluation also re-encodes the target whose live setting changed.
    points("base");
    clearMessages();
    run("move -r 0 1 0 tgtA.vtx[4];");
    EXPECT_OFFSET(offset("base", 1), 0, 0, 0);
    EXPECT_OFFSET(offset("base", 4), 0, 3, 0);
    EXPECT_EQ(count(khost::Message::Warning, " Target object is null. "), 1u);
    EXPECT_EQ(count(khost::Message::Warning, " Live blend failed !"), 1u);
}

TEST_F(LiveTarget, LiveCurveTargetComparesCvsIndexByIndex) {
    run("circle -r 1 -s 8 -nr 0 1 0 -n base; circle -r 1 -s 8 -nr 0 1 0 -n tgtC;"
        "deformer -type kivoMorph -n m base;"
        "connectAttr tgtCShape.worldSpace[0] m.it[0].itg[0].iti[6000].igt;"
        "setAttr m.it[0].itg[0].tbl 1; setAttr m.weight[0] 1;");
    rest = points("tgtC");
    for (int frame = 1; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        run("move -r 0 0.5 0 tgtC.cv[5]; move -r 0.25 0 0 tgtC.cv[3];");
        EXPECT_OFFSET(offset("base", 5), 0, 0.5 * frame, 0);
        EXPECT_OFFSET(offset("base", 3), 0.25 * frame, 0, 0);
        EXPECT_OFFSET(offset("base", 4), 0, 0, 0);
    }
}

TEST_F(LiveTarget, LiveBezierInbetweensKeepOnlyMovingPoints) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtB; deformer -type kivoMorph -n m base;"
        "connectAttr tgtBShape.worldMesh[0] m.it[0].itg[0].iti[5500].igt;"
        "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;");
    rest = points("base");
    run("setAttr m.it[0].itg[0].tbl 1; setAttr m.it[0].itg[0].tbb 1; setAttr m.it[0].itg[0].tc 0.5;"
        "move -r 0 1 0 tgtB.vtx[4]; move -r 0 2 0 tgtA.vtx[4]; move -r 0 0 4 tgtA.vtx[1];"
        "setAttr m.weight[0] 0.5;");
    // s = 1, t = 0.5: 0.5 D + 0.25 B, D being zero where the inbetween does not move.
    EXPECT_OFFSET(offset("base", 4), 0, 1, 0);
    EXPECT_OFFSET(offset("base", 1), 0, 0, 1);
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[5500].ipit"), "4");
    // Editing the inbetween reshapes the curve at once.
    run("move -r 0 2 0 tgtB.vtx[4]; move -r 0 0 2 tgtB.vtx[1];");
    EXPECT_OFFSET(offset("base", 4), 0, 2, 0);
    EXPECT_OFFSET(offset("base", 1), 0, 0, 2);
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[5500].ipit"), "1 4");
}

TEST_F(LiveTarget, ATargetWithFewerPointsMovesOnlyThePointsItHasAndWarnsOnce) {
    // The base has 9 vertices, the target 4: vertices 0 to 3 are compared index by index.
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n small;"
        "deformer -type kivoMorph -n m base;"
        "connectAttr smallShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;"
        "setAttr m.it[0].itg[0].tbl 1; setAttr m.weight[0] 1;");
    rest = points("base");
    const std::string warning = "KivoMorph 'm': the target geometry of "
                                "inputTarget[0].inputTargetGroup[0].inputTargetItem[6000] has 4 points, "
                                "fewer than the 9 of the base geometry; the points beyond get no delta.";
    for (int frame = 1; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        run("move -r 0 1 0 small.vtx[3];");
        const MPointArray target = points("small");
        const MPointArray deformed = points("base");
        for (unsigned int i = 0; i < 4; ++i) {
            EXPECT_POINT_NEAR(deformed[i], target[i].x, target[i].y, target[i].z);
        }
        for (unsigned int i = 4; i < 9; ++i) {
            EXPECT_POINT_NEAR(deformed[i], rest[i].x, rest[i].y, rest[i].z);
        }
    }
    EXPECT_EQ(count(khost::Message::Warning, warning), 1u);
}
