// Which caches each attribute change rebuilds, seen through the deformed points: two targets
// whose geometry keeps changing show whether each one was re-encoded.
#include "PluginScene.h"

#include <string>

class DirtyPropagation : public PluginScene {
protected:
    // Target 0 (tgtA) lifts vertex 4, target 1 (tgtB) shifts vertex 2, both encoded.
    void encodedTargets() {
        run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA;"
            "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtB; deformer -type kivoMorph -n m base;"
            "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;"
            "connectAttr tgtBShape.worldMesh[0] m.it[0].itg[1].iti[6000].igt;");
        rest = points("base");
        run("move -r 0 1 0 tgtA.vtx[4]; move -r 1 0 0 tgtB.vtx[2];"
            "setAttr m.weight[0] 1; setAttr m.weight[1] 1; setAttr m.rebind 1;");
        points("base");
    }
    MVector offset(unsigned int i) { return points("base")[i] - rest[i]; }

    MPointArray rest;
};

TEST_F(DirtyPropagation, EachSettingReEncodesExactlyTheTargetsItNames) {
    encodedTargets();
    struct Row {
        std::string statements;
        bool reencodesA, reencodesB;
    };
    const Row rows[] = {
        // Settings of one target rebuild that target alone.
        {"setAttr m.it[0].itg[0].trb 1;", true, false},
        {"setAttr m.it[0].itg[0].tp 1;", true, false},
        {"setAttr m.it[0].itg[1].tp 1;", false, true},
        {"setAttr m.it[0].itg[0].tbb 1;", true, false},
        {"setAttr m.it[0].itg[0].tbl 1; setAttr m.it[0].itg[0].tbl 0;", true, false},
        {"setAttr m.it[0].itg[0].tsi 2;", true, false},
        {"setAttr m.it[0].itg[1].tbuv 1; setAttr m.it[0].itg[1].tbuv 0;", false, true},
        // Node-wide encoding settings rebuild every target.
        {"setAttr m.precision 0.001;", true, true},
        {"setAttr m.origin 0;", true, true},
        {"setAttr m.origin 1;", true, true},
        {"setAttr m.ss[0].iso 0;", true, true},
        // Per-target offsets and curvatures and the blend weights rebuild no target.
        {"setAttr m.it[0].itg[0].to 0.5; setAttr m.it[0].itg[0].tc 0.25;", false, false},
        {"setAttr m.envelope 1; setAttr m.weight[0] 1;", false, false},
    };
    double liftA = 1.0, shiftB = 1.0, seenA = 1.0, seenB = 1.0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.statements);
        run("move -r 0 1 0 tgtA.vtx[4]; move -r 1 0 0 tgtB.vtx[2];");
        liftA += 1.0;
        shiftB += 1.0;
        run(row.statements);
        seenA = row.reencodesA ? liftA : seenA;
        seenB = row.reencodesB ? shiftB : seenB;
        EXPECT_POINT_NEAR(MPoint(offset(4)), 0, seenA, 0);
        EXPECT_POINT_NEAR(MPoint(offset(2)), seenB, 0, 0);
    }
}

TEST_F(DirtyPropagation, WeightCachesFollowTheirAttributes) {
    encodedTargets();
    EXPECT_POINT_NEAR(MPoint(offset(4)), 0, 1, 0);
    run("setAttr m.weightList[0].weights[4] 0.5;");
    EXPECT_POINT_NEAR(MPoint(offset(4)), 0, 0.5, 0);
    run("setAttr m.it[0].bw[2] 0.5;");
    EXPECT_POINT_NEAR(MPoint(offset(2)), 0.5, 0, 0);
    run("setAttr m.it[0].itg[1].tw[2] 0.5;");
    EXPECT_POINT_NEAR(MPoint(offset(2)), 0.25, 0, 0);
    run("setAttr m.it[0].itg[0].tw[4] 0.5; setAttr m.envelope 0.5;");
    EXPECT_POINT_NEAR(MPoint(offset(4)), 0, 0.125, 0);
    EXPECT_POINT_NEAR(MPoint(offset(2)), 0.125, 0, 0);
}

TEST_F(DirtyPropagation, WorldSpaceTargetsAreEncodedWithTheirTransform) {
    encodedTargets();
    // In object space a moved target transform changes nothing; in world space its offset
    // becomes part of every delta at the next encoding.
    run("move -a 0 0 5 tgtA; setAttr m.it[0].itg[0].trb 1;");
    EXPECT_POINT_NEAR(MPoint(offset(0)), 0, 0, 0);
    run("setAttr m.origin 0;");
    EXPECT_POINT_NEAR(MPoint(offset(0)), 0, 0, 5);
    EXPECT_POINT_NEAR(MPoint(offset(4)), 0, 1, 5);
    EXPECT_POINT_NEAR(MPoint(offset(2)), 1, 0, 5);
}
