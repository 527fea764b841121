// Input a user, a script or a file can give that must end in a clear error and leave the scene as it
// was: NUL bytes, runaway nesting, huge sizes and ranges, numbers that are not finite, and commands
// that replace the scene while they run.
#include "CommandFixture.h"
#include "command/Values.h"
#include "dag/BuiltinTypes.h"
#include "dag/Dag.h"
#include "plugin/PluginLoader.h"
#include <cmath>
#include <fstream>
#include <limits>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnNurbsCurve.h>
#include <sstream>

namespace {

MObject gList, gRatio, gCount;
void registerRobust() {
    if (khost::ClassRegistry::instance().find("robust"))
        return;
    khost::registerBuiltinClass(
        "robust", MTypeId(0x7f0601), khost::NodeRole::Depend, MFn::kPluginDependNode,
        []() -> void* { return new MPxNode; },
        []() {
            MFnNumericAttribute numeric;
            gList = numeric.create("list", "ls", MFnNumericData::kDouble, 0.0);
            numeric.setArray(true);
            gRatio = numeric.create("ratio", "ra", MFnNumericData::kFloat, 0.5);
            gCount = numeric.create("count", "co", MFnNumericData::kInt, 2);
            for (const MObject* a : {&gList, &gRatio, &gCount})
                MPxNode::addAttribute(*a);
            return MStatus(MS::kSuccess);
        });
}

class RobustnessTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        registerRobust();
    }
    static std::string path(const std::string& name) { return ::testing::TempDir() + "/" + name; }
    static void writeFile(const std::string& file, const std::string& text) {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }
    static std::string readFile(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static MPointArray curveCVs(const std::string& shape) {
        MPointArray cvs;
        MFnNurbsCurve(node(shape)->handle()).getCVs(cvs);
        return cvs;
    }
};

} // namespace

TEST_F(RobustnessTest, ANulByteIsRefusedWithItsPlaceAndRunsNothing) {
    const std::string script = std::string("createNode transform -n a;\ncreateNode tr") + '\0' + "nsform;";
    EXPECT_FALSE(khost::runScript(script));
    EXPECT_EQ(errors(), std::vector<std::string>{"Line 2.14: Invalid NUL character."});
    EXPECT_EQ(node("a"), nullptr);

    const std::string scene = path("nul_scene.ma");
    khost::Messages::instance().clear();
    writeFile(scene, std::string("createNode transform -n b;\n\"") + '\0' + "\";\n");
    EXPECT_FALSE(khost::executeStatement("file -o \"" + scene + "\""));
    EXPECT_EQ(errors().front(), "Line 2.2: Invalid NUL character.");
    EXPECT_EQ(node("b"), nullptr);
}

TEST_F(RobustnessTest, RunawayNestingEndsWithAnError) {
    // A scene file that opens itself.
    const std::string scene = path("opens_itself.ma");
    writeFile(scene, "createNode transform -n again;\nfile -o \"" + scene + "\";\n");
    EXPECT_FALSE(khost::executeStatement("file -o \"" + scene + "\""));
    // The innermost scene gets as far as its first statement.
    EXPECT_EQ(errors().front(), "Commands are nested more than 64 levels deep: \"createNode\" is not run.");

    // Python values nested deeper than Python itself allows.
    khost::Messages::instance().clear();
    const std::string code =
        "import maya.cmds as cmds\\ncmds.ls(" + std::string(20000, '[') + std::string(20000, ']') + ")";
    EXPECT_FALSE(khost::executeStatement("python(\"" + code + "\")"));
    EXPECT_EQ(errors(), std::vector<std::string>{"SyntaxError: too many nested parentheses (line 2)"});
}

TEST_F(RobustnessTest, SizesAreHintsAndRangesVisitOnlyWhatExists) {
    run("createNode robust -n r; setAttr r.ls[3] 1; setAttr r.ls[7] 2");
    const std::string before = sceneText();
    run("setAttr -s 2147483648 r.ls");
    EXPECT_EQ(sceneText(), before) << "a size makes no elements";
    EXPECT_EQ(result("getAttr -s r.ls"), "2");
    expectError("setAttr -s 2 r.ra", "setAttr: -size needs an array attribute: 'r.ratio'.");

    EXPECT_EQ(result("getAttr r.ls[0:999999999]"), "1 2");
    EXPECT_EQ(result("getAttr r.ls[5:999999999]"), "2");
    EXPECT_EQ(result("getAttr r.ls[8:999999999]"), "");
}

TEST_F(RobustnessTest, RemovingElementsRefusesWhatIsConnectedOrNoElement) {
    run("createNode transform -n t; createNode robust -n r; setAttr r.ls[1] 5; connectAttr t.tx r.ls[4]");
    expectError(
        "removeMultiInstance r.ls[4]",
        "removeMultiInstance: 'r.list[4]' is connected: use -b true to break its connections and remove it.");
    expectError("removeMultiInstance r.ra",
                "removeMultiInstance: 'r.ratio' is not an element of a multi attribute.");
    run("setAttr -l true r.ls[1]");
    expectError("removeMultiInstance r.ls[1]",
                "removeMultiInstance: 'r.list[1]' is locked and cannot be removed.");
    run("removeMultiInstance -b false r.ls[7]");
    EXPECT_EQ(result("getAttr -s r.ls"), "2") << "a missing element is left alone";
    run("removeMultiInstance -b true r.ls[4]");
    EXPECT_EQ(result("getAttr r.ls"), "5");
    EXPECT_EQ(result("listConnections t"), "");
}

TEST_F(RobustnessTest, ManyFailingStatementsEachSayWhy) {
    std::string script;
    for (int k = 0; k < 40000; ++k)
        script += "getAttr nothing.tx;\n";
    khost::ScriptOptions options;
    options.keepGoing = true;
    EXPECT_FALSE(khost::runScript(script, options));
    EXPECT_EQ(errors().size(), 40000u);
    EXPECT_EQ(errors().back(), "No object matches name: nothing.tx");
}

TEST_F(RobustnessTest, NumbersTheSceneCannotHoldAreRefusedAndChangeNothing) {
    run("createNode robust -n r; createNode transform -n t; polyPlane -w 1 -h 1 -sx 1 -sy 1 -n p;"
        "createNode mesh -n m");
    const std::string before = sceneText();
    expectError("setAttr r.ra 1e39",
                "setAttr: Error reading data for 'r.ratio': 1e+39 is outside the range of a float.");
    expectError("setAttr r.co 3e9",
                "setAttr: Error reading data for 'r.count': 3000000000 is outside the range of an integer.");
    EXPECT_FALSE(plug("r.ra").setDouble(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(plug("r.ls[0]").setDouble(std::nan("")));

    run("move -r 0 1e308 0 p.vtx[0]; move -r 1e308 0 0 t; setAttr p.ty 1e308");
    const std::string moved = sceneText();
    expectError("move -r 0 1e308 0 p.vtx[0]", "move: 'pShape.vtx[0]' would not be at a finite position.");
    expectError("move -r 1e308 0 0 t", "The value of 't.translate' would not be a finite number.");
    // Finite in object space, not in world space.
    expectError("move -r -ws 0 1e308 0 p.vtx[1]", "move: 'pShape.vtx[1]' would not be at a finite position.");
    EXPECT_EQ(sceneText(), moved);
    run("undo; undo; undo");
    EXPECT_EQ(firstDifference(sceneText(), before), "");

    // A mesh value whose UV does not fit a float, and an OBJ vertex beyond any double.
    expectError("setAttr m.i -type \"mesh\" 3 0 0 0 1 0 0 0 1 0 1 3 0 1 2 3 0 0 1e308 0 0 1 0 "
                "1 2",
                "setAttr: Error reading data for 'm.inMesh': the mesh value is malformed.");
    const std::string obj = path("infinite.obj");
    writeFile(obj, "v 0 0 0\nv 1e400 0 0\nv 0 1 0\nf 1 2 3\n");
    expectError("file -i \"" + obj + "\"",
                "file: '" + obj + "' has a vertex that is not at a finite position.");
    EXPECT_EQ(firstDifference(sceneText(), before), "");
}

TEST_F(RobustnessTest, ASceneWithANumberThatIsNotFiniteIsNotSaved) {
    run("createNode robust -n r; setAttr r.ls[2] 4");
    const std::string file = path("not_finite.ma");
    run("file -save \"" + file + "\"");
    const std::string saved = readFile(file);
    // Only a node's own code could put it there; the scene's commands refuse it.
    node("r")
        ->find(khost::keyFor(plug("r.ls[2]")), false)
        ->setNumeric(std::numeric_limits<double>::infinity());
    expectError("file -save \"" + file + "\"",
                "file: Cannot save '" + file + "': 'r.list[2]' holds a number that is not finite.");
    EXPECT_EQ(readFile(file), saved) << "the file on disk is left as it was";
    EXPECT_EQ(khost::formatNumber(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(khost::formatNumber(std::nan("")), "nan");
}

TEST_F(RobustnessTest, EditsKeepAPeriodicCurvesRepeatedCVsInStep) {
    run("circle -s 8 -n ringT");
    const MPointArray before = curveCVs("ringTShape");
    ASSERT_EQ(before.length(), 11u);
    run("move -r 0 1 0 ringT.cv[0]");
    MPointArray cvs = curveCVs("ringTShape");
    EXPECT_DOUBLE_EQ(cvs[0].y, before[0].y + 1);
    EXPECT_DOUBLE_EQ(cvs[8].y, cvs[0].y);
    expectError("pointPosition ringT.cv[8]", "No object matches name: ringT.cv[8]");

    // Through a function set, whatever is given for the repeated CVs.
    cvs[1].z = 3.0;
    cvs[9].z = -7.0;
    ASSERT_TRUE(MFnNurbsCurve(node("ringTShape")->handle()).setCVs(cvs));
    EXPECT_DOUBLE_EQ(curveCVs("ringTShape")[9].z, 3.0);
    run("undo");
    EXPECT_DOUBLE_EQ(curveCVs("ringTShape")[8].y, before[8].y);
}

TEST_F(RobustnessTest, ACommandThatReplacesTheSceneLeavesNothingOfTheOldOneToUndo) {
    run("createNode transform -n p; createNode transform -n c -p p");
    run("python(\"import maya.cmds as cmds\\ncmds.delete(\\\"c\\\")\\ncmds.file(new=True)\\ncmds.createNode("
        "\\\"transform\\\", n=\\\"fresh\\\")\")");
    EXPECT_EQ(khost::Scene::instance().nodes().size(), 1u);
    run("undo");
    EXPECT_EQ(khost::Scene::instance().nodes().size(), 0u) << "the new node goes; the old ones stay gone";
    EXPECT_EQ(node("c"), nullptr);
    run("redo; undo; undo");
    EXPECT_EQ(khost::Scene::instance().nodes().size(), 0u);

    // A deleted plug-in node waiting in the command's record must not outlive the module.
    ASSERT_TRUE(khost::loadPluginModule(KIVO_PLUGIN_DIR "/kivoMorph.so"));
    run("polyPlane -n base; deformer -type kivoMorph -n m base");
    run("python(\"import maya.cmds as cmds\\ncmds.delete('m')\\ncmds.unloadPlugin('kivoMorph')\")");
    EXPECT_FALSE(khost::isPluginLoaded("kivoMorph"));
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 0u);
    EXPECT_EQ(node("m"), nullptr);
}
