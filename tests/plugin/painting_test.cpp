// Painting target weights through the paintTargetWeights proxy: locks, normalization across
// targets, reading the painted target back, and the proxy never reaching a scene file.
#include "PluginScene.h"

#include "dg/Value.h"

#include <fstream>
#include <iterator>
#include <string>

class Painting : public PluginScene {
protected:
    // A 1 x 1 plane (4 vertices) whose target 0 lifts every vertex by 1 at weight 1.
    void SetUp() override {
        PluginScene::SetUp();
        run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; deformer -type kivoMorph -n m base;");
        rest = points("base");
        run(itemArrays("m.it[0].itg[0].iti[6000]", {0, 1, 2, 3},
                       {MVector(0, 1, 0), MVector(0, 1, 0), MVector(0, 1, 0), MVector(0, 1, 0)}) +
            "setAttr m.weight[0] 1; setAttr m.paintTargetWeightsIndex 0;");
    }

    double targetWeight(int target, int point) {
        return std::stod(
            result("getAttr m.it[0].itg[" + std::to_string(target) + "].tw[" + std::to_string(point) + "]"));
    }
    double lift(unsigned int point) { return points("base")[point].y - rest[point].y; }
    void paint(int point, double value) {
        run("setAttr m.it[0].ptw[" + std::to_string(point) + "] " + std::to_string(value) + ";");
    }

    MPointArray rest;
};

TEST_F(Painting, ClampsAgainstLockedTargetsAndEmptiesTheUnlockedOnes) {
    run("setAttr m.it[0].itg[1].tw[0] 0.5; setAttr m.it[0].itg[1].twl 1; setAttr m.it[0].itg[1].twn 1;"
        "setAttr m.it[0].itg[2].tw[0] 0.3; setAttr m.it[0].itg[2].twn 1;");
    paint(0, 0.7);
    EXPECT_NEAR(targetWeight(0, 0), 0.5, 1e-12);
    EXPECT_NEAR(targetWeight(1, 0), 0.5, 1e-12);
    EXPECT_NEAR(targetWeight(2, 0), 0.0, 1e-12);
    // The deformation follows the stored (clamped) weight.
    EXPECT_NEAR(lift(0), 0.5, 1e-6);
    EXPECT_NEAR(lift(1), 1.0, 1e-6);
}

TEST_F(Painting, SharesTheRemainderInProportionOrEqually) {
    // Two unlocked normalized targets holding 0.3 and 0.1 share the remaining 0.6 as 3 : 1.
    run("setAttr m.it[0].itg[1].tw[1] 0.3; setAttr m.it[0].itg[1].twn 1;"
        "setAttr m.it[0].itg[2].tw[1] 0.1; setAttr m.it[0].itg[2].twn 1;");
    paint(1, 0.4);
    EXPECT_NEAR(targetWeight(0, 1), 0.4, 1e-12);
    EXPECT_NEAR(targetWeight(1, 1), 0.45, 1e-12);
    EXPECT_NEAR(targetWeight(2, 1), 0.15, 1e-12);
    EXPECT_NEAR(lift(1), 0.4, 1e-6);

    // One unlocked target at 0 and one locked at 0.2: the remaining 0.4 is divided by both
    // normalized targets.
    run("setAttr m.it[0].itg[1].tw[1] 0; setAttr m.it[0].itg[2].tw[1] 0.2; setAttr m.it[0].itg[2].twl 1;");
    paint(1, 0.4);
    EXPECT_NEAR(targetWeight(1, 1), 0.2, 1e-12);
    EXPECT_NEAR(targetWeight(2, 1), 0.2, 1e-12);
}

TEST_F(Painting, MissingWeightsOfOtherTargetsCountAsTheDefaultOne) {
    // Target 1 is locked and normalized, target 2 normalized, each with only tw[3] set: at
    // point 2 both hold the default 1, so the locked 1 leaves nothing to paint or share.
    run("setAttr m.it[0].itg[1].tw[3] 0.5; setAttr m.it[0].itg[1].twl 1; setAttr m.it[0].itg[1].twn 1;"
        "setAttr m.it[0].itg[2].tw[3] 0.5; setAttr m.it[0].itg[2].twn 1;");
    paint(2, 0.3);
    EXPECT_EQ(targetWeight(0, 2), 0.0);
    EXPECT_EQ(targetWeight(1, 2), 1.0);
    EXPECT_EQ(targetWeight(2, 2), 0.0);
    // The API reads a missing element as its default too, with success.
    MStatus status;
    EXPECT_EQ(plug("m.it[0].itg[1].tw[1]").asDouble(&status), 1.0);
    EXPECT_TRUE(status);
}

TEST_F(Painting, UndoPutsBackEveryWeightThePaintWroteAndRedoRepeatsIt) {
    run("setAttr m.it[0].itg[1].tw[1] 0.3; setAttr m.it[0].itg[1].twn 1;"
        "setAttr m.it[0].itg[2].tw[0] 0.6; setAttr m.it[0].itg[2].twn 1;");
    const std::string before = sceneText();
    paint(1, 0.25);
    paint(0, 0.5);
    const std::string after = sceneText();
    // Target 2's missing tw[1] counts as 1: the remaining 0.75 is shared as 0.3 : 1.
    EXPECT_NEAR(targetWeight(1, 1), 0.3 / 1.3 * 0.75, 1e-12);
    run("undo; undo;");
    EXPECT_EQ(firstDifference(sceneText(), before), "");
    EXPECT_NEAR(lift(1), 1.0, 1e-6) << "the deformation follows the restored weights";
    run("redo; redo;");
    EXPECT_EQ(firstDifference(sceneText(), after), "");
    EXPECT_NEAR(lift(1), 0.25, 1e-6);
}

TEST_F(Painting, NegativeValuesWithAndWithoutNormalizedTargets) {
    // No other target is normalized: the values are stored as painted, negative ones included,
    // and nothing else changes.
    run("setAttr m.it[0].itg[1].tw[2] 0.3;");
    paint(2, -0.3);
    paint(3, 0.8);
    EXPECT_NEAR(targetWeight(0, 2), -0.3, 1e-12);
    EXPECT_NEAR(targetWeight(0, 3), 0.8, 1e-12);
    EXPECT_NEAR(targetWeight(1, 2), 0.3, 1e-12);
    EXPECT_NEAR(lift(2), -0.3, 1e-6);

    // With a normalized target a negative value stores 0 and leaves it the whole weight; every
    // painted point is normalized again, so point 3 gives that target 1 - 0.8.
    run("setAttr m.it[0].itg[1].twn 1; setAttr m.it[0].itg[1].tw[3] 0.1;");
    paint(2, -0.5);
    EXPECT_NEAR(targetWeight(0, 2), 0.0, 1e-12);
    EXPECT_NEAR(targetWeight(1, 2), 1.0, 1e-12);
    EXPECT_NEAR(targetWeight(1, 3), 0.2, 1e-12);
    EXPECT_NEAR(lift(2), 0.0, 1e-6);
}

TEST_F(Painting, LockedOrUnknownPaintedTargetsStoreNothing) {
    run("setAttr m.it[0].itg[0].tw[0] 0.2; setAttr m.it[0].itg[0].twl 1;");
    paint(0, 0.9);
    EXPECT_EQ(
        count(khost::Message::Warning, "The weights you are painting are locked and cannot be modified."),
        1u);
    EXPECT_NEAR(targetWeight(0, 0), 0.2, 1e-12);
    EXPECT_NEAR(lift(0), 0.2, 1e-6);

    run("setAttr m.paintTargetWeightsIndex 7;");
    clearMessages();
    paint(1, 0.5);
    EXPECT_EQ(errors(), std::vector<std::string>{
                            "Unable to find index '7' to paint on m.inputTarget[0].inputTargetGroup"});
    EXPECT_NEAR(targetWeight(0, 1), 1.0, 1e-12);
    EXPECT_NEAR(lift(1), 1.0, 1e-6);
}

TEST_F(Painting, ElementAndWholeArrayReadsAndWrites) {
    run("setAttr m.it[0].itg[0].tw[0] 0.1; setAttr m.it[0].itg[0].tw[2] 0.3; setAttr m.it[0].itg[1].tw[1] "
        "0.6;");
    EXPECT_EQ(result("getAttr m.it[0].ptw[2]"), "0.3");
    EXPECT_EQ(result("getAttr m.it[0].ptw"), "0.1 0.3");
    run("setAttr m.paintTargetWeightsIndex 1;");
    EXPECT_EQ(result("getAttr m.it[0].ptw"), "0.6");
    EXPECT_EQ(result("getAttr m.it[0].ptw[1]"), "0.6");

    // A whole-array write, as the painting tools make it, replaces the target's weights: vertex 2
    // loses its element and is back at the default 1.
    run("setAttr m.paintTargetWeightsIndex 0;");
    const MPlug proxy = plug("m.it[0].ptw");
    auto painted = khost::Value::make(khost::keyFor(proxy).attr);
    painted->addElement(0)->setNumeric(0.5);
    painted->addElement(3)->setNumeric(0.25);
    ASSERT_TRUE(MPlug(proxy).setMDataHandle(MDataHandle(painted.get())));
    EXPECT_EQ(result("getAttr m.it[0].ptw"), "0.5 0.25");
    EXPECT_EQ(result("getAttr -s m.it[0].itg[0].tw"), "2");
    EXPECT_NEAR(lift(0), 0.5, 1e-6);
    EXPECT_NEAR(lift(2), 1.0, 1e-6);
    EXPECT_NEAR(lift(3), 0.25, 1e-6);
    // The weights written from the proxy's array are the target's own: they are saved.
    const std::string text = sceneText();
    EXPECT_NE(text.find("setAttr \"m.inputTarget[0].inputTargetGroup[0].targetWeights[3]\" 0.25;"),
              std::string::npos)
        << text;
}

TEST_F(Painting, TheProxyIsNeverSavedButTheTargetWeightsAre) {
    run("setAttr m.it[0].ptw[1] 0.4;");
    const std::string path = ::testing::TempDir() + "painting_test_scene.ma";
    run("file -save \"" + path + "\";");
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("m.inputTarget[0].inputTargetGroup[0].targetWeights[1]\" 0.4"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("paintTargetWeights"), std::string::npos) << text;
}
