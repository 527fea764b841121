// Transforms, world matrices through the hierarchy, shapes and the DAG function sets.
#include "HostFixture.h"
#include "dag/Dag.h"
#include "dag/MatrixData.h"
#include "geometry/Generators.h"
#include <cmath>
#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnGeometryData.h>
#include <maya/MItDag.h>

using khost::Trs;

namespace {

MMatrix translation(double x, double y, double z) {
    MMatrix m;
    m[3][0] = x, m[3][1] = y, m[3][2] = z;
    return m;
}

// Row-vector rotation about one axis (0 x, 1 y, 2 z) by degrees, written out per axis.
MMatrix rotation(int axis, double degrees) {
    double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
    double x[4][4] = {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}};
    double y[4][4] = {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}};
    double z[4][4] = {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    return MMatrix(axis == 0 ? x : axis == 1 ? y : z);
}

class DagTest : public HostTest {
protected:
    khost::Node* transform(const std::string& name, khost::Node* parent = nullptr) {
        return khost::edit::createNode(record, khost::ClassRegistry::instance().find("transform"), name,
                                       parent)
            .get();
    }
    khost::Node* plane(const std::string& name, khost::Node* parent = nullptr) {
        MObject data(std::make_shared<khost::MeshData>(khost::makePlane(2, 2, 1, 1, 1)));
        auto t = khost::createShape(record, "mesh", data, name, parent, nullptr);
        return t ? t.get() : nullptr;
    }
    void set(khost::Node* n, Trs which, const MVector& v) {
        ASSERT_TRUE(khost::setTransformValue(record, n, which, v));
    }
    // The matrix a matrix attribute holds; all zero when it holds none.
    static MMatrix matrixAt(const std::string& path) {
        MObject value = plug(path).asMObject();
        auto* data = khost::objectAs<khost::MatrixData>(value);
        EXPECT_NE(data, nullptr) << path;
        const double zero[4][4] = {};
        return data ? data->matrix : MMatrix(zero);
    }
    static MMatrix worldMeshMatrix(const std::string& shape) {
        MMatrix m;
        EXPECT_TRUE(MFnGeometryData(plug(shape + ".worldMesh[0]").asMObject()).getMatrix(m));
        return m;
    }

    khost::UndoRecord record;
};

} // namespace

TEST_F(DagTest, WorldMatricesComposeDownTheHierarchy) {
    khost::Node* grp = transform("grp");
    khost::Node* child = transform("child", grp);
    set(grp, Trs::Translate, {1, 0, 0});
    set(grp, Trs::Rotate, {0, 0, 90});
    set(grp, Trs::Scale, {2, 2, 2});
    set(child, Trs::Translate, {0, 3, 0});

    MMatrix grpLocal = rotation(2, 90);
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j)
            grpLocal[k][j] *= 2;
    grpLocal[3][0] = 1;
    MMatrix expected = translation(0, 3, 0) * grpLocal;
    EXPECT_TRUE(khost::worldMatrix(child).isEquivalent(expected, 1e-12));
    // The child's origin: (0,3,0) scaled to (0,6,0), turned to (-6,0,0), moved to (-5,0,0).
    MPoint origin = MPoint::origin * khost::worldMatrix(child);
    EXPECT_TRUE(origin.isEquivalent(MPoint(-5, 0, 0), 1e-12));

    EXPECT_TRUE(matrixAt("child.worldMatrix[0]").isEquivalent(expected, 1e-12));
    EXPECT_TRUE(matrixAt("child.matrix").isEquivalent(translation(0, 3, 0), 1e-12));

    MDagPath path = MDagPath::getAPathTo(child->handle());
    EXPECT_TRUE(path.inclusiveMatrix().isEquivalent(expected, 1e-12));
    EXPECT_TRUE(path.exclusiveMatrix().isEquivalent(grpLocal, 1e-12));
}

TEST_F(DagTest, RotateOrderChoosesWhichAxisTurnsFirst) {
    khost::Node* t = transform("t");
    set(t, Trs::Rotate, {90, 0, 30});
    EXPECT_TRUE(khost::localMatrix(t).isEquivalent(rotation(0, 90) * rotation(2, 30), 1e-12)) << "xyz";
    plug("t.rotateOrder").setInt(5);
    EXPECT_TRUE(khost::localMatrix(t).isEquivalent(rotation(2, 30) * rotation(0, 90), 1e-12)) << "zyx";
}

TEST_F(DagTest, MovingOrReparentingATransformDirtiesWorldSpaceBelowIt) {
    khost::Node* top = transform("top");
    khost::Node* mid = transform("mid", top);
    khost::Node* base = plane("base", mid);
    khost::Node* other = transform("other");
    set(other, Trs::Translate, {0, 0, 5});
    EXPECT_TRUE(worldMeshMatrix("baseShape").isEquivalent(MMatrix(), 0));

    set(top, Trs::Translate, {1, 2, 3});
    EXPECT_TRUE(worldMeshMatrix("baseShape").isEquivalent(translation(1, 2, 3), 1e-12))
        << "a grandparent's move reaches the shape's world geometry";
    EXPECT_TRUE(matrixAt("base.worldMatrix[0]").isEquivalent(translation(1, 2, 3), 1e-12));

    khost::edit::reparent(record, mid, other);
    EXPECT_TRUE(worldMeshMatrix("baseShape").isEquivalent(translation(0, 0, 5), 1e-12));
    EXPECT_TRUE(matrixAt("base.worldMatrix[0]").isEquivalent(translation(0, 0, 5), 1e-12));

    MPointArray points;
    ASSERT_TRUE(khost::getShapePoints(khost::shapeOf(base), points, MSpace::kWorld));
    EXPECT_TRUE(points[0].isEquivalent(MPoint(-1, 0, 6), 1e-12));
    record.undo();
    EXPECT_EQ(khost::Scene::instance().nodes().size(), 0u);
}

TEST_F(DagTest, CreatedShapesAreNamedAfterTheirTransform) {
    std::string shapeName;
    MObject data(std::make_shared<khost::MeshData>(khost::makePlane(1, 1, 1, 1, 1)));
    auto first = khost::createShape(record, "mesh", data, "pPlane#", nullptr, &shapeName);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "pPlane1");
    EXPECT_EQ(shapeName, "pPlaneShape1");
    khost::createShape(record, "mesh", data, "pPlane#", nullptr, &shapeName);
    EXPECT_EQ(shapeName, "pPlaneShape2");
    khost::createShape(record, "mesh", data, "base", nullptr, &shapeName);
    EXPECT_EQ(shapeName, "baseShape");
    EXPECT_FALSE(khost::createShape(record, "nurbsCurve", data, "bad", nullptr, &shapeName))
        << "mesh data does not make a curve";
    EXPECT_FALSE(khost::createShape(record, "transform", data, "bad", nullptr, &shapeName));
    record.undo();
    EXPECT_EQ(khost::Scene::instance().nodes().size(), 0u);
}

TEST_F(DagTest, ShapePointsAreWrittenInObjectOrWorldSpaceWithoutHistoryOnly) {
    khost::Node* t = plane("base");
    set(t, Trs::Translate, {0, 10, 0});
    khost::Node* shape = khost::shapeOf(t);
    MPointArray points;
    khost::getShapePoints(shape, points, MSpace::kWorld);
    points[0] = MPoint(5, 10, 5);
    khost::UndoRecord move;
    ASSERT_TRUE(khost::setShapePoints(move, shape, points, MSpace::kWorld));
    khost::getShapePoints(shape, points, MSpace::kObject);
    EXPECT_TRUE(points[0].isEquivalent(MPoint(5, 0, 5), 1e-12));
    move.undo();
    khost::getShapePoints(shape, points, MSpace::kObject);
    EXPECT_TRUE(points[0].isEquivalent(MPoint(-1, 0, 1), 1e-12));

    points.remove(0);
    EXPECT_FALSE(khost::setShapePoints(move, shape, points, MSpace::kObject)) << "wrong count";
    khost::Node* source = plane("source");
    ASSERT_TRUE(khost::Scene::instance().connect(plug("sourceShape.outMesh"), plug("baseShape.inMesh")));
    khost::getShapePoints(shape, points, MSpace::kObject);
    EXPECT_EQ(khost::setShapePoints(move, shape, points, MSpace::kObject), MS::kFailure) << "has history";
    (void)source;
}

TEST_F(DagTest, DagPathsNameWalkAndExtendToShapes) {
    khost::Node* grp = transform("grp");
    khost::Node* t = plane("t", grp);
    MDagPath path;
    ASSERT_TRUE(MDagPath::getAPathTo(t->handle(), path));
    EXPECT_EQ(path.length(), 2u);
    EXPECT_EQ(path.fullPathName(), "|grp|t");
    EXPECT_TRUE(path.hasFn(MFn::kTransform));
    EXPECT_EQ(path.childCount(), 1u);

    ASSERT_TRUE(path.extendToShape());
    EXPECT_EQ(path.fullPathName(), "|grp|t|tShape");
    EXPECT_EQ(path.partialPathName(), "tShape");
    EXPECT_EQ(path.apiType(), MFn::kMesh);
    EXPECT_EQ(MFnDependencyNode(path.transform()).name(), "t");
    EXPECT_EQ(path, MDagPath::getAPathTo(khost::shapeOf(t)->handle()));
    ASSERT_TRUE(path.pop());
    EXPECT_EQ(path.fullPathName(), "|grp|t");
    EXPECT_FALSE(path.push(grp->handle())) << "only a child of the end extends a path";

    // An intermediate shape does not count; a second visible one makes the choice ambiguous.
    MObject data(std::make_shared<khost::MeshData>(khost::makePlane(1, 1, 1, 1, 1)));
    auto orig = khost::addShape(record, "mesh", data, t);
    ASSERT_TRUE(MFnDagNode(orig->handle()).setIntermediateObject(true));
    MDagPath again = MDagPath::getAPathTo(t->handle());
    EXPECT_TRUE(again.extendToShape());
    EXPECT_EQ(again.partialPathName(), "tShape");
    MFnDagNode(orig->handle()).setIntermediateObject(false);
    again.pop();
    EXPECT_FALSE(again.extendToShape());

    EXPECT_FALSE(MDagPath().isValid());
    MDagPath doomed = MDagPath::getAPathTo(t->handle());
    khost::edit::deleteNode(record, t);
    EXPECT_FALSE(doomed.isValid()) << "a deleted node ends its paths";
}

TEST_F(DagTest, DagNodeFunctionSetFollowsTheHierarchy) {
    khost::Node* grp = transform("grp");
    khost::Node* t = plane("t", grp);
    MFnDagNode fn(t->handle());
    EXPECT_EQ(fn.parentCount(), 1u);
    EXPECT_EQ(fn.parent(0), grp->handle());
    EXPECT_EQ(fn.childCount(), 1u);
    EXPECT_EQ(MFnDagNode(fn.child(0)).fullPathName(), "|grp|t|tShape");
    EXPECT_FALSE(fn.isIntermediateObject());
    MStatus status;
    MFnDagNode(khost::Scene::instance().nodes().front()->handle()).child(5, &status);
    EXPECT_FALSE(status);

    khost::NodeClass probe;
    probe.name = "plainNode";
    probe.creator = []() -> void* { return new MPxNode; };
    auto plain = khost::Scene::instance().createNode(&probe, "plain", nullptr);
    MFnDagNode notDag(plain->handle(), &status);
    EXPECT_FALSE(status) << "a dependency node is not a DAG node";
    khost::Scene::instance().remove(plain.get());
}

TEST_F(DagTest, ItDagWalksDepthOrBreadthFirstWithAFilter) {
    khost::Node* a = transform("a");
    khost::Node* b = transform("b", a);
    plane("c", b);
    plane("d", a);
    auto names = [](MItDag& it) {
        std::string text;
        for (; !it.isDone(); it.next())
            text += MFnDependencyNode(it.currentItem()).name().asChar() + std::string(" ");
        return text;
    };
    MItDag depth;
    EXPECT_EQ(names(depth), "a b c cShape d dShape ");
    MItDag breadth(MItDag::kBreadthFirst);
    EXPECT_EQ(names(breadth), "a b d c dShape cShape ");
    MItDag meshes(MItDag::kDepthFirst, MFn::kMesh);
    EXPECT_EQ(names(meshes), "cShape dShape ");
    ASSERT_TRUE(meshes.reset(b->handle()));
    EXPECT_EQ(names(meshes), "b c cShape ");
    meshes.reset(b->handle(), MItDag::kDepthFirst, MFn::kMesh);
    MDagPath path;
    ASSERT_TRUE(meshes.getPath(path));
    EXPECT_EQ(path.fullPathName(), "|a|b|c|cShape");
}
