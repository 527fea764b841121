// Finding nodes through the graph and the DAG as commands do: walks along connections, relatives,
// attributes named on a transform, and the names duplicates get.
#include "CommandFixture.h"
#include <maya/MFnDependencyNode.h>
#include <maya/MItDependencyGraph.h>

namespace {

class GraphQueryTest : public CommandTest {
protected:
    // The names a walk from `root` visits, in order.
    static std::string walk(const std::string& root, MItDependencyGraph::Direction direction,
                            MItDependencyGraph::Traversal traversal, MFn::Type filter = MFn::kInvalid) {
        MObject start = node(root)->handle();
        MStatus status;
        MItDependencyGraph it(start, filter, direction, traversal, MItDependencyGraph::kNodeLevel, &status);
        EXPECT_TRUE(status);
        std::string names;
        for (; !it.isDone(); it.next())
            names +=
                (names.empty() ? "" : " ") + std::string(MFnDependencyNode(it.currentItem()).name().asChar());
        return names;
    }
};

} // namespace

TEST_F(GraphQueryTest, WalksVisitEachNodeOnceInAttributeOrder) {
    // d feeds c.ty, b feeds c.tx; a feeds b; b also feeds d (a diamond above c).
    run("createNode transform -n a; createNode transform -n b; createNode transform -n c;"
        "createNode transform -n d; connectAttr a.tx b.tx; connectAttr b.tx d.tx;"
        "connectAttr d.tx c.ty; connectAttr b.ty c.tx");
    EXPECT_EQ(walk("c", MItDependencyGraph::kUpstream, MItDependencyGraph::kDepthFirst), "c b a d");
    EXPECT_EQ(walk("c", MItDependencyGraph::kUpstream, MItDependencyGraph::kBreadthFirst), "c b d a");
    EXPECT_EQ(walk("a", MItDependencyGraph::kDownstream, MItDependencyGraph::kDepthFirst), "a b d c");
    EXPECT_EQ(walk("a", MItDependencyGraph::kDownstream, MItDependencyGraph::kDepthFirst, MFn::kMesh), "");
    run("connectAttr c.tz a.ty");
    EXPECT_EQ(walk("c", MItDependencyGraph::kUpstream, MItDependencyGraph::kDepthFirst), "c b a d")
        << "a cycle ends the walk";

    MObject nothing;
    MStatus status;
    MItDependencyGraph bad(nothing, MFn::kInvalid, MItDependencyGraph::kUpstream,
                           MItDependencyGraph::kDepthFirst, MItDependencyGraph::kNodeLevel, &status);
    EXPECT_FALSE(status);
    EXPECT_TRUE(bad.isDone());
}

TEST_F(GraphQueryTest, RelativesTransformAttributesAndDuplicateNames) {
    run("polyPlane -n base; createNode transform -n group; createNode mesh -n extra -p base");
    EXPECT_EQ(result("listRelatives base"), "baseShape extra");
    EXPECT_EQ(result("listRelatives -s base"), "baseShape extra");
    EXPECT_EQ(result("listRelatives -p baseShape"), "base");
    EXPECT_EQ(result("listRelatives -c group"), "");
    run("select -r base");
    EXPECT_EQ(result("listRelatives -s"), "baseShape extra") << "the selection by default";

    // A transform stands for its shape where it lacks the attribute.
    run("createNode transform -n holder; createNode mesh -n sink -p holder;"
        "connectAttr base.worldMesh[0] holder.inMesh");
    EXPECT_EQ(result("listConnections -p true sink.inMesh"), "baseShape.worldMesh[0]");
    EXPECT_EQ(result("getAttr -s base.worldMesh"), "1");
    EXPECT_EQ(result("getAttr base.tx"), "0") << "its own attributes first";

    // A shape named after its transform is named after the copy.
    EXPECT_EQ(result("duplicate -n tgt base"), "tgt");
    EXPECT_EQ(result("listRelatives -s tgt"), "tgtShape extra1");
    EXPECT_EQ(result("duplicate base"), "base1");
    EXPECT_EQ(result("listRelatives -s base1"), "baseShape1 extra2");
}
