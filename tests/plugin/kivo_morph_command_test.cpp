// The kivoMorph command: building a rig from a selection, adding and removing targets and
// inbetweens in edit mode, every refusal with its message, and undo and redo of each.
#include "PluginScene.h"

#include <string>
#include <vector>

namespace {

class KivoMorphCommandTest : public PluginScene {
protected:
    // Planes of 3 x 3 points: a base and targets that each move one vertex.
    void planes(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n " + name + ";");
    }
    // The command must fail with exactly this error (or warning), change nothing in the scene and
    // leave nothing to undo.
    void expectRefused(const std::string& statement, const std::string& message,
                       khost::Message::Kind kind = khost::Message::Error) {
        const std::string before = sceneText();
        const size_t queued = khost::UndoQueue::instance().undoCount();
        clearMessages();
        EXPECT_FALSE(khost::executeStatement(statement)) << statement;
        EXPECT_EQ(count(kind, message), 1u) << statement << "\n" << output();
        EXPECT_EQ(firstDifference(sceneText(), before), "") << statement;
        EXPECT_EQ(khost::UndoQueue::instance().undoCount(), queued) << statement;
    }
    // Undo gives back the scene before the command exactly, redo the one after it.
    void expectUndoable(const std::string& before, const std::string& after) {
        run("undo;");
        EXPECT_EQ(firstDifference(sceneText(), before), "");
        run("redo;");
        EXPECT_EQ(firstDifference(sceneText(), after), "");
    }
    std::string connected(const std::string& plug) {
        return result("listConnections -s true -p true " + plug);
    }
    // A second mesh shape under a transform, holding a copy of another shape's geometry.
    void addShapeLike(const std::string& transform, const std::string& name, const std::string& source) {
        run("createNode mesh -n " + name + " -p " + transform + ";");
        ASSERT_TRUE(plug(name + ".inMesh").setMObject(plug(source + ".outMesh").asMObject()));
    }
    MVector offset(const std::string& shape, unsigned int i, const MPointArray& rest) {
        return points(shape)[i] - rest[i];
    }
};

#define EXPECT_OFFSET(v, ex, ey, ez) EXPECT_POINT_NEAR(MPoint(v), ex, ey, ez)

} // namespace

TEST_F(KivoMorphCommandTest, CreatesADeformerWithItsTargetsFromTheSelection) {
    planes({"base", "smile", "blink"});
    run("move -r 0 1 0 smile.vtx[4]; move -r 1 0 0 blink.vtx[0]; select -r smile blink base;");
    const std::string before = sceneText();
    const MPointArray rest = points("base");
    EXPECT_EQ(result("kivoMorph -n face"), "face");
    const std::string after = sceneText();
    EXPECT_EQ(connected("face.it[0].itg[0].iti[6000].igt"), "smileShape.worldMesh[0]");
    EXPECT_EQ(connected("face.it[0].itg[1].iti[6000].igt"), "blinkShape.worldMesh[0]");
    EXPECT_EQ(result("aliasAttr -q face"), "smile weight[0] blink weight[1]");
    EXPECT_EQ(result("getAttr face.weight"), "0 0");
    expectUndoable(before, after);
    run("setAttr face.rebind 1; setAttr face.smile 0.5; setAttr face.blink 1;");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 0.5, 0);
    EXPECT_OFFSET(offset("base", 0, rest), 1, 0, 0);

    // With only the base: a deformer without targets, named as Maya names new nodes.
    run("polyPlane -n lone; select -r lone;");
    EXPECT_EQ(result("kivoMorph"), "kivoMorph1");
    EXPECT_EQ(result("getAttr -s kivoMorph1.weight"), "0");
    // -removeTarget outside edit mode is read and has no effect.
    run("polyPlane -n other; select -r other;");
    EXPECT_EQ(result("kivoMorph -rt smile 1"), "kivoMorph2");
}

TEST_F(KivoMorphCommandTest, InbetweensAreSpacedEvenlyAndNamedAfterTheLastTarget) {
    planes({"base", "A", "B", "C"});
    run("move -r 0 1 0 A.vtx[4]; move -r 0 2 0 B.vtx[4]; move -r 0 3 0 C.vtx[4]; select -r A B C base;");
    EXPECT_EQ(result("kivoMorph -ib false -n m"), "m") << "only the presence of -ib counts";
    EXPECT_EQ(connected("m.it[0].itg[0].iti[5333].igt"), "AShape.worldMesh[0]");
    EXPECT_EQ(connected("m.it[0].itg[0].iti[5666].igt"), "BShape.worldMesh[0]");
    EXPECT_EQ(connected("m.it[0].itg[0].iti[6000].igt"), "CShape.worldMesh[0]");
    EXPECT_EQ(result("getAttr m.iig[0].ii[5333].itn"), "C_0.333");
    EXPECT_EQ(result("getAttr m.iig[0].ii[5666].itn"), "C_0.666");
    EXPECT_EQ(result("aliasAttr -q m"), "C weight[0]");
    EXPECT_EQ(result("getAttr -s m.it[0].itg"), "1");
}

TEST_F(KivoMorphCommandTest, TargetsMustMatchTheirBaseShapes) {
    planes({"base", "small"});
    run("polyPlane -sx 1 -sy 1 -n coarse; circle -n ring; select -r ring base;");
    expectRefused("kivoMorph", "Target ringShape does not match with base baseShape");
    run("select -r coarse base;");
    expectRefused("kivoMorph", "Target coarseShape does not match with base baseShape");
    run("createNode transform -n empty; select -r empty;");
    expectRefused("kivoMorph", " No deformable objects selected. ");
    run("select -cl;");
    // The active selection is what counts, not the objects named.
    expectRefused("kivoMorph base", "No deformable objects selected. ");

    // A target with more shapes than the base.
    addShapeLike("small", "second", "smallShape");
    run("select -r small base;");
    expectRefused("kivoMorph", "Mismatch in target and base shape hierarchies.. ");
}

TEST_F(KivoMorphCommandTest, ABaseWithTwoShapesTakesATargetWithOneOnItsFirst) {
    planes({"base", "tgt"});
    addShapeLike("base", "baseExtra", "baseShape");
    run("move -r 0 1 0 tgt.vtx[4]; select -r tgt base; kivoMorph -n m;");
    EXPECT_EQ(connected("m.it[0].itg[0].iti[6000].igt"), "tgtShape.worldMesh[0]");
    EXPECT_EQ(result("getAttr -s m.it[1].itg"), "0");
    EXPECT_EQ(result("listConnections -d true -p true m.outputGeometry"),
              "baseShape.inMesh baseExtra.inMesh");
}

TEST_F(KivoMorphCommandTest, EditModeFindsTheDeformerThroughShapesTransformsAndCurves) {
    planes({"base", "first", "second"});
    run("move -r 0 2 0 second.vtx[4]; select -r first base; kivoMorph -n m; select -cl;");
    const MPointArray rest = points("base");
    const std::string before = sceneText();
    EXPECT_EQ(result("kivoMorph -e -t base 3 second 1 baseShape"), "m");
    const std::string after = sceneText();
    EXPECT_EQ(connected("m.it[0].itg[3].iti[6000].igt"), "secondShape.worldMesh[0]");
    EXPECT_EQ(result("aliasAttr -q m"), "first weight[0] second weight[3]");
    expectUndoable(before, after);
    run("setAttr m.rebind 1; setAttr m.second 0.5;");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 1, 0);

    // A transform whose first child is a NURBS curve.
    run("circle -s 6 -n ring; circle -s 6 -n ringTarget; select -r ringTarget ring; kivoMorph -n curves; "
        "select -cl;");
    EXPECT_EQ(result("kivoMorph -e -rt ringTarget 1 ring"), "curves");
    EXPECT_EQ(result("getAttr -s curves.weight"), "0");

    run("createNode transform -n plain;");
    expectRefused("kivoMorph -e plain",
                  " Expected a KivoMorph deformer or a deformed shape. Found 'plain' instead. ");
    run("select -cl;");
    expectRefused("kivoMorph -e", "A single defomer should be specified in edit mode");
    expectRefused("kivoMorph -e m curves", "A single defomer should be specified in edit mode");
    expectRefused("kivoMorph -t base 0 first 1 base", " -t/-target flag can only be used in edit mode. ");
}

TEST_F(KivoMorphCommandTest, TargetsAreAddedAtTheirIndexAndWeight) {
    planes({"base", "first", "half", "later"});
    run("select -r first base; kivoMorph -n m; select -cl;");
    // An index in use moves to one past the last, with a warning.
    clearMessages();
    run("kivoMorph -e -t base 0 half 0.5 m;");
    EXPECT_EQ(count(khost::Message::Warning, "Given index already exists. Incrementing index automatically."),
              1u);
    EXPECT_EQ(connected("m.it[0].itg[1].iti[5500].igt"), "halfShape.worldMesh[0]")
        << "without -ib, at its weight";
    EXPECT_EQ(result("aliasAttr -q m"), "first weight[0] half weight[1]");

    // Inbetweens of an existing target: three decimals, unique, never the rest items.
    run("kivoMorph -e -ib true -t base 0 later 0.5 m;");
    EXPECT_EQ(connected("m.it[0].itg[0].iti[5500].igt"), "laterShape.worldMesh[0]");
    EXPECT_EQ(result("getAttr m.iig[0].ii[5500].itn"), "first_0.5");
    for (const char* weight : {"0", "-5", "0.5"})
        expectRefused(std::string("kivoMorph -e -ib true -t base 0 later ") + weight + " m",
                      "Weights must be unique for in - between targets. ");
    for (const char* weight : {"0.1234", "1.001"})
        expectRefused(std::string("kivoMorph -e -ib true -t base 0 later ") + weight + " m",
                      "Inbetween weights can have only three decimal places. ");
    expectRefused("kivoMorph -e -ib true -t base 7 later 0.25 m",
                  "The given index must exist in the inbetween model.");
    expectRefused("kivoMorph -e -t base 0 nothing 0.25 m", " Found 0 matches for 'nothing'");
    expectRefused("kivoMorph -e -t m 0 later 0.25 m", " 'm' not a DAG item.");
    run("polyPlane -n elsewhere; createNode transform -n bare;");
    expectRefused("kivoMorph -e -t elsewhere 0 later 0.25 m",
                  "Specified deformer node not found in history of elsewhere");
    expectRefused("kivoMorph -e -t bare 0 later 0.25 m", " 'bare' Invalid target item selected. ");
    expectRefused("kivoMorph -e -t base 0 bare 0.25 m", " 'bare' Invalid target item selected. ");
    expectRefused("kivoMorph -e -t base 0 later 1e300 m", "Target weight out of range: 1e+300");
}

TEST_F(KivoMorphCommandTest, RemovingTargetsAndInbetweensAndPuttingThemBack) {
    planes({"base", "first", "second", "mid"});
    run("move -r 0 2 0 second.vtx[4]; move -r 0 0.5 0 mid.vtx[4]; select -r first second base; kivoMorph -n "
        "m;"
        "kivoMorph -e -ib true -t base 1 mid 0.5 m; select -cl; createNode transform -n driver;"
        "connectAttr driver.tx m.second;");
    const MPointArray rest = points("base");
    run("setAttr m.rebind 1; setAttr driver.tx 0.5;");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 0.5, 0);

    // Only the inbetween at 0.5: its item and name go, the target and its alias stay, and the
    // cached target follows its remaining item.
    std::string before = sceneText();
    run("kivoMorph -e -ib true -rt second 0.5 m;");
    EXPECT_EQ(result("getAttr -s m.it[0].itg[1].iti"), "1");
    EXPECT_EQ(result("getAttr -s m.iig[1].ii"), "0");
    EXPECT_EQ(result("aliasAttr -q m"), "first weight[0] second weight[1]");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 1, 0);
    expectUndoable(before, sceneText());
    run("undo;");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 0.5, 0);

    // The whole target, driven by a connection: the connection goes first.
    clearMessages();
    run("kivoMorph -e -rt second 0 m;");
    EXPECT_EQ(count(khost::Message::Info,
                    "Queuing Python: import maya.cmds as cmds; cmds.aliasAttr('m.weight[1]', remove=True)"),
              1u);
    EXPECT_EQ(result("getAttr -s m.weight"), "1");
    EXPECT_EQ(result("getAttr -s m.it[0].itg"), "1");
    EXPECT_EQ(result("aliasAttr -q m"), "first weight[0]");
    EXPECT_EQ(result("listConnections driver"), "");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 0, 0);
    run("undo;");
    EXPECT_EQ(firstDifference(sceneText(), before), "");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 0.5, 0);

    // The inbetween at 1 is the target itself.
    run("kivoMorph -e -ib true -rt second 1 m;");
    EXPECT_EQ(result("getAttr -s m.weight"), "1");
    run("undo;");

    expectRefused("kivoMorph -e -rt nobody 0 m", "Attribute not found: nobody");
    expectRefused("kivoMorph -e -ib true -rt second 0.7 m", "Inbetween weights 0.7 not found. ");
    expectRefused("kivoMorph -e -ib true -rt second 0.5555 m",
                  "Inbetween weights can have only three decimal places. ");
    run("setAttr -l true m.first;");
    expectRefused("kivoMorph -e -rt first 0 m", " Cannot remove locked target! ", khost::Message::Warning);
}

TEST_F(KivoMorphCommandTest, AnInbetweenRemovedAndAddedInOneCallKeepsItsName) {
    planes({"base", "first", "mid", "other"});
    run("select -r first base; kivoMorph -n m; kivoMorph -e -ib true -t base 0 mid 0.5 m; select -cl;");
    run("setAttr m.iig[0].ii[5500].itn -type \"string\" \"smirk\";");
    const std::string before = sceneText();
    run("kivoMorph -e -ib true -rt first 0.5 -t base 0 other 0.25 m;");
    EXPECT_EQ(connected("m.it[0].itg[0].iti[5250].igt"), "otherShape.worldMesh[0]");
    EXPECT_EQ(result("getAttr m.iig[0].ii[5250].itn"), "smirk");
    EXPECT_EQ(result("getAttr -s m.it[0].itg[0].iti"), "2");
    expectUndoable(before, sceneText());
}

TEST_F(KivoMorphCommandTest, AnAliasInUseMovesOnFromItsNumber) {
    planes({"base", "body", "body9"});
    run("select -r body body9 base; kivoMorph -n m; select -cl;");
    EXPECT_EQ(result("aliasAttr -q m"), "body weight[0] body9 weight[1]");
    run("kivoMorph -e -t base 2 body9 1 m; kivoMorph -e -t base 3 body 1 m;");
    EXPECT_EQ(result("aliasAttr -q m"), "body weight[0] body9 weight[1] body10 weight[2] body1 weight[3]");
}

TEST_F(KivoMorphCommandTest, ALongUndoRedoAlternationReturnsTheSavedScene) {
    planes({"base", "a", "b", "c"});
    run("move -r 0 1 0 a.vtx[1]; move -r 0 1 0 b.vtx[2]; move -r 0 1 0 c.vtx[3];");
    const std::string start = sceneText();
    run("select -r a base; kivoMorph -n m; select -cl; kivoMorph -e -t base 1 b 1 m;"
        "kivoMorph -e -ib true -t base 1 c 0.4 m; setAttr m.rebind 1; setAttr m.b 0.7;"
        "kivoMorph -e -ib true -rt b 0.4 m; kivoMorph -e -rt a 0 m;");
    // Evaluated first: what an evaluation writes into the node is no command's to undo.
    const MPointArray endPoints = points("base");
    const std::string end = sceneText();
    for (int round = 0; round < 5; ++round) {
        for (int k = 0; k < 9; ++k)
            run("undo;");
        ASSERT_EQ(firstDifference(sceneText(), start), "") << "round " << round;
        for (int k = 0; k < 9; ++k)
            run("redo;");
        points("base");
        ASSERT_EQ(firstDifference(sceneText(), end), "") << "round " << round;
    }
    const MPointArray again = points("base");
    for (unsigned int i = 0; i < again.length(); ++i)
        EXPECT_POINT_NEAR(again[i], endPoints[i].x, endPoints[i].y, endPoints[i].z);
}

TEST_F(KivoMorphCommandTest, ACachedTargetFollowsTheInbetweensTheCommandAddsAndRemoves) {
    planes({"base", "full", "mid"});
    run("move -r 0 2 0 full.vtx[4]; move -r 1 0 0 mid.vtx[4]; select -r full base; kivoMorph -n m; select -cl;"
        "setAttr m.full 0.5;");
    const MPointArray rest = points("base");
    run("setAttr m.rebind 1;");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 1, 0);
    run("kivoMorph -e -ib true -t base 0 mid 0.5 m;");
    EXPECT_OFFSET(offset("base", 4, rest), 1, 0, 0);
    run("kivoMorph -e -ib true -rt full 0.5 m;");
    EXPECT_OFFSET(offset("base", 4, rest), 0, 1, 0);
    run("undo;");
    EXPECT_OFFSET(offset("base", 4, rest), 1, 0, 0);
}
