// Undo and redo of every built-in that changes the scene, the undo queue, MDGModifier and
// plug-in commands.
#include "CommandFixture.h"
#include "command/CommandRegistry.h"
#include "dag/BuiltinTypes.h"
#include <fstream>
#include <maya/MArgDatabase.h>
#include <maya/MDGModifier.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPxCommand.h>
#include <maya/MPxDeformerNode.h>

namespace {

// A deformer type for `deformer`: it leaves the points as they are.
class Still : public MPxDeformerNode {
public:
    static void* creator() { return new Still; }
    MStatus deform(MDataBlock&, MItGeometry&, const MMatrix&, unsigned int) override { return MS::kSuccess; }
};

// A dependency node type with array, compound and typed attributes.
MObject gWeights, gItems, gItemValue, gLabel;
void registerHolder() {
    if (khost::ClassRegistry::instance().find("holder"))
        return;
    khost::registerBuiltinClass(
        "holder", MTypeId(0x7f0301), khost::NodeRole::Depend, MFn::kPluginDependNode,
        []() -> void* { return new MPxNode; },
        []() {
            MFnNumericAttribute numeric;
            gWeights = numeric.create("weights", "w", MFnNumericData::kDouble, 1.0);
            numeric.setArray(true);
            gItemValue = numeric.create("itemValue", "iv", MFnNumericData::kFloat, 0.0);
            MFnCompoundAttribute compound;
            gItems = compound.create("items", "it");
            compound.addChild(gItemValue);
            compound.setArray(true);
            MFnTypedAttribute typed;
            gLabel = typed.create("label", "lb", MFnData::kString);
            MPxNode::addAttribute(gWeights);
            MPxNode::addAttribute(gItems);
            MPxNode::addAttribute(gLabel);
            return MStatus(MS::kSuccess);
        });
}

void registerStill() {
    if (khost::ClassRegistry::instance().find("still"))
        return;
    auto cls = std::make_unique<khost::NodeClass>();
    cls->name = "still";
    cls->id = MTypeId(0x7f0302);
    cls->pxType = MPxNode::kDeformerNode;
    cls->role = khost::NodeRole::Deformer;
    cls->apiType = MFn::kPluginDeformerNode;
    cls->creator = &Still::creator;
    khost::prepareNodeClass(*cls);
    khost::ClassRegistry::instance().add(std::move(cls));
}

struct UndoCase {
    const char* name;
    const char* setup;
    const char* command;
};

const UndoCase kCases[] = {
    {"createNode", "", "createNode transform -n t"},
    {"createNodeShapeMakesItsTransform", "", "createNode mesh -n m"},
    {"createNodeUnderParent", "createNode transform -n p", "createNode transform -n c -p p"},
    {"setAttrScalar", "createNode transform -n t", "setAttr t.tx 2.5"},
    {"setAttrCompound", "createNode transform -n t", "setAttr t.s 1 2 3"},
    {"setAttrRangeMakesElements", "createNode holder -n h; setAttr h.w[1] 5", "setAttr h.w[0:3] 1 2 3 4"},
    {"setAttrCompoundElement", "createNode holder -n h", "setAttr h.it[2].iv 0.5"},
    {"setAttrString", "createNode holder -n h", "setAttr -type \"string\" h.lb \"some \\\"text\\\"\""},
    {"setAttrLockAndValue", "createNode transform -n t", "setAttr -l true t.ty 4"},
    {"connectAttr", "createNode transform -n a; createNode transform -n b", "connectAttr a.tx b.ty"},
    {"connectAttrGivesBackTheOldValue",
     "createNode transform -n a; createNode transform -n b; setAttr a.tx 3", "connectAttr a.tx b.ty"},
    {"connectAttrForceReplaces",
     "createNode transform -n a; createNode transform -n b; createNode transform -n c;"
     "connectAttr a.tx c.tx; setAttr b.ty 3",
     "connectAttr -f b.ty c.tx"},
    {"disconnectAttr",
     "createNode transform -n a; createNode transform -n b; setAttr a.tx 3; connectAttr a.tx b.tx",
     "disconnectAttr a.tx b.tx"},
    {"aliasAttr", "createNode holder -n h", "aliasAttr first h.w[0]"},
    {"removeMultiInstanceBreaksConnections",
     "createNode holder -n h; setAttr h.it[1].iv 2; setAttr h.it[4].iv 3; createNode transform -n a;"
     "connectAttr a.tx h.it[4].iv",
     "removeMultiInstance -b true h.it[4] h.it[1] h.it[9]"},
    {"aliasAttrRemove", "createNode holder -n h; aliasAttr first h.w[0]", "aliasAttr -rm h.first"},
    {"select", "createNode transform -n a; createNode transform -n b; select a", "select -add b"},
    {"deselect", "createNode transform -n a; createNode transform -n b; select a b", "select -d a"},
    {"deleteWithChildrenAndConnections",
     "polyCube -n box; createNode transform -n a; connectAttr a.tx box.ty; aliasAttr lift box.ty; select box",
     "delete box"},
    {"rename", "createNode transform -n a", "rename a b"},
    {"duplicate", "polyCube -n box; setAttr box.tx 2", "duplicate -n copy box"},
    {"polyPlane", "", "polyPlane -w 2 -h 3 -sx 2 -sy 3 -ax 1 0 0"},
    {"polyCube", "", "polyCube -w 2 -sz 2"},
    {"polySphere", "", "polySphere -r 2 -sx 6 -sy 4"},
    {"circle", "", "circle -r 2 -s 6 -nr 0 1 0"},
    {"curve", "", "curve -d 1 -p 0 0 0 -p 1 0 0 -p 1 1 0 -n line"},
    {"moveTransform", "polyCube -n box", "move -r 1 2 3 box"},
    {"moveComponents", "polyCube -n box; setAttr box.ry 90", "move -r -ws 0 1 0 box.vtx[0:3]"},
    {"moveCurvePoint", "curve -d 1 -p 0 0 0 -p 1 0 0 -n line", "move 5 5 5 line.cv[1]"},
    {"rotate", "polyCube -n box", "rotate 0 45 0 box"},
    {"scale", "polyCube -n box", "scale -r 2 2 2 box"},
    {"xform", "polyCube -n box", "xform -ws -t 1 2 3 -ro 0 0 90 -s 1 1 2 box"},
    {"deformer", "polyCube -n box; polyPlane -n flat", "deformer -type still -n def box flat"},
    {"python", "",
     "python(\"import maya.cmds as cmds; cmds.polyCube(n='box'); cmds.move(1, 0, 0, 'box', r=True)\")"},
};

class UndoTest : public CommandTest, public ::testing::WithParamInterface<UndoCase> {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        registerHolder();
        registerStill();
    }
};

} // namespace

TEST_P(UndoTest, UndoRestoresTheSceneExactlyAndRedoReplaysIt) {
    const UndoCase& c = GetParam();
    if (*c.setup)
        run(c.setup);
    khost::UndoQueue::instance().flush();
    std::string before = sceneState();
    run(c.command);
    std::string after = sceneState();
    ASSERT_NE(before, after) << "the command changed nothing";
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 1u);
    run("undo");
    EXPECT_EQ(firstDifference(sceneState(), before), "");
    run("redo");
    EXPECT_EQ(firstDifference(sceneState(), after), "");
    run("undo; redo; undo");
    EXPECT_EQ(firstDifference(sceneState(), before), "");
}

INSTANTIATE_TEST_SUITE_P(EveryBuiltin, UndoTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<UndoCase>& info) { return info.param.name; });

class UndoQueueTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        registerHolder();
    }
};

TEST_F(UndoQueueTest, ImportIsUndoable) {
    std::string path = ::testing::TempDir() + "/undo_import.obj";
    std::ofstream(path) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::string before = sceneState();
    run("file -i \"" + path + "\"");
    std::string after = sceneState();
    EXPECT_NE(before, after);
    run("undo");
    EXPECT_EQ(sceneState(), before);
    run("redo");
    EXPECT_EQ(sceneState(), after);
}

TEST_F(UndoQueueTest, ANewCommandForgetsRedoAndEmptyQueuesWarn) {
    run("createNode transform -n a; createNode transform -n b; undo");
    EXPECT_EQ(khost::UndoQueue::instance().redoCount(), 1u);
    run("createNode transform -n c");
    EXPECT_EQ(khost::UndoQueue::instance().redoCount(), 0u);
    run("redo; undo; undo; undo");
    EXPECT_EQ(result("ls"), "");
    EXPECT_EQ(
        khost::Messages::instance().count(khost::Message::Warning, "There are no more commands to redo."),
        1u);
    EXPECT_EQ(
        khost::Messages::instance().count(khost::Message::Warning, "There are no more commands to undo."),
        1u);
    run("redo; flushUndo; undo");
    EXPECT_EQ(result("ls"), "a");
    EXPECT_TRUE(khost::executeStatement("getAttr a.tx"));
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 0u) << "queries are not undoable";
}

TEST_F(UndoQueueTest, AFailingCommandPutsBackWhatItChangedFirst) {
    run("createNode holder -n h; setAttr h.w[0] 7");
    std::string before = sceneState();
    EXPECT_FALSE(khost::executeStatement("setAttr h.w[0:2] 1 2 oops"));
    EXPECT_EQ(sceneState(), before);
    EXPECT_EQ(errors().back(), "setAttr: Error reading data for 'h.weights': a number was expected.");
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 2u) << "the failed command is not queued";
}

TEST_F(UndoQueueTest, ModifierDoItRunsNewOperationsAndUndoItReversesAll) {
    run("createNode transform -n a; createNode transform -n b; createNode holder -n h; setAttr h.w[3] 2");
    std::string before = sceneState();
    size_t queued = khost::UndoQueue::instance().undoCount();
    MDGModifier modifier;
    MObject made = modifier.createNode("transform");
    EXPECT_TRUE(modifier.renameNode(made, "made"));
    EXPECT_TRUE(modifier.connect(plug("a.tx"), plug("b.ty")));
    EXPECT_TRUE(modifier.newPlugValueDouble(plug("a.tz"), 4.0));
    EXPECT_TRUE(modifier.newPlugValueString(plug("h.lb"), "label"));
    EXPECT_EQ(node("made"), nullptr) << "nothing happens before doIt";
    ASSERT_TRUE(modifier.doIt());
    EXPECT_NE(node("made"), nullptr);
    EXPECT_EQ(result("getAttr b.ty"), "0");
    EXPECT_EQ(result("getAttr h.lb"), "label");

    EXPECT_TRUE(modifier.removeMultiInstance(plug("h.w[3]"), true));
    EXPECT_TRUE(modifier.removeMultiInstance(plug("h.w[9]"), true)) << "a missing element is left alone";
    EXPECT_TRUE(modifier.commandToExecute("setAttr a.rx 30; createNode transform -n byMel"));
    EXPECT_TRUE(modifier.pythonCommandToExecute("import maya.cmds as cmds; cmds.aliasAttr('lift', 'a.tz')"));
    EXPECT_TRUE(modifier.disconnect(plug("a.tx"), plug("b.ty")));
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(result("getAttr -s h.w"), "0");
    EXPECT_NE(node("byMel"), nullptr);
    EXPECT_EQ(result("aliasAttr -q a"), "lift translateZ");
    EXPECT_EQ(result("listConnections b"), "");
    EXPECT_EQ(result("getAttr a.tz"), "4") << "operations already done are not run again";

    ASSERT_TRUE(modifier.undoIt());
    EXPECT_EQ(sceneState(), before);
    ASSERT_TRUE(modifier.doIt());
    EXPECT_NE(node("byMel"), nullptr);
    ASSERT_TRUE(modifier.undoIt());
    EXPECT_EQ(sceneState(), before);
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), queued)
        << "the modifier's MEL is its own, not the queue's";
}

TEST_F(UndoQueueTest, ModifierRefusesWhatTheGraphRefuses) {
    run("createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx; setAttr -l true a.ty");
    MDGModifier connectTwice;
    connectTwice.connect(plug("a.ty"), plug("b.tx"));
    EXPECT_FALSE(connectTwice.doIt()) << "the destination already has an input";
    MDGModifier locked;
    locked.newPlugValueDouble(plug("a.ty"), 1.0);
    EXPECT_FALSE(locked.doIt());
    MDGModifier keepConnections;
    registerHolder();
    run("createNode holder -n h; connectAttr a.tx h.w[0]");
    keepConnections.removeMultiInstance(plug("h.w[0]"), false);
    EXPECT_FALSE(keepConnections.doIt());
    MDGModifier bad;
    EXPECT_FALSE(bad.newPlugValueDouble(plug("h.lb"), 1.0)) << "a string is not a number";
    EXPECT_FALSE(bad.removeMultiInstance(plug("h.w"), true)) << "not an element";
    EXPECT_TRUE(MObject() == bad.createNode("noSuchType"));
}

namespace {

// A plug-in style command: makes a transform, undoable through its own stored state.
class MakeCommand : public MPxCommand {
public:
    static int undos;
    static void* creator() { return new MakeCommand; }
    static MSyntax newSyntax() {
        MSyntax syntax;
        syntax.addFlag("-n", "-name", MSyntax::kString);
        return syntax;
    }
    MStatus doIt(const MArgList& args) override {
        MArgDatabase db(syntax(), args);
        db.getFlagArgument("-n", 0, fName);
        fModifier.commandToExecute("createNode transform -n " + fName);
        setResult(fName);
        appendToResult(2);
        return redoIt();
    }
    MStatus redoIt() override { return fModifier.doIt(); }
    MStatus undoIt() override {
        ++undos;
        return fModifier.undoIt();
    }
    bool isUndoable() const override { return true; }

private:
    MString fName;
    MDGModifier fModifier;
};
int MakeCommand::undos = 0;

} // namespace

TEST_F(UndoQueueTest, PluginCommandsRunWithTheirSyntaxAndUndo) {
    ASSERT_TRUE(
        khost::registerPluginCommand("makeIt", MakeCommand::creator, MakeCommand::newSyntax, "tests"));
    EXPECT_FALSE(khost::registerPluginCommand("makeIt", MakeCommand::creator, nullptr, "tests"));
    EXPECT_FALSE(khost::executeStatement("makeIt -bogus")) << "checked against the syntax before doIt";
    EXPECT_EQ(node("made1"), nullptr);
    EXPECT_EQ(result("makeIt -n made1"), "made1 2");
    EXPECT_NE(node("made1"), nullptr);
    run("undo");
    EXPECT_EQ(MakeCommand::undos, 1);
    EXPECT_EQ(node("made1"), nullptr);
    run("redo");
    EXPECT_NE(node("made1"), nullptr);
    EXPECT_TRUE(khost::deregisterPluginCommand("makeIt"));
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 0u) << "the queue may hold the command's objects";
    EXPECT_FALSE(khost::executeStatement("makeIt"));
    EXPECT_FALSE(khost::deregisterPluginCommand("ls")) << "built-ins stay";
}
