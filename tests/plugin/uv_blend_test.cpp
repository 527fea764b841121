// UV targets in the evaluation: points put back on their surface at the blended parameter with the
// blended offset in the frame there, the accumulators shared by every UV target, Bezier UV blends,
// targetOffset, world space, and scenes that reopen into the same points.
#include "UvScene.h"

#include <cstdio>

namespace {

// A 4 x 4 plane of 2 x 2 cubic patches: S(u, v) = (-2 + 2u, 0, 2 - 2v) over [0, 2] x [0, 2], frame
// T = +x, N = +y, B = -z. A unit square "base" 0.5 above it (vertex 0 at (-0.5, 0.5, 0.5)).
const char* const kPlaneRig = "nurbsPlane -w 4 -u 2 -v 2 -n ground;"
                              "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base; move -r 0 0.5 0 base.vtx[*];";

class UvBlend : public UvScene {
protected:
    // A copy of base named `name` whose vertex 0 is moved by `offset`.
    void targetFrom(const std::string& name, const MVector& offset, unsigned int vertex = 0) {
        run("duplicate -n " + name + " base;");
        std::ostringstream move;
        move << std::setprecision(17) << "move -r -os " << offset.x << " " << offset.y << " " << offset.z
             << " " << name << ".vtx[" << vertex << "];";
        run(move.str());
    }

    // Where the node's own arrays say a point goes at weight w (a single plain UV item, every weight 1):
    // the surface at the bound parameter plus w x the UV delta, with the bound offset plus w x the offset
    // delta in the frame there. Weights are single precision.
    MPoint expectedAt(const std::string& surfaceShape, const std::string& group, const std::string& item,
                      unsigned int k, double weight) {
        const double w = static_cast<float>(weight);
        const int i = ints(item + ".ipit")[k];
        const MDoubleArray uv = doubles(group + ".isuv"), uvDeltas = doubles(item + ".iuvt");
        const MPoint relative = pointArray(group + ".idp")[static_cast<unsigned int>(i)];
        const MPoint delta = pointArray(item + ".ipt")[k];
        const double u = uv[2 * static_cast<unsigned int>(i)] + uvDeltas[2 * k] * w;
        const double v = uv[2 * static_cast<unsigned int>(i) + 1] + uvDeltas[2 * k + 1] * w;
        return onSurface(
            surfaceShape, u, v,
            MVector(relative.x + delta.x * w, relative.y + delta.y * w, relative.z + delta.z * w));
    }
};

// The quadratic Bezier curve of a UV blend: from start through the control moved from the
// middle by s, to end, rounded to single precision.
double bezierParameter(double start, double control, double end, double t, double s) {
    const double middle = (start + end) / 2;
    const double c = middle + s * (control - middle);
    return static_cast<float>((1 - t) * (1 - t) * start + 2 * (1 - t) * t * c + t * t * end);
}

} // namespace

TEST_F(UvBlend, PointsSlideOverASphereAndLandOnTheirTargetsAtWeightOne) {
    // A patch 0.2 outside a unit sphere, near its equator; the target is the patch moved around the
    // sphere and lifted, one corner further still.
    run("sphere -r 1 -n ball;"
        "polyPlane -w 0.4 -h 0.4 -sx 2 -sy 2 -ax 1 0 0 -n base; move -r 1.2 0.1 0.2 base.vtx[*];"
        "duplicate -n tgt base; move -r -0.5 0.3 0.6 tgt.vtx[*]; move -r 0 0.2 0 tgt.vtx[8];"
        "select -r tgt base; kivoMorph -name m;"
        "connectAttr ballShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1;");
    const MPointArray rest = points("base");
    const MPointArray target = points("tgt");
    const std::string group = "m.ss[0].isg[0]", item = "m.it[0].itg[0].iti[6000]";
    for (const double w : {1.0, 0.5, 0.3}) {
        SCOPED_TRACE(w);
        run("setAttr m.weight[0] " + std::to_string(w) + ";");
        const MPointArray moved = points("base");
        ASSERT_EQ(ints(item + ".ipit").length(), 9u);
        for (unsigned int k = 0; k < 9; ++k)
            expectPointNear(moved[k], expectedAt("ballShape", group, item, k, w), 1e-12,
                            "point " + std::to_string(k));
        if (w == 1.0) {
            for (unsigned int k = 0; k < 9; ++k)
                expectPointNear(moved[k], target[k], 1e-9, "on the target, point " + std::to_string(k));
        } else {
            // Halfway around the sphere the points keep their height over it, unlike a straight line.
            const MPoint straight = rest[4] + (target[4] - rest[4]) * w;
            EXPECT_GT(MVector(moved[4]).length() - MVector(straight).length(), 0.01);
        }
    }
}

TEST_F(UvBlend, TwoUvTargetsComposeThroughTheSharedAccumulators) {
    run(kPlaneRig);
    targetFrom("tgtA", MVector(1, 0, 0));
    targetFrom("tgtB", MVector(1, 0, 0));
    run("select -r tgtA tgtB base; kivoMorph -name m; connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.it[0].itg[1].tbuv 1; setAttr m.rebind 1;"
        "setAttr m.weight[0] 0.5; setAttr m.weight[1] 0.5;"
        "setAttr m.it[0].itg[0].tw[0] 0.5; setAttr m.it[0].itg[1].tw[0] 0.5;");
    // Each target moves u by 0.5 x 0.5: the first puts the point at x + 0.5 and goes half way there
    // (+0.25); the second starts from the sum of both, x + 1, and goes half of the rest (+0.375).
    EXPECT_POINT_NEAR(points("base")[0], -0.5 + 0.625, 0.5, 0.5);

    // A second surface, the same plane 1 higher (in world space): a target on it is evaluated with the
    // u of the target on the first surface already in the accumulator.
    run("nurbsPlane -w 4 -u 2 -v 2 -n sheet; move 0 1 0 sheet;");
    run("connectAttr sheetShape.worldSpace[0] m.ss[1].is; setAttr m.ss[1].iso 0;");
    run("setAttr m.it[0].itg[1].tsi 1; setAttr m.it[0].itg[1].tw[0] 0.5;");
    run("move -r -1 0 1 tgtB.vtx[0]; setAttr m.rebind 1; setAttr m.weight[0] 1; setAttr m.weight[1] 1;");
    // First: u + 0.5 (x + 1), half way: x + 0.5. Second, on the sheet: u + 0.5 from the first and its own
    // v - 0.5 (z + 1), so the point aims at (x + 1, z + 1) and goes half way from (x + 0.5, z).
    EXPECT_POINT_NEAR(points("base")[0], -0.5 + 0.75, 0.5, 0.5 + 0.5);
}

TEST_F(UvBlend, BezierUvBlendsFollowTheirCurveAndPointsWithoutAnInbetweenGoStraight) {
    run(kPlaneRig);
    // Vertex 0 (u 0.75): the inbetween at 0.5 takes it to x 1 (u 1.5), the full target to x 1.5 (u 1.75).
    // Vertex 1 (u 1.25): only the full target moves it, by 1 in x (u + 0.5).
    targetFrom("mid", MVector(1.5, 0, 0));
    targetFrom("full", MVector(2, 0, 0));
    run("move -r 1 0 0 full.vtx[1];");
    run("select -r mid full base; kivoMorph -inBetween true -name m;"
        "connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.it[0].itg[0].tbb 1; setAttr m.rebind 1;");
    for (const double curvature : {1.0, 0.5, 0.0}) {
        for (const double w : {0.25, 0.5, 0.8}) {
            SCOPED_TRACE(std::to_string(curvature) + " " + std::to_string(w));
            run("setAttr m.it[0].itg[0].tc " + std::to_string(curvature) + "; setAttr m.weight[0] " +
                std::to_string(w) + ";");
            const MPointArray moved = points("base");
            const double s = 2 * curvature;
            EXPECT_NEAR(moved[0].x, -2 + 2 * bezierParameter(0.75, 1.5, 1.75, w, s), 1e-12);
            // The cached inbetween keeps vertex 1 with a zero delta: a control at its start.
            EXPECT_NEAR(moved[1].x, -2 + 2 * bezierParameter(1.25, 1.25, 1.75, w, s), 1e-12);
            EXPECT_EQ(moved[0].y, 0.5);
        }
    }
    // Live, the inbetween holds only what moves: vertex 1 has no control and goes straight.
    run("setAttr m.it[0].itg[0].tbl 1; setAttr m.it[0].itg[0].tc 1; setAttr m.weight[0] 0.25;");
    const MPointArray live = points("base");
    EXPECT_NEAR(live[0].x, -2 + 2 * bezierParameter(0.75, 1.5, 1.75, 0.25, 2), 1e-12);
    EXPECT_NEAR(live[1].x, -2 + 2 * static_cast<float>(1.25 + 0.25 * 0.5), 1e-12);
}

TEST_F(UvBlend, TargetOffsetScalesTheChangeOfOffsetButNotTheSlide) {
    run(kPlaneRig);
    targetFrom("tgt", MVector(1, 1, 0));
    run("select -r tgt base; kivoMorph -name m; connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1; setAttr m.weight[0] 1;");
    for (const double offset : {1.0, 0.5, 0.0}) {
        run("setAttr m.it[0].itg[0].to " + std::to_string(offset) + ";");
        EXPECT_POINT_NEAR(points("base")[0], 0.5, 0.5 + offset, 0.5);
    }
}

TEST_F(UvBlend, WorldSpaceBlendsLandOnWorldTargetsWhateverTheTransforms) {
    // A tilted, moved plane taken in world space, and a base rotated, stretched and moved.
    run("nurbsPlane -w 4 -u 2 -v 2 -n ground; rotate 0 0 30 ground; move 1 2 3 ground;"
        "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base; rotate 10 20 30 base; scale 1 2 1 base; move 0.5 2.3 2.5 "
        "base;"
        "deformer -type kivoMorph -n m base; setAttr m.origin 0;"
        "connectAttr groundShape.worldSpace[0] m.ss[0].is; setAttr m.ss[0].iso 0;");
    // The world target: each point slides across the plane and rises from it.
    const MPointArray world = points("base", MSpace::kWorld);
    const double c = std::cos(30 * 3.14159265358979323846 / 180),
                 s = std::sin(30 * 3.14159265358979323846 / 180);
    const MVector across(c, s, 0), normal(-s, c, 0);
    const std::vector<MVector> offsets = {across * 0.5 + normal * 0.3, MVector(0, 0, -0.4), across * -0.2,
                                          normal * 0.25};
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n tgt;");
    std::vector<std::pair<unsigned int, MPoint>> goals;
    for (unsigned int i = 0; i < 4; ++i)
        goals.emplace_back(i, world[i] + offsets[i]);
    place("tgt", "vtx", goals);
    run("connectAttr tgtShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1;");
    // On a flat surface a UV blend is a straight one, in world space, whatever the base's transform.
    for (const double w : {1.0, 0.5}) {
        run("setAttr m.weight[0] " + std::to_string(w) + ";");
        const MPointArray moved = points("base", MSpace::kWorld);
        for (unsigned int i = 0; i < 4; ++i)
            expectPointNear(moved[i], world[i] + offsets[i] * w, 1e-9, "point " + std::to_string(i));
    }
}

TEST_F(UvBlend, AReopenedSceneDeformsIdenticallyWithoutARebind) {
    run("sphere -r 1 -n ball;"
        "polyPlane -w 0.4 -h 0.4 -sx 2 -sy 2 -ax 1 0 0 -n base; move -r 1.2 0.1 0.2 base.vtx[*];"
        "duplicate -n tgt base; move -r -0.5 0.3 0.6 tgt.vtx[*];"
        "duplicate -n lift base; move -r 0 0.2 0 lift.vtx[4];"
        "select -r tgt lift base; kivoMorph -name m;"
        "connectAttr ballShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1;"
        "setAttr m.weight[0] 0.6; setAttr m.weight[1] 0.7; setAttr m.it[0].itg[0].to 0.8;");
    const MPointArray before = points("base");
    ASSERT_GT(before[0].distanceTo(points("tgt")[0]), 0.1);
    const std::string path = ::testing::TempDir() + "kivo_uv_scene_test.ma";
    run("file -save \"" + path + "\"; file -new; file -open \"" + path + "\";");
    std::remove(path.c_str());
    clearMessages();
    const MPointArray after = points("base");
    ASSERT_EQ(after.length(), before.length());
    for (unsigned int i = 0; i < before.length(); ++i) {
        EXPECT_EQ(after[i].x, before[i].x) << i;
        EXPECT_EQ(after[i].y, before[i].y) << i;
        EXPECT_EQ(after[i].z, before[i].z) << i;
    }
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 0u);
}
