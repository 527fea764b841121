// The copyKivoWeights command through scripts: mirror, flip and copy on kivoMorph and blendShape
// nodes with weights checked against values worked out here, name resolution and every refusal with
// its message, undo and redo, and the same weights at any thread count.
#include "PluginScene.h"

#include "command/PlugValueFault.h"
#include "core/Threads.h"

#include <maya/MFnGenericAttribute.h>
#include <maya/MFnMesh.h>

#include <algorithm>
#include <cfloat>

namespace {

class CopyKivoWeightsTest : public PluginScene {
protected:
    void TearDown() override {
        khost::clearPlugValueFault();
        khost::setThreadCount(0);
        PluginScene::TearDown();
    }

    // A kivoMorph "face" on `base`, whose target 0 is `smile`, both made by `make` (a creation
    // command without its name).
    void rig(const std::string& make) {
        run(make + " -n base; " + make + " -n smile; select -r smile base; kivoMorph -n face; select -cl;");
    }
    static std::string tw(const std::string& deformer = "face", int target = 0) {
        return deformer + ".it[0].itg[" + std::to_string(target) + "].tw";
    }

    // Every point's weight, 1.0 where the element does not exist.
    static std::vector<double> weights(const std::string& array, unsigned int count) {
        std::vector<double> values(count, 1.0);
        const MPlug plugs = plug(array);
        for (unsigned int p = 0; p < plugs.numElements(); ++p) {
            const MPlug element = plugs.elementByPhysicalIndex(p);
            if (element.logicalIndex() < count)
                values[element.logicalIndex()] = element.asDouble();
        }
        return values;
    }
    static void setWeights(const std::string& array, const std::vector<double>& values) {
        const MPlug plugs = plug(array);
        for (unsigned int i = 0; i < values.size(); ++i)
            ASSERT_TRUE(plugs.elementByLogicalIndex(i).setDouble(values[i]));
    }
    // Distinct weights in (0, 1).
    static std::vector<double> spread(unsigned int count) {
        std::vector<double> values(count);
        for (unsigned int i = 0; i < count; ++i)
            values[i] = 0.05 + 0.9 * std::fmod(0.618034 * (i + 1), 1.0);
        return values;
    }
    static MPoint reflect(MPoint p, int axis) {
        p[static_cast<unsigned>(axis)] = -p[static_cast<unsigned>(axis)];
        return p;
    }
    // The component mirror worked out by brute force: each eligible point takes the weight of the
    // point nearest to its reflection on the side it takes from.
    static std::vector<double> componentMirror(const MPointArray& points, const std::vector<double>& w,
                                               int axis, bool inverse, bool flip) {
        std::vector<double> expected = w;
        for (unsigned int i = 0; i < points.length(); ++i) {
            const double c = points[i][static_cast<unsigned>(axis)];
            if (flip ? std::fabs(c) <= 1e-6 : (inverse ? c <= 1e-6 : c >= -1e-6))
                continue;
            const bool positive = flip ? c < 0 : !inverse;
            double best = DBL_MAX;
            for (unsigned int j = 0; j < points.length(); ++j) {
                const double cj = points[j][static_cast<unsigned>(axis)];
                const double d = (points[j] - reflect(points[i], axis)).length();
                if ((positive ? cj >= 1e-6 : cj <= -1e-6) && d < best) {
                    best = d;
                    expected[i] = w[j];
                }
            }
        }
        return expected;
    }
    // The last information line, which must say how long the mode took.
    std::string completed() const {
        for (auto m = khost::Messages::instance().captured().rbegin();
             m != khost::Messages::instance().captured().rend(); ++m)
            if (m->kind == khost::Message::Info &&
                m->text.find(" weights completed in ") != std::string::npos)
                return m->text.substr(0, m->text.find(" completed"));
        return "";
    }
    // The command must fail with this error, leaving the scene and the undo queue as they were.
    // With `prefix`, the error begins with the message.
    void expectRefused(const std::string& statement, const std::string& message, bool prefix = false) {
        const std::string before = sceneText();
        const size_t queued = khost::UndoQueue::instance().undoCount();
        clearMessages();
        EXPECT_FALSE(khost::executeStatement(statement)) << statement;
        ASSERT_FALSE(errors().empty()) << statement;
        EXPECT_EQ(prefix ? errors().back().substr(0, message.size()) : errors().back(), message) << statement;
        EXPECT_EQ(firstDifference(sceneText(), before), "") << statement;
        EXPECT_EQ(khost::UndoQueue::instance().undoCount(), queued) << statement;
    }
};

#define EXPECT_WEIGHTS_NEAR(actual, expected, tolerance)                                                     \
    do {                                                                                                     \
        const std::vector<double> _a = (actual), _e = (expected);                                            \
        ASSERT_EQ(_a.size(), _e.size());                                                                     \
        for (size_t _i = 0; _i < _a.size(); ++_i)                                                            \
            EXPECT_NEAR(_a[_i], _e[_i], (tolerance)) << "point " << _i;                                      \
    } while (0)

} // namespace

TEST_F(CopyKivoWeightsTest, ComponentMirrorAcrossEachPlaneOfASymmetricMesh) {
    rig("polySphere -r 1 -sx 8 -sy 6");
    const MPointArray points = this->points("base");
    const std::vector<double> start = spread(points.length());
    const std::string modes[3] = {"YZ", "XZ", "XY"};
    for (int axis = 0; axis < 3; ++axis) {
        setWeights(tw(), start);
        const std::string before = sceneText();
        run("copyKivoWeights -dd face -ds smile -sa closestComponent -mm " + modes[axis] + ";");
        EXPECT_EQ(completed(), "Mirror weights");
        EXPECT_EQ(weights(tw(), points.length()), componentMirror(points, start, axis, false, false))
            << modes[axis];
        const std::string after = sceneText();
        run("undo;");
        EXPECT_EQ(firstDifference(sceneText(), before), "");
        run("redo;");
        EXPECT_EQ(firstDifference(sceneText(), after), "");
    }
    // From the negative side, and with the association's case as the user typed it.
    setWeights(tw(), start);
    run("copyKivoWeights -dd face -ds smile -sa CLOSESTCOMPONENT -mi true;");
    EXPECT_EQ(weights(tw(), points.length()), componentMirror(points, start, 0, true, false));
}

TEST_F(CopyKivoWeightsTest, ClosestPointMirrorBlendsTheTriangleAtTheMirroredPoint) {
    rig("polyPlane -w 4 -h 2 -sx 4 -sy 2");
    const MPointArray points = this->points("base");
    const std::vector<double> start = spread(points.length());
    setWeights(tw(), start);
    // Points mirror onto points: the blend gives the partner's weight within the float coordinates.
    run("copyKivoWeights -dd face -ds smile -sa ClosestPoint -mm YZ;");
    EXPECT_WEIGHTS_NEAR(weights(tw(), points.length()), componentMirror(points, start, 0, false, false),
                        1e-6);

    // Between the vertices: a weight linear in x mirrors to the same function of -x.
    run("select -cl; polyPlane -w 4 -h 2 -sx 4 -sy 2 -n fine; polyPlane -w 4 -h 2 -sx 4 -sy 2 -n fineT;"
        "move -r 0.25 0 0 fine.vtx[0:14]; select -r fineT fine; kivoMorph -n shifted; select -cl;");
    const MPointArray shifted = this->points("fine");
    std::vector<double> linear;
    for (const MPoint& p : shifted)
        linear.push_back(0.5 + 0.1 * p.x);
    setWeights(tw("shifted"), linear);
    run("copyKivoWeights -dd shifted -ds fineT;");
    const std::vector<double> mirrored = weights(tw("shifted"), shifted.length());
    for (unsigned int i = 0; i < shifted.length(); ++i) {
        const double x = shifted[i].x;
        // The mirrored point lies beyond the mesh (x > 2.25) for x < -2.25: the edge x = 2.25 is closest.
        const double expected = x < -1e-4 ? 0.5 + 0.1 * std::min(-x, 2.25) : linear[i];
        EXPECT_NEAR(mirrored[i], expected, 1e-6) << i;
    }
}

TEST_F(CopyKivoWeightsTest, FlipSwapsTheSidesWithEitherAssociation) {
    rig("polyPlane -w 4 -h 2 -sx 4 -sy 2");
    const MPointArray points = this->points("base");
    const std::vector<double> start = spread(points.length());
    setWeights(tw(), start);
    // -mi does not count when flipping.
    run("copyKivoWeights -dd face -ds smile -sa closestComponent -fw true -mi true;");
    EXPECT_EQ(completed(), "Flip weights");
    const std::vector<double> flipped = componentMirror(points, start, 0, false, true);
    EXPECT_EQ(weights(tw(), points.length()), flipped);
    for (unsigned int i = 0; i < points.length(); ++i)
        if (std::fabs(points[i].x) <= 1e-6) {
            EXPECT_EQ(flipped[i], start[i]);
        }
    // Flipping twice gives the start back.
    run("copyKivoWeights -dd face -ds smile -sa closestComponent -fw true;");
    EXPECT_EQ(weights(tw(), points.length()), start);

    // Closest point: the plane's own points change too, to (nearly) their own weight.
    run("copyKivoWeights -dd face -ds smile -fw true;");
    EXPECT_WEIGHTS_NEAR(weights(tw(), points.length()), flipped, 1e-6);
}

TEST_F(CopyKivoWeightsTest, ComponentMirrorWithNothingOnThePositiveSideKeepsEveryWeight) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n smile;"
        "move -r -5 0 0 base.vtx[0:8]; select -r smile base; kivoMorph -n face; select -cl;");
    setWeights(tw(), spread(9));
    const std::string before = sceneText();
    run("copyKivoWeights -dd face -ds smile -sa closestComponent;");
    EXPECT_EQ(firstDifference(sceneText(), before), "");
    EXPECT_EQ(completed(), "Mirror weights");
}

TEST_F(CopyKivoWeightsTest, CopyByIndexWritesOnlyRealChanges) {
    // Ten source points on a blendShape, twelve destination points on a kivoMorph never painted.
    run("polyPlane -sx 4 -sy 1 -n src; polyPlane -sx 4 -sy 1 -n srcT; blendShape -n bs srcT src;"
        "polyPlane -sx 5 -sy 1 -n base; polyPlane -sx 5 -sy 1 -n smile; select -r smile base; kivoMorph -n "
        "face;");
    std::vector<double> source(10, 1.0);
    source[1] = 0.25;
    source[4] = 0.5;
    source[7] = 1.0 - 5e-8;
    setWeights(tw("bs"), source);
    EXPECT_EQ(result("getAttr -mi " + tw()), "");
    run("copyKivoWeights -dd face -ds smile -nm true -sd bs -ss srcT -sa closestComponent;");
    EXPECT_EQ(completed(), "Copy weights");
    // 1.0 - 5e-8 (as a float, 1.0 - 6e-8) is within 1e-7 of 1.0: not written either.
    EXPECT_EQ(result("getAttr -mi " + tw()), "1 4");
    EXPECT_EQ(weights(tw(), 12), std::vector<double>({1, 0.25, 1, 1, 0.5, 1, 1, 1, 1, 1, 1, 1}));

    // Points 10 and 11, beyond the source, keep their weights; a difference of 1e-7 is not written,
    // one of 2e-7 is; "-in false" changes nothing.
    std::vector<double> destination(12, 0.3);
    destination[2] = 1.0 - 0.9e-7;
    destination[3] = 1.0 - 2e-7;
    setWeights(tw(), destination);
    run("copyKivoWeights -dd face -ds smile -nm true -sd bs -ss srcT -sa closestComponent -in false -mm "
        "nonsense;");
    const std::vector<double> copied = weights(tw(), 12);
    EXPECT_EQ(copied[2], 1.0 - 0.9e-7);
    EXPECT_EQ(copied[3], 1.0);
    EXPECT_EQ(copied[1], 0.25);
    EXPECT_EQ(copied[10], 0.3);
    EXPECT_EQ(copied[11], 0.3);
}

TEST_F(CopyKivoWeightsTest, CopyByClosestPointBetweenMeshesAndOntoCurves) {
    // A weight linear over the source plane is reproduced wherever the destination's points fall on it.
    run("polyPlane -w 4 -h 2 -sx 4 -sy 2 -n src; polyPlane -w 4 -h 2 -sx 4 -sy 2 -n srcT;"
        "select -r srcT src; kivoMorph -n from; select -cl;");
    rig("polyPlane -w 3 -h 1.5 -sx 7 -sy 5");
    const MPointArray sourcePoints = points("src"), destination = points("base");
    std::vector<double> linear;
    for (const MPoint& p : sourcePoints)
        linear.push_back(0.4 + 0.1 * p.x - 0.2 * p.z);
    setWeights(tw("from"), linear);
    run("copyKivoWeights -dd face -ds smile -nm 1 -sd from -ss srcT;");
    std::vector<double> expected;
    for (const MPoint& p : destination)
        expected.push_back(0.4 + 0.1 * p.x - 0.2 * p.z);
    EXPECT_WEIGHTS_NEAR(weights(tw(), destination.length()), expected, 1e-6);

    // A curve takes the inverse-distance blend of the two nearest source points.
    run("circle -s 8 -r 1.5 -n ring; circle -s 8 -r 1.5 -n ringT; select -r ringT ring; kivoMorph -n "
        "curves;");
    MPointArray cvs = points("ring");
    // The periodic circle's weights belong to its 8 distinct CVs.
    cvs.setLength(8);
    run("copyKivoWeights -dd curves -ds ringT -nm 1 -sd from -ss srcT;");
    const std::vector<double> blended = weights(tw("curves"), cvs.length());
    for (unsigned int i = 0; i < cvs.length(); ++i) {
        std::vector<std::pair<double, double>> byDistance;
        for (unsigned int j = 0; j < sourcePoints.length(); ++j)
            byDistance.emplace_back((sourcePoints[j] - cvs[i]).length(), linear[j]);
        std::sort(byDistance.begin(), byDistance.end());
        const double f0 = 1.0 / std::max(byDistance[0].first, 1e-5),
                     f1 = 1.0 / std::max(byDistance[1].first, 1e-5);
        EXPECT_NEAR(blended[i], (f0 * byDistance[0].second + f1 * byDistance[1].second) / (f0 + f1), 1e-12)
            << i;
    }

    // Closest points need a mesh to find them on.
    clearMessages();
    EXPECT_FALSE(khost::executeStatement("copyKivoWeights -dd face -ds smile -nm 1 -sd curves -ss ringT;"));
    ASSERT_FALSE(errors().empty());
    EXPECT_NE(errors().back().find("(kInvalidParameter)"), std::string::npos) << errors().back();
}

TEST_F(CopyKivoWeightsTest, CurvesMirrorAndFlipByComponentAndByClosestPoint) {
    rig("circle -s 8 -r 2");
    MPointArray cvs = points("base");
    cvs.setLength(8);
    const std::vector<double> start = spread(cvs.length());
    setWeights(tw(), start);
    run("copyKivoWeights -dd face -ds smile -sa closestComponent;");
    // A CV of the circle mirrors onto a CV: its own partner is nearest to the curve point there.
    EXPECT_EQ(weights(tw(), cvs.length()), componentMirror(cvs, start, 0, false, false));

    setWeights(tw(), start);
    run("copyKivoWeights -dd face -ds smile -fw true -mm XZ;");
    const std::vector<double> flipped = weights(tw(), cvs.length());
    for (unsigned int i = 0; i < cvs.length(); ++i) {
        const MPoint r = reflect(cvs[i], 1);
        std::vector<std::pair<double, double>> byDistance;
        for (unsigned int j = 0; j < cvs.length(); ++j)
            byDistance.emplace_back((cvs[j] - r).length(), start[j]);
        std::sort(byDistance.begin(), byDistance.end());
        const double f0 = 1.0 / std::max(byDistance[0].first, 1e-5),
                     f1 = 1.0 / std::max(byDistance[1].first, 1e-5);
        EXPECT_NEAR(flipped[i], (f0 * byDistance[0].second + f1 * byDistance[1].second) / (f0 + f1), 1e-12)
            << i;
    }
}

TEST_F(CopyKivoWeightsTest, BlendShapeNodesMirrorTheirOwnWeights) {
    run("polyPlane -w 4 -h 2 -sx 4 -sy 2 -n base; polyPlane -w 4 -h 2 -sx 4 -sy 2 -n smile;"
        "blendShape -n bs smile base;");
    const MPointArray points = this->points("base");
    std::vector<double> start(points.length());
    for (unsigned int i = 0; i < start.size(); ++i)
        start[i] = 0.125 * (i % 8);
    setWeights(tw("bs"), start);
    run("copyKivoWeights -dd bs -ds smile -sa closestComponent;");
    EXPECT_EQ(weights(tw("bs"), points.length()), componentMirror(points, start, 0, false, false));
    // Deforming with the mirrored weights.
    run("move -r 0 1 0 smile.vtx[0:14]; setAttr bs.smile 1;");
    const MPointArray deformed = this->points("base");
    EXPECT_NEAR(deformed[0].y, componentMirror(points, start, 0, false, false)[0], 1e-6);
}

TEST_F(CopyKivoWeightsTest, TargetsByShapeTransformAliasAndElementName) {
    rig("polyPlane -w 2 -h 2 -sx 2 -sy 2");
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n other; select -cl; kivoMorph -e -t base 3 other 1 face;");
    setWeights(tw("face", 3), spread(9));
    const std::vector<double> mirrored = componentMirror(points("base"), spread(9), 0, false, false);
    for (const char* name : {"otherShape", "other"}) {
        setWeights(tw("face", 3), spread(9));
        run(std::string("copyKivoWeights -dd face -ds ") + name +
            " -sa closestComponent -sd nothing -ss nothing;");
        EXPECT_EQ(weights(tw("face", 3), 9), mirrored) << name;
    }
    // A name that is no node: the target's alias, or the element's name when it has none.
    run("aliasAttr grin face.weight[3];");
    setWeights(tw("face", 3), spread(9));
    run("copyKivoWeights -dd face -ds grin -sa closestComponent;");
    EXPECT_EQ(weights(tw("face", 3), 9), mirrored);
    run("aliasAttr -rm face.grin;");
    setWeights(tw("face", 3), spread(9));
    run("copyKivoWeights -dd face -ds weight[3] -sa closestComponent;");
    EXPECT_EQ(weights(tw("face", 3), 9), mirrored);

    expectRefused("copyKivoWeights -dd face -ds base", "'base' Invalid destination shape.");
    expectRefused("copyKivoWeights -dd face -ds nothing", "'nothing' Invalid destination target name.");
    expectRefused("copyKivoWeights -dd face -ds face", " 'face' not a DAG item.");
    expectRefused("copyKivoWeights -dd face -ds base*", " Found >1 matches for 'base*'");
    run("disconnectAttr face.outputGeometry[0] baseShape.inMesh;");
    expectRefused("copyKivoWeights -dd face -ds smile", "'smile' Invalid destination shape.");
    run("aliasAttr grin face.weight[3];");
    expectRefused("copyKivoWeights -dd face -ds grin", "'grin' Failed to get base shape path.");
}

TEST_F(CopyKivoWeightsTest, FlagsAndDeformersAreCheckedBeforeAnythingChanges) {
    rig("polyPlane -w 2 -h 2 -sx 2 -sy 2");
    expectRefused("copyKivoWeights -ds smile", "Missing required flag: -destinationDeformer");
    expectRefused("copyKivoWeights -dd face", "Missing required flag: -destinationShape");
    expectRefused("copyKivoWeights -dd nothing -ds smile", " Found 0 matches for 'nothing'");
    EXPECT_EQ(count(khost::Message::Info, "Destination deformer not found: nothing"), 1u);
    expectRefused("copyKivoWeights -dd smile* -ds smile", " Found >1 matches for 'smile*'");
    expectRefused("copyKivoWeights -dd base -ds smile", "Deformer type not supported: base");
    expectRefused("copyKivoWeights -dd face -ds smile -mm yz", "Valid modes are XY, YZ and XZ.");
    expectRefused("copyKivoWeights -dd face -ds smile -sa nearest",
                  "Valid modes are 'closestPoint' and 'closestComponent'.");
    expectRefused("copyKivoWeights -dd face -ds smile -nm true",
                  "Copy failed : missing required flag '-sourceDeformer'.");
    expectRefused("copyKivoWeights -dd face -ds smile -nm true -sd face",
                  "Copy failed : missing required flag '-sourceShape'.");
    expectRefused("copyKivoWeights -dd face -ds smile -nm true -sd nothing -ss smile",
                  "Source deformer not found: nothing");
    expectRefused("copyKivoWeights -dd face -ds smile -nm true -sd face -ss nothing",
                  "'nothing' Invalid destination target name.");
}

TEST_F(CopyKivoWeightsTest, FailuresWhileWritingLeaveTheWeightsAsTheyWere) {
    rig("polyPlane -w 2 -h 2 -sx 2 -sy 2");
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n other; kivoMorph -e -t base 1 other 1 face;");
    setWeights(tw("face", 1), std::vector<double>(9, 0.5));
    setWeights(tw(), spread(9));
    khost::failPlugValuesAfter(1, MS::kInsufficientMemory);
    expectRefused("copyKivoWeights -dd face -ds smile -sa closestComponent",
                  "Failed to mirror: insufficent Memory! ");
    // Any other refusal, and any refusal in copy mode, fails through the status report.
    const std::string report = "------------------------------------\nSome Error Occured\n(copyKivoWeights:";
    khost::failPlugValuesAfter(1, MS::kFailure);
    expectRefused("copyKivoWeights -dd face -ds smile", report, true);
    EXPECT_NE(errors().back().find(")(kFailure)"), std::string::npos) << errors().back();
    khost::failPlugValuesAfter(0, MS::kInsufficientMemory);
    expectRefused("copyKivoWeights -dd face -ds smile -nm 1 -sd face -ss other", report, true);
    EXPECT_NE(errors().back().find(")(kInsufficientMemory)"), std::string::npos) << errors().back();
    khost::clearPlugValueFault();

    // A locked element stops the modifier half way: what it wrote before is put back.
    run("setAttr -l true face.it[0].itg[0].tw[6];");
    const std::string before = sceneText();
    EXPECT_FALSE(khost::executeStatement("copyKivoWeights -dd face -ds smile -sa closestComponent;"));
    EXPECT_EQ(firstDifference(sceneText(), before), "");
}

TEST_F(CopyKivoWeightsTest, DestinationsWithoutPointsOrOfAnotherKindAreRefused) {
    MFnMesh empty;
    empty.create(0, 0, MPointArray(), MIntArray(), MIntArray());
    run("deformer -type kivoMorph -n hollow polySurface1; setAttr hollow.weight[0] 0; aliasAttr t0 "
        "hollow.weight[0];");
    expectRefused("copyKivoWeights -dd hollow -ds t0", "'polySurfaceShape1' has no points.");

    // The deformed geometry goes to a DAG node that is neither a mesh nor a curve.
    rig("polyPlane -w 2 -h 2 -sx 2 -sy 2");
    auto holder = std::make_unique<khost::NodeClass>();
    holder->name = "geometryHolder";
    holder->id = MTypeId(0x7f0377);
    holder->role = khost::NodeRole::Transform;
    holder->apiType = MFn::kTransform;
    holder->creator = []() -> void* { return new MPxNode(); };
    auto& registry = khost::ClassRegistry::instance();
    registry.initializing = holder.get();
    MFnGenericAttribute generic;
    MObject input = generic.create("inputGeometry", "ig");
    generic.addDataAccept(MFnData::kMesh);
    MPxNode::addAttribute(input);
    registry.initializing = nullptr;
    khost::NodeClass* cls = holder.get();
    if (!registry.find("geometryHolder"))
        ASSERT_TRUE(registry.add(std::move(holder)));
    else
        cls = registry.find("geometryHolder");
    ASSERT_TRUE(khost::Scene::instance().createNode(cls, "holder", nullptr));
    run("disconnectAttr face.outputGeometry[0] baseShape.inMesh; connectAttr face.outputGeometry[0] "
        "holder.inputGeometry;");
    expectRefused("copyKivoWeights -dd face -ds smile",
                  "Unsupported deformer. Only blendShape and kivoMorph are supported.");
}

TEST_F(CopyKivoWeightsTest, UndoRestoresEveryElementAndOneOrTwoThreadsGiveTheSameWeights) {
    rig("polyPlane -w 4 -h 2 -sx 120 -sy 60");
    const unsigned int count = points("base").length();
    std::vector<double> start = spread(count);
    setWeights(tw(), start);
    const std::string before = sceneText();
    std::vector<std::vector<double>> results;
    for (int threads : {1, 2}) {
        ASSERT_TRUE(khost::setThreadCount(threads));
        for (const char* flags : {"-fw true", "-sa closestComponent -mi true", "-nm 1 -sd face -ss smile"}) {
            run(std::string("copyKivoWeights -dd face -ds smile ") + flags + ";");
            results.push_back(weights(tw(), count));
        }
        const std::string after = sceneText();
        run("undo; undo; undo;");
        EXPECT_EQ(firstDifference(sceneText(), before), "");
        run("redo; redo; redo;");
        EXPECT_EQ(firstDifference(sceneText(), after), "");
        EXPECT_EQ(weights(tw(), count), results.back());
        run("undo; undo; undo;");
    }
    for (size_t k = 0; k < 3; ++k)
        EXPECT_TRUE(results[k] == results[k + 3]) << k;
    EXPECT_NE(results[0], start);
}
