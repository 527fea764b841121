// The built-in blendShape deformer and its command, `getAttr -mi`, and modifiers refusing values as
// they do when memory runs out.
#include "CommandFixture.h"
#include "command/PlugValueFault.h"
#include "dag/Dag.h"
#include <maya/MDGModifier.h>

namespace {

class BlendShapeTest : public CommandTest {
protected:
    // Object-space points of a transform's shape.
    static MPointArray points(const std::string& name) {
        MPointArray result;
        EXPECT_TRUE(khost::getShapePoints(khost::shapeOf(node(name)), result, MSpace::kObject));
        return result;
    }
};

} // namespace

TEST_F(BlendShapeTest, TargetsBlendInStraightLinesScaledByWeightAndPointWeights) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n up;"
        "polyPlane -w 2 -h 2 -sx 1 -sy 1 -n side; move -r 0 2 0 up.vtx[0:3]; move -r 4 0 0 side.vtx[1];");
    const std::string before = sceneText();
    EXPECT_EQ(result("blendShape -n bs -w 1 0.5 up side base"), "bs");
    EXPECT_EQ(result("nodeType bs"), "blendShape");
    EXPECT_EQ(result("aliasAttr -q bs"), "up weight[0] side weight[1]");
    EXPECT_EQ(result("listConnections -s true -p true bs.it[0].itg[1].iti[6000].igt"),
              "sideShape.worldMesh[0]");
    const MPointArray rest = points("up");
    MPointArray deformed = points("base");
    EXPECT_NEAR(deformed[1].x - rest[1].x, 2.0, 1e-12) << "half of side's 4";
    EXPECT_NEAR(deformed[1].y - rest[1].y, -2.0, 1e-12);

    // Per-point weights default to 1; one set to 0.25 scales that point alone.
    run("setAttr bs.up 1; setAttr bs.it[0].itg[0].tw[2] 0.25; setAttr bs.envelope 0.5;");
    deformed = points("base");
    EXPECT_NEAR(deformed[0].y, 0.5 * 2.0, 1e-12);
    EXPECT_NEAR(deformed[2].y, 0.5 * 0.25 * 2.0, 1e-12);
    EXPECT_EQ(result("getAttr bs.it[0].itg[0].tw[3]"), "1");
    EXPECT_EQ(result("getAttr -mi bs.it[0].itg[0].tw"), "2") << "reading element 3 did not create it";
    EXPECT_EQ(result("getAttr -s bs.it[0].itg[0].tw"), "1");

    // One undo takes the whole command back.
    run("undo; undo; undo; undo;");
    EXPECT_EQ(firstDifference(sceneText(), before), "");
}

TEST_F(BlendShapeTest, DeformerCommandMakesOneAndTargetsMustMatchTheBase) {
    run("circle -s 6 -n ring; circle -s 6 -r 2 -n wide; circle -s 8 -n fine; polyPlane -n plane;");
    EXPECT_EQ(result("deformer -type blendShape ring"), "blendShape1");
    EXPECT_EQ(result("getAttr -mi blendShape1.weight"), "");
    run("connectAttr wideShape.worldSpace[0] blendShape1.it[0].itg[0].iti[6000].igt; setAttr "
        "blendShape1.w[0] 1;");
    const MPointArray ring = points("ring"), wide = points("wide");
    EXPECT_NEAR((ring[0] - wide[0]).length(), 0.0, 1e-12);

    expectError("blendShape fine ring", "blendShape: The target 'fine' does not match the base 'ring'.");
    expectError("blendShape plane ring", "blendShape: The target 'plane' does not match the base 'ring'.");
    expectError("getAttr -mi ring.translateX", "getAttr: 'ring.translateX' is not a multi attribute.");
}

TEST_F(BlendShapeTest, ModifiersRefuseValuesAfterTheGivenCount) {
    run("polyPlane -n p; deformer -type blendShape -n bs p;");
    const MPlug weights = plug("bs.weight");
    MDGModifier modifier;
    khost::failPlugValuesAfter(1, MS::kInsufficientMemory);
    EXPECT_TRUE(modifier.newPlugValueDouble(weights.elementByLogicalIndex(0), 0.5));
    EXPECT_EQ(modifier.newPlugValueDouble(weights.elementByLogicalIndex(1), 0.5), MS::kInsufficientMemory);
    khost::clearPlugValueFault();
    EXPECT_TRUE(modifier.newPlugValueDouble(weights.elementByLogicalIndex(2), 0.25));
    EXPECT_TRUE(modifier.doIt());
    EXPECT_EQ(result("getAttr -mi bs.weight"), "0 2") << "the refused value was never queued";
}
