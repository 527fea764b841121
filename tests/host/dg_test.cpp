// The dependency-graph contract: sparse arrays, data handles and builders, internal attributes,
// dirty propagation with lazy evaluation, aliases, locks and disconnection.
#include "HostFixture.h"
#include "core/Undo.h"
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MIntArray.h>
#include <maya/MPxNode.h>
#include <maya/MStringArray.h>
#include <vector>

namespace {

// output = 2 * input + the sum of list; counts computes and records every plug dirtied on it.
class Probe : public MPxNode {
public:
    static MObject input, output, list, items, weight, tag, secret, resetIn, keepIn;
    static void* creator() { return new Probe; }

    static MStatus initialize() {
        MFnNumericAttribute n;
        input = n.create("input", "in", MFnNumericData::kDouble, 0);
        output = n.create("output", "out", MFnNumericData::kDouble, 0);
        n.setWritable(false);
        n.setStorable(false);
        list = n.create("list", "ls", MFnNumericData::kDouble, 0);
        n.setArray(true);
        n.setUsesArrayDataBuilder(true);
        weight = n.create("weight", "wt", MFnNumericData::kFloat, 1);
        tag = n.create("tag", "tg", MFnNumericData::kInt, 0);
        MFnCompoundAttribute c;
        items = c.create("items", "it");
        c.addChild(weight);
        c.addChild(tag);
        c.setArray(true);
        secret = n.create("secret", "sc", MFnNumericData::kDouble, 0);
        n.setInternal(true);
        resetIn = n.create("resetIn", "ri", MFnNumericData::kDouble, 7);
        n.setDisconnectBehavior(MFnAttribute::kReset);
        keepIn = n.create("keepIn", "ki", MFnNumericData::kDouble, 3);
        for (const MObject* a : {&input, &output, &list, &items, &secret, &resetIn, &keepIn})
            addAttribute(*a);
        attributeAffects(input, output);
        attributeAffects(list, output);
        attributeAffects(items, output);
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug.attribute() != output)
            return MS::kUnknownParameter;
        ++computes;
        double sum = 2 * block.inputValue(input).asDouble();
        MArrayDataHandle elements = block.inputArrayValue(list);
        for (unsigned k = 0; k < elements.elementCount(); ++k, elements.next())
            sum += elements.inputValue().asDouble();
        block.outputValue(output).setDouble(sum);
        block.setClean(plug);
        return MS::kSuccess;
    }

    MStatus setDependentsDirty(const MPlug& plug, MPlugArray&) override {
        dirtied.push_back(plug.partialName().asChar());
        return MS::kSuccess;
    }

    // Non-negative values are kept by the node itself; negative ones are left to the host.
    bool setInternalValue(const MPlug&, const MDataHandle& handle) override {
        if (handle.asDouble() < 0)
            return false;
        kept = handle.asDouble();
        keeps = true;
        return true;
    }
    bool getInternalValue(const MPlug&, MDataHandle& handle) override {
        if (keeps)
            handle.setDouble(kept);
        return keeps;
    }

    int computes = 0;
    std::vector<std::string> dirtied;
    double kept = 0;
    bool keeps = false;
};
MObject Probe::input, Probe::output, Probe::list, Probe::items, Probe::weight, Probe::tag, Probe::secret,
    Probe::resetIn, Probe::keepIn;

khost::NodeClass* probeClass() {
    static khost::NodeClass* registered = [] {
        auto cls = std::make_unique<khost::NodeClass>();
        cls->name = "dgProbe";
        cls->id = MTypeId(0x7f0101);
        cls->creator = &Probe::creator;
        auto& registry = khost::ClassRegistry::instance();
        registry.initializing = cls.get();
        Probe::initialize();
        registry.initializing = nullptr;
        khost::NodeClass* raw = cls.get();
        registry.add(std::move(cls));
        return raw;
    }();
    return registered;
}

class DgTest : public HostTest {
protected:
    Probe* make(const std::string& name) {
        auto n = khost::Scene::instance().createNode(probeClass(), name, nullptr);
        return static_cast<Probe*>(n->user.get());
    }
};

} // namespace

TEST_F(DgTest, SparseArraysKeepLogicalIndicesInAscendingPhysicalOrder) {
    Probe* probe = make("p");
    for (unsigned index : {9u, 2u, 5u})
        ASSERT_TRUE(plug("p.list[" + std::to_string(index) + "]").setDouble(index * 10.0));
    MPlug list = plug("p.list");
    EXPECT_EQ(list.numElements(), 3u);
    EXPECT_EQ(list.elementByPhysicalIndex(1).logicalIndex(), 5u);
    EXPECT_DOUBLE_EQ(list.elementByPhysicalIndex(2).asDouble(), 90.0);
    MStatus status;
    list.elementByPhysicalIndex(3, &status);
    EXPECT_FALSE(status);
    MIntArray existing;
    list.getExistingArrayAttributeIndices(existing);
    EXPECT_EQ(existing, MIntArray(std::vector<int>{2, 5, 9}.data(), 3));

    MArrayDataHandle array = probe->forceCache().inputArrayValue(Probe::list);
    EXPECT_EQ(array.elementCount(), 3u);
    EXPECT_TRUE(array.jumpToElement(5));
    EXPECT_DOUBLE_EQ(array.inputValue().asDouble(), 50.0);
    EXPECT_FALSE(array.jumpToElement(3)) << "logical index 3 does not exist";
    EXPECT_TRUE(array.jumpToArrayElement(2));
    EXPECT_EQ(array.elementIndex(), 9u);
    EXPECT_FALSE(array.jumpToArrayElement(3)) << "only three positions";
    EXPECT_FALSE(array.next()) << "already on the last element";
}

TEST_F(DgTest, BuilderStagesElementsUntilSetAndKeepsHandedOutHandles) {
    Probe* probe = make("p");
    plug("p.list[1]").setDouble(1.0);
    MDataBlock block = probe->forceCache();
    MArrayDataHandle array = block.outputArrayValue(Probe::list);
    MArrayDataBuilder builder = array.builder();
    MDataHandle added = builder.addElement(4);
    added.setDouble(4.5);
    EXPECT_EQ(plug("p.list").numElements(), 1u) << "staged elements are invisible before set";
    EXPECT_EQ(builder.elementCount(), 2u) << "a handle's builder starts from the existing elements";
    ASSERT_TRUE(array.set(builder));
    added.setDouble(5.5);
    EXPECT_EQ(plug("p.list").numElements(), 2u);
    EXPECT_DOUBLE_EQ(plug("p.list[4]").asDouble(), 5.5) << "handles from the builder stay attached after set";

    MArrayDataBuilder fresh(&block, Probe::list, 1);
    fresh.addLast().setDouble(8.0);
    fresh.addLast().setDouble(9.0);
    ASSERT_TRUE(array.set(fresh));
    MIntArray existing;
    plug("p.list").getExistingArrayAttributeIndices(existing);
    EXPECT_EQ(existing, MIntArray(std::vector<int>{0, 1}.data(), 2))
        << "a fresh builder replaces every element";
    EXPECT_DOUBLE_EQ(plug("p.list[1]").asDouble(), 9.0);
}

TEST_F(DgTest, InternalAttributesGoThroughTheNodeFirst) {
    Probe* probe = make("p");
    MPlug secret = plug("p.secret");
    ASSERT_TRUE(secret.setDouble(-1.0));
    EXPECT_DOUBLE_EQ(secret.asDouble(), -1.0) << "declined by the node: the host stores it";
    ASSERT_TRUE(secret.setDouble(5.0));
    EXPECT_DOUBLE_EQ(probe->kept, 5.0);
    EXPECT_DOUBLE_EQ(secret.asDouble(), 5.0) << "supplied by getInternalValue";
    EXPECT_DOUBLE_EQ(probe->hostNode()->find(khost::keyFor(secret), false)->numeric(), -1.0)
        << "a value the node kept is not stored by the host";
}

TEST_F(DgTest, EvaluationIsLazyAndDirtinessFollowsAffectsAndConnections) {
    Probe* a = make("a");
    Probe* b = make("b");
    plug("a.input").setDouble(3.0);
    plug("a.list[2]").setDouble(1.0);
    EXPECT_EQ(a->computes, 0) << "nothing is computed before it is read";
    EXPECT_DOUBLE_EQ(plug("a.output").asDouble(), 7.0);
    EXPECT_DOUBLE_EQ(plug("a.output").asDouble(), 7.0);
    EXPECT_EQ(a->computes, 1) << "a clean output is not computed again";

    ASSERT_TRUE(khost::Scene::instance().connect(plug("a.output"), plug("b.input")));
    b->dirtied.clear();
    plug("a.list[2]").setDouble(2.0);
    EXPECT_EQ(a->computes, 1);
    EXPECT_NE(std::find(b->dirtied.begin(), b->dirtied.end(), "in"), b->dirtied.end())
        << "setDependentsDirty is called downstream of a connection";
    EXPECT_DOUBLE_EQ(plug("b.output").asDouble(), 16.0) << "reading downstream pulls through the connection";
    EXPECT_EQ(a->computes, 2);
    EXPECT_EQ(b->computes, 1);

    // A change under a compound array element dirties what the compound affects.
    plug("b.output").asDouble();
    plug("b.items[3].weight").setFloat(0.5f);
    plug("b.output").asDouble();
    EXPECT_EQ(b->computes, 2);
    EXPECT_EQ(a->computes, 2) << "upstream stayed clean";
}

TEST_F(DgTest, AliasesNameElementsForPartialNameAndFindPlug) {
    make("p");
    khost::Node* p = node("p");
    khost::UndoRecord record;
    MPlug element = plug("p.list[3]");
    ASSERT_TRUE(khost::edit::setAlias(record, p, "gain", khost::keyFor(element)));
    EXPECT_EQ(element.partialName(false, false, false, true), "gain");
    EXPECT_EQ(element.partialName(), "ls[3]");
    EXPECT_EQ(element.partialName(true, false, false, false, false, true), "p.list[3]");
    EXPECT_EQ(plug("p.gain"), element);
    MStringArray aliases;
    MFnDependencyNode(p->handle()).getAliasList(aliases);
    ASSERT_EQ(aliases.length(), 2u);
    EXPECT_EQ(aliases[1], "list[3]");
    EXPECT_FALSE(khost::edit::setAlias(record, p, "gain", khost::keyFor(plug("p.input"))))
        << "an alias names one plug only";
    record.undo();
    EXPECT_EQ(element.partialName(false, false, false, true), "ls[3]");
}

TEST_F(DgTest, LockedPlugsRefuseValuesBelowThem) {
    make("p");
    MPlug input = plug("p.input");
    input.setDouble(1.0);
    ASSERT_TRUE(input.setLocked(true));
    EXPECT_TRUE(input.isLocked());
    EXPECT_FALSE(input.setDouble(2.0));
    EXPECT_DOUBLE_EQ(input.asDouble(), 1.0);
    input.setLocked(false);
    EXPECT_TRUE(input.setDouble(2.0));

    plug("p.items[0].tag").setInt(1);
    plug("p.items[0]").setLocked(true);
    EXPECT_FALSE(plug("p.items[0].tag").setInt(2)) << "a locked element locks its children";
    EXPECT_TRUE(plug("p.items[1].tag").setInt(2)) << "other elements stay free";
    EXPECT_EQ(plug("p.items[0].tag").asInt(), 1);
}

TEST_F(DgTest, DisconnectResetsOrKeepsTheLastValue) {
    make("src");
    make("dst");
    plug("src.input").setDouble(10.0);
    auto& scene = khost::Scene::instance();
    ASSERT_TRUE(scene.connect(plug("src.output"), plug("dst.resetIn")));
    ASSERT_TRUE(scene.connect(plug("src.output"), plug("dst.keepIn")));
    EXPECT_FALSE(scene.connect(plug("src.input"), plug("dst.keepIn"))) << "a destination has one source";
    EXPECT_DOUBLE_EQ(plug("dst.resetIn").asDouble(), 20.0);
    plug("src.input").setDouble(11.0);
    ASSERT_TRUE(scene.disconnect(plug("src.output"), plug("dst.resetIn")));
    ASSERT_TRUE(scene.disconnect(plug("src.output"), plug("dst.keepIn")));
    EXPECT_DOUBLE_EQ(plug("dst.resetIn").asDouble(), 7.0) << "kReset goes back to the default";
    EXPECT_DOUBLE_EQ(plug("dst.keepIn").asDouble(), 22.0) << "kNothing keeps the value last received";
    EXPECT_FALSE(scene.disconnect(plug("src.output"), plug("dst.keepIn")));
}
