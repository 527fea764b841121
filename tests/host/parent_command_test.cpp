// The parent and group commands: hierarchies built from scripts, shapes gathered under one
// transform, world positions kept through any rotate order, and undo.
#include "CommandFixture.h"
#include "dag/Dag.h"

namespace {

class ParentCommandTest : public CommandTest {
protected:
    static MPointArray worldPoints(const std::string& name) {
        MPointArray points;
        EXPECT_TRUE(khost::getShapePoints(khost::shapeOf(node(name)), points, MSpace::kWorld)) << name;
        return points;
    }
    static void expectSamePoints(const MPointArray& actual, const MPointArray& expected) {
        ASSERT_EQ(actual.length(), expected.length());
        for (unsigned int i = 0; i < actual.length(); ++i)
            EXPECT_TRUE(actual[i].isEquivalent(expected[i], 1e-9))
                << i << ": " << actual[i].x << " " << actual[i].y << " " << actual[i].z;
    }
};

} // namespace

TEST_F(ParentCommandTest, ShapesGatherUnderOneTransformRelatively) {
    run("polyPlane -n left; polyPlane -n right; move 3 0 0 right; move 0 0 1 left");
    EXPECT_EQ(result("parent -s -r rightShape left"), "rightShape");
    EXPECT_EQ(result("listRelatives left"), "leftShape rightShape");
    EXPECT_EQ(result("listRelatives right"), "");
    // The shape keeps its own points and now follows its new transform.
    EXPECT_EQ(result("pointPosition rightShape.vtx[0]"), "-0.5 0 1.5");
    run("undo");
    EXPECT_EQ(result("listRelatives right"), "rightShape");
    EXPECT_EQ(result("pointPosition rightShape.vtx[0]"), "2.5 0 0.5");
    run("redo");
    EXPECT_EQ(result("listRelatives left"), "leftShape rightShape");

    expectError("parent rightShape right", "parent: 'rightShape' is a shape; parent shapes with -shape.");
    expectError("parent -s -w rightShape", "parent: the shape 'rightShape' needs a transform above it.");
}

TEST_F(ParentCommandTest, AbsoluteParentingKeepsWorldPositionsInEveryRotateOrder) {
    run("createNode transform -n holder; move 5 -1 2 holder; rotate 0 45 20 holder; scale 2 2 2 holder");
    for (int order = 0; order < 6; ++order) {
        const std::string cube = "cube" + std::to_string(order);
        run("polyCube -n " + cube + "; setAttr " + cube + ".rotateOrder " + std::to_string(order) +
            "; move 1 2 3 " + cube + "; rotate 10 -70 30 " + cube + "; scale 1 -2 3 " + cube);
        const MPointArray before = worldPoints(cube);
        run("parent " + cube + " holder");
        EXPECT_EQ(result("listRelatives -p " + cube), "holder");
        expectSamePoints(worldPoints(cube), before);
        // The middle rotation at 90 degrees, where the other two turn about one line (the angles that
        // come back differ, the place does not): set under the holder, taken to the world and back.
        const int middle[6] = {1, 2, 0, 2, 0, 1};
        std::string angles[3] = {"25", "-40", "-40"};
        angles[middle[order]] = "90";
        run("parent -r " + cube + " holder; rotate " + angles[0] + " " + angles[1] + " " + angles[2] + " " +
            cube + "; parent -w " + cube);
        const MPointArray locked = worldPoints(cube);
        run("parent " + cube + " holder");
        expectSamePoints(worldPoints(cube), locked);
    }
    // Back to the world, and undone.
    const MPointArray before = worldPoints("cube3");
    run("parent -w cube3");
    EXPECT_EQ(result("listRelatives -p cube3"), "");
    expectSamePoints(worldPoints("cube3"), before);
    run("undo");
    EXPECT_EQ(result("listRelatives -p cube3"), "holder");
    expectSamePoints(worldPoints("cube3"), before);

    // Relative: the local transformation stays and the world position follows the new parent.
    run("polyCube -n loose; move 1 0 0 loose; parent -r loose holder");
    EXPECT_EQ(result("xform -q -t loose"), "1 0 0");
}

TEST_F(ParentCommandTest, RefusalsLeaveTheSceneAsItWas) {
    run("createNode transform -n top; createNode transform -n mid -p top; polyPlane -n leaf; parent leaf "
        "mid");
    const std::string before = sceneState();
    expectError("parent top leaf", "parent: 'top' cannot be parented under itself or its descendant.");
    expectError("parent leaf", "parent: Give the objects to parent and, last, their new parent.");
    // A transform scaled unevenly turns a rotated child into a shear that no channels hold.
    run("scale 1 3 1 top; polyPlane -n tilted; rotate 0 0 30 tilted");
    const std::string scaled = sceneState();
    expectError("parent tilted top",
                "parent: 'tilted' cannot keep its place in the world under its new parent: "
                "translate, rotate and scale cannot express it.");
    EXPECT_EQ(firstDifference(sceneState(), scaled), "");
    run("undo; undo; undo");
    EXPECT_EQ(firstDifference(sceneState(), before), "");
}

TEST_F(ParentCommandTest, GroupHoldsTheObjectsWhereTheyWere) {
    run("createNode transform -n stage; move 0 1 0 stage; polyPlane -n a; polyPlane -n b; move 2 0 0 b; "
        "parent a stage; parent b stage");
    const MPointArray a = worldPoints("a"), b = worldPoints("b");
    EXPECT_EQ(result("group -n pair a b"), "pair");
    EXPECT_EQ(result("listRelatives -p pair"), "stage") << "under the objects' common parent";
    EXPECT_EQ(result("listRelatives pair"), "a b");
    expectSamePoints(worldPoints("a"), a);
    expectSamePoints(worldPoints("b"), b);

    EXPECT_EQ(result("group -w -n loose b"), "loose");
    EXPECT_EQ(result("listRelatives -p loose"), "");
    expectSamePoints(worldPoints("b"), b);
    EXPECT_EQ(result("group -em -p pair"), "group1");
    EXPECT_EQ(result("listRelatives pair"), "a group1");
    run("undo; undo; undo");
    EXPECT_EQ(result("listRelatives stage"), "a b");
    expectError("group -n \"two words\" a", "group: 'two words' is not a valid node name.");
}
