// The deformer base: inherited attributes, compute calling deform per dirty geometry, weightValue,
// history insertion as `deformer` does it, its undo, and MFnGeometryFilter's lookups.
#include "HostFixture.h"
#include "dag/Dag.h"
#include "deformer/GeometryFilter.h"
#include "geometry/Generators.h"
#include <algorithm>
#include <maya/MFnAttribute.h>
#include <maya/MFnGeometryFilter.h>
#include <maya/MPxDeformerNode.h>
#include <sstream>

using khost::Node;

namespace {

// Moves every point up by envelope * weight and records each call.
class Nudge : public MPxDeformerNode {
public:
    struct Call {
        unsigned multiIndex;
        MMatrix matrix;
        int count;
    };
    static std::vector<Call> calls;
    static void* creator() { return new Nudge; }
    // Declared by many plug-ins; it must not make one geometry's change dirty the others.
    static MStatus initialize() { return attributeAffects(inputGeom, outputGeom); }

    MStatus deform(MDataBlock& block, MItGeometry& iter, const MMatrix& mat,
                   unsigned int multiIndex) override {
        calls.push_back({multiIndex, mat, iter.count()});
        float env = block.inputValue(envelope).asFloat();
        MPointArray points;
        iter.allPositions(points);
        for (unsigned k = 0; k < points.length(); ++k)
            points[k].y += env * weightValue(block, multiIndex, k);
        return iter.setAllPositions(points);
    }
};
std::vector<Nudge::Call> Nudge::calls;

khost::NodeClass* nudgeClass() {
    static khost::NodeClass* registered = [] {
        auto cls = std::make_unique<khost::NodeClass>();
        cls->name = "nudge";
        cls->id = MTypeId(0x7f0201);
        cls->pxType = MPxNode::kDeformerNode;
        cls->role = khost::NodeRole::Deformer;
        cls->apiType = MFn::kPluginDeformerNode;
        cls->creator = &Nudge::creator;
        cls->fromPlugin = true;
        khost::prepareNodeClass(*cls);
        auto& registry = khost::ClassRegistry::instance();
        registry.initializing = cls.get();
        Nudge::initialize();
        registry.initializing = nullptr;
        khost::NodeClass* raw = cls.get();
        registry.add(std::move(cls));
        return raw;
    }();
    return registered;
}

class DeformerTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        Nudge::calls.clear();
    }

    Node* plane(const std::string& name, const MVector& at) {
        MObject data(std::make_shared<khost::MeshData>(khost::makePlane(2, 2, 1, 1, 1)));
        auto t = khost::createShape(setup, "mesh", data, name, nullptr, nullptr);
        khost::setTransformValue(setup, t.get(), khost::Trs::Translate, at);
        return khost::shapeOf(t.get());
    }

    Node* deform(const std::vector<Node*>& shapes, const std::string& name = "nudge1") {
        std::shared_ptr<Node> created;
        EXPECT_TRUE(khost::insertDeformer(history, nudgeClass(), name, shapes, &created));
        return created.get();
    }

    static MPointArray points(Node* shape) {
        MPointArray result;
        khost::getShapePoints(shape, result, MSpace::kObject);
        return result;
    }

    // Everything undo must give back: nodes in order with parents and flags, connections, and the
    // geometry each shape holds and shows.
    static std::string snapshot() {
        std::ostringstream out;
        for (const auto& n : khost::Scene::instance().nodes()) {
            out << n->name << ":" << n->cls->name << " under " << (n->parent ? n->parent->name : "-")
                << (khost::isIntermediate(n.get()) ? " io" : "") << "\n";
            for (const khost::Connection& c : khost::Scene::instance().connectionsOf(n.get()))
                if (c.dst.node == n.get())
                    out << "  " << khost::plugFor(c.src.node, c.src.key).name().asChar() << " -> "
                        << khost::plugFor(c.dst.node, c.dst.key).name().asChar() << "\n";
            if (khost::isShape(n.get())) {
                // The geometry a shape holds matters while nothing feeds it; what it shows always.
                khost::PlugKey input{khost::shapeAttributes(n.get()).input, {}};
                khost::Value* own = n->incoming.count(input) ? nullptr : n->find(input, false);
                if (auto* stored = own ? khost::objectAs<khost::GeometryData>(own->data) : nullptr)
                    out << "  holds y0 " << stored->points[0].y << "\n";
                out << "  shows y0 " << points(n.get())[0].y << "\n";
            }
        }
        return out.str();
    }

    // The long name of the plug feeding a destination; empty when nothing does.
    static std::string sourceOf(const std::string& destination) {
        MStatus status;
        MPlug source = plug(destination).source(&status);
        return status ? source.info().asChar() : "";
    }

    khost::UndoRecord setup, history;
};

} // namespace

TEST_F(DeformerTest, DeformerClassesInheritTheBaseAttributesFirst) {
    khost::NodeClass* cls = nudgeClass();
    std::vector<std::string> names;
    for (const auto& a : cls->attributes)
        names.push_back(a->name + "/" + a->shortName);
    EXPECT_EQ(names,
              (std::vector<std::string>{"input/ip", "inputGeometry/ig", "groupId/gi", "outputGeometry/og",
                                        "envelope/en", "weightList/wl", "weights/w"}));
    MFnAttribute envelope(MPxGeometryFilter::envelope);
    EXPECT_TRUE(envelope.isKeyable());
    EXPECT_FALSE(MFnAttribute(MPxGeometryFilter::outputGeom).isStorable());
    EXPECT_TRUE(MFnAttribute(MPxGeometryFilter::inputGeom).accepts(MFnData::kNurbsCurve));
    EXPECT_TRUE(cls->isComputed(khost::attributeOf(MPxGeometryFilter::outputGeom).get()));

    khost::NodeClass plain;
    plain.pxType = MPxNode::kDependNode;
    khost::prepareNodeClass(plain);
    EXPECT_TRUE(plain.attributes.empty());
}

TEST_F(DeformerTest, InsertionFeedsTheDeformerFromAnIntermediateOrig) {
    Node* base = plane("base", {0, 0, 4});
    Node* other = plane("other", {0, 0, 0});
    Node* nudge = deform({base->parent});
    ASSERT_NE(nudge, nullptr);
    EXPECT_EQ(nudge->name, "nudge1");
    Node* orig = node("baseShapeOrig");
    ASSERT_NE(orig, nullptr);
    EXPECT_EQ(orig->parent, base->parent);
    EXPECT_TRUE(khost::isIntermediate(orig));
    EXPECT_EQ(khost::shapeOf(base->parent), base) << "the visible shape stays the transform's shape";
    EXPECT_EQ(sourceOf("nudge1.input[0].inputGeometry"), "baseShapeOrig.worldMesh[0]");
    EXPECT_EQ(sourceOf("baseShape.inMesh"), "nudge1.outputGeometry[0]");
    EXPECT_TRUE(Nudge::calls.empty()) << "nothing deforms before something reads the result";

    MFnGeometryFilter fn(nudge->handle());
    MStatus status;
    EXPECT_EQ(fn.indexForOutputShape(base->handle(), &status), 0u);
    EXPECT_TRUE(status);
    fn.indexForOutputShape(other->handle(), &status);
    EXPECT_FALSE(status) << "a shape the node does not deform";
    EXPECT_EQ(fn.inputShapeAtIndex(0), orig->handle());
    EXPECT_EQ(fn.outputShapeAtIndex(0), base->handle());
    fn.inputShapeAtIndex(1, &status);
    EXPECT_FALSE(status);
    MFnGeometryFilter notDeformer(other->handle(), &status);
    EXPECT_FALSE(status);

    EXPECT_TRUE(points(base)[0].isEquivalent(MPoint(-1, 1, 1)));
    ASSERT_EQ(Nudge::calls.size(), 1u);
    EXPECT_EQ(Nudge::calls[0].multiIndex, 0u);
    EXPECT_EQ(Nudge::calls[0].count, 4);
    MMatrix expected;
    expected[3][2] = 4;
    EXPECT_TRUE(Nudge::calls[0].matrix.isEquivalent(expected)) << "the Orig's world matrix";
    EXPECT_TRUE(points(orig)[0].isEquivalent(MPoint(-1, 0, 1))) << "the Orig keeps the undeformed geometry";
}

TEST_F(DeformerTest, DeformRunsOncePerDirtyGeometryWithItsIndexAndMatrix) {
    Node* a = plane("a", {1, 0, 0});
    Node* b = plane("b", {0, 2, 0});
    Node* nudge = deform({a, b});
    points(a);
    points(b);
    ASSERT_EQ(Nudge::calls.size(), 2u);
    EXPECT_EQ(Nudge::calls[0].multiIndex, 0u);
    EXPECT_DOUBLE_EQ(Nudge::calls[0].matrix[3][0], 1.0);
    EXPECT_EQ(Nudge::calls[1].multiIndex, 1u);
    EXPECT_DOUBLE_EQ(Nudge::calls[1].matrix[3][1], 2.0);
    EXPECT_EQ(MFnGeometryFilter(nudge->handle()).indexForOutputShape(b->handle()), 1u);

    points(a);
    points(b);
    EXPECT_EQ(Nudge::calls.size(), 2u) << "clean outputs are not deformed again";

    Node* bOrig = node("bShapeOrig");
    MPointArray moved = points(bOrig);
    moved[3].x = 5;
    khost::UndoRecord edit;
    ASSERT_TRUE(khost::setShapePoints(edit, bOrig, moved, MSpace::kObject));
    points(a);
    EXPECT_DOUBLE_EQ(points(b)[3].x, 5.0);
    ASSERT_EQ(Nudge::calls.size(), 3u) << "only the geometry whose input changed";
    EXPECT_EQ(Nudge::calls[2].multiIndex, 1u);

    plug("nudge1.envelope").setFloat(0.5f);
    plug("nudge1.weightList[1].weights[2]").setFloat(0.0f);
    EXPECT_DOUBLE_EQ(points(a)[0].y, 0.5);
    MPointArray bPoints = points(b);
    EXPECT_DOUBLE_EQ(bPoints[1].y, 0.5) << "weights that are not set count as 1";
    EXPECT_DOUBLE_EQ(bPoints[2].y, 0.0);
    EXPECT_EQ(Nudge::calls.size(), 5u);

    // Moving a deformed shape's transform moves its Orig too: the matrix reaches deform.
    khost::setTransformValue(edit, b->parent, khost::Trs::Translate, {0, 3, 0});
    points(b);
    ASSERT_EQ(Nudge::calls.size(), 6u);
    EXPECT_DOUBLE_EQ(Nudge::calls.back().matrix[3][1], 3.0);
}

TEST_F(DeformerTest, WeightValueReadsWeightListOrDefaultsToOne) {
    Node* base = plane("base", {0, 0, 0});
    Node* nudge = deform({base});
    auto* user = static_cast<MPxDeformerNode*>(nudge->user.get());
    MDataBlock block = user->forceCache();
    EXPECT_FLOAT_EQ(user->weightValue(block, 0, 3), 1.0f) << "no weightList element";
    plug("nudge1.weightList[0].weights[3]").setFloat(0.25f);
    EXPECT_FLOAT_EQ(user->weightValue(block, 0, 3), 0.25f);
    EXPECT_FLOAT_EQ(user->weightValue(block, 0, 2), 1.0f) << "no weights element";
    EXPECT_FLOAT_EQ(user->weightValue(block, 1, 3), 1.0f) << "another geometry";
}

TEST_F(DeformerTest, UndoAndRedoOfInsertionRestoreTheExactScene) {
    Node* base = plane("base", {0, 0, 0});
    plane("other", {0, 0, 0});
    points(base);
    const std::string before = snapshot();
    deform({base, node("otherShape")});
    points(base);
    const std::string after = snapshot();
    ASSERT_NE(before, after);
    size_t calls = Nudge::calls.size();

    history.undo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(Nudge::calls.size(), calls) << "undo does not evaluate the deformer";
    EXPECT_TRUE(points(base)[0].isEquivalent(MPoint(-1, 0, 1)));
    EXPECT_EQ(node("nudge1"), nullptr);

    history.redo();
    EXPECT_EQ(snapshot(), after);
    EXPECT_TRUE(points(base)[0].isEquivalent(MPoint(-1, 1, 1)));
}

TEST_F(DeformerTest, SecondDeformerStacksOnTheFirstWithoutAnotherOrig) {
    Node* base = plane("base", {0, 0, 0});
    Node* first = deform({base}, "first");
    points(base);
    const std::string single = snapshot();
    khost::UndoRecord firstHistory = std::move(history);
    history = khost::UndoRecord();
    Node* second = deform({base}, "second");
    EXPECT_EQ(node("baseShapeOrig1"), nullptr);
    EXPECT_EQ(sourceOf("second.input[0].inputGeometry"), "first.outputGeometry[0]");
    EXPECT_EQ(sourceOf("baseShape.inMesh"), "second.outputGeometry[0]");
    EXPECT_TRUE(points(base)[0].isEquivalent(MPoint(-1, 2, 1)));
    EXPECT_EQ(MFnGeometryFilter(second->handle()).inputShapeAtIndex(0), node("baseShapeOrig")->handle())
        << "found through the first deformer";
    EXPECT_EQ(MFnGeometryFilter(first->handle()).outputShapeAtIndex(0), base->handle());
    EXPECT_EQ(MFnGeometryFilter(first->handle()).indexForOutputShape(base->handle()), 0u);

    history.undo();
    EXPECT_EQ(snapshot(), single);
    EXPECT_TRUE(points(base)[0].isEquivalent(MPoint(-1, 1, 1)));
}

TEST_F(DeformerTest, CurvesGoThroughWorldSpaceAndCreate) {
    MObject data(std::make_shared<khost::NurbsCurveData>(khost::makeCircle(1, 8, 3, MVector::zAxis)));
    std::string shapeName;
    auto t = khost::createShape(setup, "nurbsCurve", data, "ring", nullptr, &shapeName);
    Node* nudge = deform({t.get()});
    EXPECT_EQ(sourceOf("nudge1.input[0].inputGeometry"), "ringShapeOrig.worldSpace[0]");
    EXPECT_EQ(sourceOf("ringShape.create"), "nudge1.outputGeometry[0]");
    MPointArray cvs = points(node(shapeName));
    ASSERT_EQ(cvs.length(), 11u);
    EXPECT_NEAR(cvs[0].y, khost::makeCircle(1, 8, 3, MVector::zAxis).points[0].y + 1, 1e-12);
    EXPECT_EQ(MFnGeometryFilter(nudge->handle()).outputShapeAtIndex(0), node(shapeName)->handle());
}

TEST_F(DeformerTest, InsertionRefusesWhatItCannotDeform) {
    Node* base = plane("base", {0, 0, 0});
    std::shared_ptr<Node> created;
    EXPECT_FALSE(khost::insertDeformer(history, nudgeClass(), "n", {base, base->parent}, &created))
        << "the same shape twice";
    history.undo();
    EXPECT_FALSE(khost::insertDeformer(history, khost::ClassRegistry::instance().find("transform"), "n",
                                       {base}, &created));
    EXPECT_FALSE(khost::insertDeformer(history, nudgeClass(), "n", {}, &created));
    EXPECT_EQ(node("n"), nullptr);
}
