// The evaluation and the encoding split their work by point ranges over however many threads there
// are; the points and the encoded arrays must come out the same bit for bit on one thread and on
// several, for every kind of target.
#include "PluginScene.h"

#include "core/Threads.h"

#include <maya/MDGModifier.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>

#include <random>
#include <string>

namespace {

class ThreadCounts : public PluginScene {
protected:
    void TearDown() override {
        khost::setThreadCount(0);
        PluginScene::TearDown();
    }

    // Moves a random share of a target's vertices (enough points that the work is shared).
    void sculpt(const std::string& transform, unsigned int seed) {
        khost::Node* shape = khost::shapeOf(node(transform));
        MPointArray points;
        ASSERT_TRUE(khost::getShapePoints(shape, points, MSpace::kObject));
        std::mt19937 random(seed);
        std::bernoulli_distribution moved(0.4);
        std::uniform_real_distribution<double> offset(-0.3, 0.3);
        for (unsigned int i = 0; i < points.length(); ++i)
            if (moved(random))
                points[i] += MVector(offset(random), offset(random), offset(random));
        khost::UndoRecord unrecorded;
        ASSERT_TRUE(khost::setShapePoints(unrecorded, shape, points, MSpace::kObject));
    }

    // Random painted weights on some points of a target, through the plugs a painting tool writes.
    void paint(const std::string& weights, unsigned int count, unsigned int seed) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> value(0.0, 1.0);
        for (unsigned int i = 0; i < count; i += 3)
            ASSERT_TRUE(plug(weights + "[" + std::to_string(i) + "]").setDouble(value(random)));
    }

    template <class Array> static void appendBytes(std::string& bytes, const Array& array) {
        for (const auto& element : array)
            bytes.append(reinterpret_cast<const char*>(&element), sizeof(element));
    }

    // Everything an evaluation produced, byte for byte: both bases' points and every encoded array.
    std::string evaluated(int threads) {
        khost::setThreadCount(threads);
        run("setAttr m.rebind 1;");
        std::string bytes;
        for (const char* base : {"baseA", "baseB"})
            appendBytes(bytes, points(base));
        for (const char* item :
             {"m.it[0].itg[0].iti[5500]", "m.it[0].itg[0].iti[6000]", "m.it[0].itg[1].iti[5300]",
              "m.it[0].itg[1].iti[6000]", "m.it[1].itg[0].iti[6000]"}) {
            appendBytes(bytes, MFnIntArrayData(plug(std::string(item) + ".ipit").asMObject()).array());
            appendBytes(bytes, MFnPointArrayData(plug(std::string(item) + ".ipt").asMObject()).array());
        }
        return bytes;
    }
};

} // namespace

TEST_F(ThreadCounts, OneThreadAndSeveralGiveTheSamePointsAndArrays) {
    // Two planes of 40401 points; target 0 with an inbetween, target 1 a Bezier target, painted
    // and base weights, and a second geometry with its own target.
    run("polyPlane -w 4 -h 4 -sx 200 -sy 200 -n baseA; polyPlane -w 4 -h 4 -sx 200 -sy 200 -n baseB;"
        "duplicate -n full0 baseA; duplicate -n half0 baseA; duplicate -n full1 baseA; duplicate -n mid1 "
        "baseA;"
        "duplicate -n fullB baseB;");
    sculpt("full0", 1);
    sculpt("half0", 2);
    sculpt("full1", 3);
    sculpt("mid1", 4);
    sculpt("fullB", 5);
    run("deformer -type kivoMorph -n m baseA baseB;");
    MDGModifier modifier;
    const std::pair<const char*, const char*> connections[] = {{"full0", "m.it[0].itg[0].iti[6000].igt"},
                                                               {"half0", "m.it[0].itg[0].iti[5500].igt"},
                                                               {"full1", "m.it[0].itg[1].iti[6000].igt"},
                                                               {"mid1", "m.it[0].itg[1].iti[5300].igt"},
                                                               {"fullB", "m.it[1].itg[0].iti[6000].igt"}};
    for (const auto& [target, item] : connections)
        ASSERT_TRUE(modifier.connect(plug(khost::shapeOf(node(target))->name + ".worldMesh[0]"), plug(item)));
    ASSERT_TRUE(modifier.doIt());
    run("setAttr m.it[0].itg[1].tbb 1; setAttr m.it[0].itg[1].tc 0.7;"
        "setAttr m.weight[0] 0.8; setAttr m.weight[1] 0.45; setAttr m.envelope 0.9;");
    paint("m.it[0].itg[0].tw", 40401, 6);
    paint("m.it[0].bw", 40401, 7);
    paint("m.it[1].itg[0].tw", 40401, 8);

    const std::string one = evaluated(1);
    const std::string two = evaluated(2);
    ASSERT_GT(one.size(), 2u * 40401 * sizeof(MPoint));
    EXPECT_TRUE(one == two) << "the first difference is at character "
                            << std::mismatch(one.begin(), one.end(), two.begin(), two.end()).first -
                                   one.begin();
    EXPECT_EQ(evaluated(1), one) << "and again on one thread";
}

TEST_F(ThreadCounts, UvTargetsBetweenStraightOnesGiveTheSamePointsOnAnyNumberOfThreads) {
    // 33123 points over a warped plane: a straight target, a UV target and a straight one again, so that
    // the UV displacements reach each point between the straight-line additions.
    run("nurbsPlane -w 5 -u 2 -v 2 -n ground; move -r 0 0.4 0 ground.cv[2][1:3]; move -r 0 -0.3 0 "
        "ground.cv[4][*];"
        "polyPlane -w 4 -h 4 -sx 180 -sy 182 -n base; move -r 0 0.25 0 base.vtx[*];"
        "duplicate -n first base; duplicate -n sliding base; duplicate -n last base;");
    sculpt("first", 11);
    sculpt("sliding", 12);
    sculpt("last", 13);
    run("select -r first sliding last base; kivoMorph -name m; connectAttr groundShape.worldSpace[0] "
        "m.ss[0].is;"
        "setAttr m.it[0].itg[1].tbuv 1; setAttr m.weight[0] 0.7; setAttr m.weight[1] 0.6; setAttr "
        "m.weight[2] "
        "-0.4;");
    paint("m.it[0].itg[1].tw", 33123, 14);

    const auto evaluate = [this](int threads) {
        khost::setThreadCount(threads);
        run("setAttr m.rebind 1;");
        std::string bytes;
        appendBytes(bytes, points("base"));
        appendBytes(bytes, MFnIntArrayData(plug("m.it[0].itg[1].iti[6000].ipit").asMObject()).array());
        appendBytes(bytes, MFnDoubleArrayData(plug("m.it[0].itg[1].iti[6000].iuvt").asMObject()).array());
        appendBytes(bytes, MFnDoubleArrayData(plug("m.ss[0].isg[0].isuv").asMObject()).array());
        return bytes;
    };
    const std::string one = evaluate(1);
    const std::string two = evaluate(2);
    ASSERT_GT(MFnIntArrayData(plug("m.it[0].itg[1].iti[6000].ipit").asMObject()).array().length(), 10000u);
    EXPECT_TRUE(one == two) << "the first difference is at character "
                            << std::mismatch(one.begin(), one.end(), two.begin(), two.end()).first -
                                   one.begin();
}
