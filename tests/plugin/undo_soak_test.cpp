// A long random session on a rig: every command that lands on the undo queue is undone back to
// the start and redone to the end, and each step must give back exactly the saved scene and the
// deformed points it had. Requests that make the node encode targets (rebind, targetRebind and
// the other encoding settings, precision, origin) are left out: what an evaluation writes is not
// part of any command, in Maya as here.
#include "PluginScene.h"

#include <random>
#include <string>
#include <vector>

namespace {

class UndoSoak : public PluginScene {
protected:
    std::string pick(const std::vector<std::string>& choices) {
        return choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(fRandom)];
    }
    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(fRandom); }
    std::string index(int high) { return std::to_string(number(0, high)); }
    std::string value() { return std::to_string(number(-2, 12) * 0.125); }

    // One random command; many of them fail, which must change nothing either.
    std::string command() {
        const std::string target = "m.it[0].itg[" + index(2) + "]";
        switch (number(0, 19)) {
        case 0:
        case 1:
            return "setAttr m.weight[" + index(3) + "] " + value();
        case 2:
        case 3:
            return "setAttr m.it[0].ptw[" + index(9) + "] " + value();
        case 4:
            return "setAttr m.paintTargetWeightsIndex " + index(3);
        case 5:
            return "setAttr " + target + pick({".twn ", ".twl "}) + index(1);
        case 6:
            return "setAttr " + target + ".tw[" + index(9) + "] " + value();
        case 7:
            return "setAttr m.it[0].bw[" + index(9) + "] " + value();
        case 8:
            return "aliasAttr " + pick({"smile", "blink", "jaw"}) + " m.weight[" + index(3) + "]";
        case 9:
            return "aliasAttr -rm m.weight[" + index(3) + "]";
        case 10:
            return "connectAttr -f " + pick({"tgtA", "tgtB"}) + "Shape.worldMesh[0] " + target + ".iti[" +
                   pick({"6000", "5500", "5250"}) + "].igt";
        case 11:
            return "disconnectAttr " + pick({"tgtA", "tgtB"}) + "Shape.worldMesh[0] " + target + ".iti[" +
                   pick({"6000", "5500"}) + "].igt";
        case 12:
            return "move -r 0 " + value() + " " + value() + " " + pick({"tgtA", "tgtB", "base"}) + ".vtx[" +
                   index(8) + "]";
        case 13:
            return "removeMultiInstance -b " + pick({"true", "false"}) + " " + target +
                   pick({".iti[6000]", ".iti[5500]", ".tw[" + index(9) + "]"});
        case 14:
            return "setAttr m.envelope " + value();
        case 15:
            return "getAttr " + target + ".iti[6000].ipt";
        case 16:
            if (number(0, 1) == 0)
                return "setAttr " + target + ".iti[" + pick({"6000", "5500"}) +
                       "].ipit -type \"Int32Array\" 2 " + index(9) + " " + index(9);
            return "setAttr " + target + ".iti[6000].ipt -type \"pointArray\" 2 0 " + value() + " 0 1 " +
                   value() + " 0 0 1";
        case 17:
            return pick({"delete ", "duplicate -n tgtB "}) + pick({"tgtA", "tgtB"});
        case 18:
            return "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n " + pick({"tgtA", "tgtB"});
        default:
            return "python(\"import maya.cmds as cmds; cmds.setAttr('m.weight[" + index(3) + "]', " +
                   value() + ")\")";
        }
    }

    std::mt19937 fRandom{20261206};
};

void expectSamePoints(const MPointArray& actual, const MPointArray& expected, size_t step) {
    ASSERT_EQ(actual.length(), expected.length()) << "step " << step;
    for (unsigned int i = 0; i < actual.length(); ++i) {
        EXPECT_EQ(actual[i].x, expected[i].x) << "step " << step << " point " << i;
        EXPECT_EQ(actual[i].y, expected[i].y) << "step " << step << " point " << i;
        EXPECT_EQ(actual[i].z, expected[i].z) << "step " << step << " point " << i;
    }
}

} // namespace

TEST_F(UndoSoak, UndoToTheStartAndRedoToTheEndGiveBackEveryState) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtA;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n tgtB; deformer -type kivoMorph -n m base;"
        "connectAttr tgtAShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt; aliasAttr smile m.weight[0];"
        "setAttr m.weight[1] 0.5;" +
        itemArrays("m.it[0].itg[1].iti[6000]", {1, 4}, {MVector(0, 1, 0), MVector(1, 0, 0)}));
    khost::UndoQueue::instance().flush();

    std::vector<std::string> texts{sceneText()};
    std::vector<std::string> statements{""};
    std::vector<MPointArray> shapes{points("base")};
    for (int n = 0; n < 400; ++n) {
        const std::string statement = command();
        const size_t queued = khost::UndoQueue::instance().undoCount();
        const bool succeeded = khost::executeStatement(statement);
        const std::string text = sceneText();
        if (khost::UndoQueue::instance().undoCount() == queued) {
            // A failing or query command leaves the scene as it was, whatever it tried first.
            ASSERT_EQ(firstDifference(text, texts.back()), "") << statement << (succeeded ? "" : " (failed)");
            continue;
        }
        ASSERT_TRUE(succeeded) << statement;
        texts.push_back(text);
        statements.push_back(statement);
        shapes.push_back(points("base"));
    }
    ASSERT_GT(texts.size(), 150u) << "the session should be mostly commands that land";

    for (size_t step = texts.size() - 1; step > 0; --step) {
        run("undo");
        ASSERT_EQ(firstDifference(sceneText(), texts[step - 1]), "") << "undoing " << statements[step];
        expectSamePoints(points("base"), shapes[step - 1], step - 1);
    }
    for (size_t step = 1; step < texts.size(); ++step) {
        run("redo");
        ASSERT_EQ(firstDifference(sceneText(), texts[step]), "") << "redoing " << statements[step];
        expectSamePoints(points("base"), shapes[step], step);
    }
}
