// What the built-ins read, print and refuse: attribute values and their forms, queries,
// connections, aliases, names, transforms and points.
#include "CommandFixture.h"
#include "dag/BuiltinTypes.h"
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>

namespace {

MObject gPoints, gInts, gDoubles, gStringAttr, gLimited;
void registerTyped() {
    if (khost::ClassRegistry::instance().find("typedHolder"))
        return;
    khost::registerBuiltinClass(
        "typedHolder", MTypeId(0x7f0401), khost::NodeRole::Depend, MFn::kPluginDependNode,
        []() -> void* { return new MPxNode; },
        []() {
            MFnTypedAttribute typed;
            gPoints = typed.create("points", "pts", MFnData::kPointArray);
            gInts = typed.create("indices", "ind", MFnData::kIntArray);
            gDoubles = typed.create("values", "vals", MFnData::kDoubleArray);
            gStringAttr = typed.create("label", "lb", MFnData::kString);
            MFnNumericAttribute numeric;
            gLimited = numeric.create("limited", "lim", MFnNumericData::kInt, 2);
            numeric.setMin(0);
            numeric.setMax(10);
            for (const MObject* a : {&gPoints, &gInts, &gDoubles, &gStringAttr, &gLimited})
                MPxNode::addAttribute(*a);
            return MStatus(MS::kSuccess);
        });
}

class BuiltinTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        registerTyped();
    }
    std::vector<double> numbers(const std::string& statement) {
        std::vector<double> values;
        for (const std::string& word : run(statement))
            values.push_back(std::stod(word));
        return values;
    }
    static void expectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t k = 0; k < actual.size(); ++k)
            EXPECT_NEAR(actual[k], expected[k], 1e-12) << "value " << k;
    }
};

} // namespace

TEST_F(BuiltinTest, TypedDataReadsBackAsWritten) {
    run("createNode typedHolder -n h");
    run("setAttr h.pts -type \"pointArray\" 2 1 2 3 1 -4 0.5 6 1");
    EXPECT_EQ(result("getAttr h.pts"), "1 2 3 1 -4 0.5 6 1");
    run("setAttr h.ind -type \"Int32Array\" 3 0 5 9; setAttr h.vals -type \"doubleArray\" 2 0.1 0.2");
    EXPECT_EQ(result("getAttr h.ind"), "0 5 9");
    // The whole 32-bit range, both ends included.
    run("setAttr h.ind -type \"Int32Array\" 2 -2147483648 2147483647");
    EXPECT_EQ(result("getAttr h.ind"), "-2147483648 2147483647");
    EXPECT_EQ(result("getAttr h.vals"), "0.1 0.2");
    run("setAttr h.lb -type \"string\" \"two words\"");
    EXPECT_EQ(run("getAttr h.lb"), std::vector<std::string>{"two words"});
    run("setAttr h.lim 25");
    EXPECT_EQ(result("getAttr h.lim"), "10") << "clamped to the maximum";
    run("setAttr h.lim 3.9");
    EXPECT_EQ(result("getAttr h.lim"), "3");
}

TEST_F(BuiltinTest, MalformedValuesAreRefusedAndChangeNothing) {
    run("createNode typedHolder -n h; setAttr h.ind -type \"Int32Array\" 1 7");
    std::string before = sceneState();
    expectError("setAttr h.ind -type \"Int32Array\" 3 1 2",
                "setAttr: Error reading data for 'h.indices': the Int32Array value is malformed.");
    expectError("setAttr h.ind -type \"Int32Array\" 99999999999 1",
                "setAttr: Error reading data for 'h.indices': the Int32Array value is malformed.");
    for (const char* outside : {"2147483648", "-2147483649"})
        expectError(std::string("setAttr h.ind -type \"Int32Array\" 1 ") + outside,
                    "setAttr: Error reading data for 'h.indices': the Int32Array value is malformed.");
    expectError(
        "setAttr h.pts -type \"doubleArray\" 1 1",
        "setAttr: Error reading data for 'h.points': data of type doubleArray does not fit the attribute.");
    expectError("setAttr h.lim 1 2", "setAttr: Too many values for 'h.limited'.");
    expectError("setAttr h.lim abc", "setAttr: Error reading data for 'h.limited': a number was expected.");
    expectError("setAttr h.nothing 1", "No object matches name: h.nothing");
    expectError("setAttr -type \"mesh\" h.lb 3 0 0 0",
                "setAttr: Error reading data for 'h.label': data of type mesh "
                "does not fit the attribute.");
    EXPECT_EQ(sceneState(), before);
}

TEST_F(BuiltinTest, LockedOrConnectedPlugsRefuseValues) {
    run("createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx; setAttr -l on b.ty");
    expectError("setAttr b.tx 1",
                "setAttr: The attribute 'b.translateX' is locked or connected and cannot be modified.");
    expectError("setAttr b.t 1 2 3",
                "setAttr: The attribute 'b.translate' is locked or connected and cannot be modified.");
    expectError("setAttr b.ty 1",
                "setAttr: The attribute 'b.translateY' is locked or connected and cannot be modified.");
    EXPECT_EQ(result("getAttr -l b.ty"), "1");
    run("setAttr -l off b.ty 5");
    EXPECT_EQ(result("getAttr b.ty"), "5");
    expectError("setAttr b.worldMatrix[0] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1",
                "setAttr: The attribute 'b.worldMatrix[0]' is not writable.");
}

TEST_F(BuiltinTest, ArraysSizesRangesAndMissingElements) {
    run("createNode transform -n t; setAttr t.tx 2; setAttr t.rz 90");
    EXPECT_EQ(result("getAttr t.t"), "2 0 0");
    EXPECT_EQ(result("getAttr -s t.t"), "1");
    expectNear(numbers("getAttr t.worldMatrix[0]"), {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 2, 0, 0, 1});
    EXPECT_EQ(result("getAttr -s t.worldMatrix"), "1");
    run("createNode typedHolder -n h");
    run("setAttr h.ind -type \"Int32Array\" 0");
    EXPECT_EQ(result("getAttr h.ind"), "");
    expectError("getAttr t.worldMatrix[3:1]", "No object matches name: t.worldMatrix[3:1]");
    expectError("getAttr t.tx[0:1]", "No object matches name: t.tx[0:1]");
}

TEST_F(BuiltinTest, ConnectionsAreListedAndGuarded) {
    run("createNode transform -n a; createNode transform -n b; createNode transform -n c");
    EXPECT_EQ(result("connectAttr a.tx b.ty"), "Connected a.translateX to b.translateY.");
    expectError("connectAttr a.tx b.ty", "'a.translateX' is already connected to 'b.translateY'.");
    expectError("connectAttr c.tx b.ty",
                "'b.translateY' already has an incoming connection from 'a.translateX'.");
    expectError("connectAttr a.nope b.ty", "The source attribute 'a.nope' cannot be found.");
    expectError("connectAttr a.tx b.nope", "The destination attribute 'b.nope' cannot be found.");
    run("connectAttr a.ty c.tz; connectAttr b.tx c.tx");
    EXPECT_EQ(result("listConnections a"), "b c");
    EXPECT_EQ(result("listConnections -d off c"), "b a") << "in the order of c's attributes";
    EXPECT_EQ(result("listConnections -s on -d off -p on c.tx"), "b.translateX");
    EXPECT_EQ(result("listConnections -s off b"), "c");
    EXPECT_EQ(result("disconnectAttr a.tx b.ty"), "Disconnect a.translateX from b.translateY.");
    expectError("disconnectAttr a.tx b.ty",
                "There is no connection from 'a.translateX' to 'b.translateY' to disconnect.");
}

TEST_F(BuiltinTest, AliasesNameElementsAndAreQueried) {
    run("createNode typedHolder -n h; createNode transform -n t");
    run("aliasAttr lift t.ty; aliasAttr slide t.tx");
    EXPECT_EQ(result("aliasAttr -q t"), "lift translateY slide translateX");
    run("setAttr t.lift 3");
    EXPECT_EQ(result("getAttr t.ty"), "3");
    expectError("aliasAttr translateZ t.ty", "aliasAttr: 'translateZ' cannot be used as an alias on 't'.");
    expectError("aliasAttr lift t.tz", "aliasAttr: The alias 'lift' is already used on 't'.");
    run("aliasAttr -rm t.lift");
    EXPECT_EQ(result("aliasAttr -q t"), "slide translateX");
}

TEST_F(BuiltinTest, NodesByNameTypeAndSelection) {
    run("polyCube -n box; circle -n ring; createNode typedHolder -n h");
    EXPECT_EQ(result("ls -type mesh -type nurbsCurve"), "boxShape ringShape");
    EXPECT_EQ(result("ls -type shape \"*Shape\""), "boxShape ringShape");
    EXPECT_EQ(result("ls \"r*g\" nothing"), "ring");
    EXPECT_EQ(result("nodeType box.vtx[1]"), "mesh");
    EXPECT_EQ(result("objExists box.tx"), "1");
    EXPECT_EQ(result("objExists box.nope"), "0");
    expectError("select box nothing", "No object matches name: nothing");
    run("select ring box.vtx[1:3]");
    EXPECT_EQ(result("ls -sl"), "ring boxShape.vtx[1:3]");
    expectError("createNode nothing", "Unknown object type: nothing");
    expectError("createNode transform -n \"bad name\"", "createNode: 'bad name' is not a valid node name.");
    expectError("createNode typedHolder -p box", "createNode: 'box' cannot be the parent of a typedHolder.");
    EXPECT_EQ(result("rename box box"), "box") << "a node's own name is not taken";
    EXPECT_EQ(result("rename h ring"), "ring1");
    EXPECT_EQ(result("duplicate box"), "box1");
    EXPECT_EQ(result("ls \"box1|*\""), "boxShape1");
}

TEST_F(BuiltinTest, TransformsAndPointsInWorldAndObjectSpace) {
    run("createNode transform -n parent; setAttr parent.t 10 0 0; setAttr parent.rz 90");
    run("polyCube -n box; createNode transform -n child -p parent");
    run("move 1 2 3 child");
    expectNear(numbers("xform -q -ws -t child"), {1, 2, 3});
    expectNear(numbers("xform -q -t child"), {2, 9, 3});
    run("move -r -os 1 0 0 child");
    expectNear(numbers("getAttr child.t"), {3, 9, 3});
    run("move 0 0 0 box; rotate 0 0 90 box; scale 2 2 2 box");
    EXPECT_EQ(result("pointPosition -l box.vtx[0]"), "-0.5 -0.5 0.5");
    expectNear(numbers("pointPosition box.vtx[0]"), {1, -1, 1});
    run("move -r 0 1 0 box.vtx[0]");
    expectNear(numbers("pointPosition -w box.vtx[0]"), {1, 0, 1});
    expectNear(numbers("pointPosition -l box.vtx[0]"), {0, -0.5, 0.5});
    run("move -os 0 0 0 box.vtx[1]");
    EXPECT_EQ(result("pointPosition -l box.vtx[1]"), "0 0 0");
    run("scale -r 1 0.5 1 box; rotate -r 0 0 -90 box");
    expectNear(numbers("xform -q -s box"), {2, 1, 2});
    expectNear(numbers("xform -q -ro box"), {0, 0, 0});
    expectError("move 1 2 box.vtx[0]", "move: 'box.vtx[0]' is not a number.");
    expectError("rotate 1 2 3 box.vtx[0]", "rotate: 'boxShape.vtx[0]' is not a transform.");
    expectError("pointPosition box.vtx[0:1]", "pointPosition: 'box.vtx[0:1]' is not a single point.");
    run("setAttr -l on box.tx");
    expectError("move 1 2 3 box",
                "The attribute 'box.translate' is locked or connected and cannot be modified.");
}
