// The surface binding cache through a scene: what the node writes into inputSurfaceGroup for points
// over, under and beyond a surface, which surfaces it binds, and when it binds again.
#include "UvScene.h"

namespace {

// A 4 x 4 plane of 2 x 2 cubic patches: S(u, v) = (-2 + 2u, 0, 2 - 2v) over [0, 2] x [0, 2], with the
// frame T = +x, N = +y, B = -z everywhere.
const char* const kGround = "nurbsPlane -w 4 -u 2 -v 2 -n ground;";

class SurfaceBinding : public UvScene {
protected:
    // Expected binding of one point: parameter, offset in the frame, and surface point plus offset.
    struct Bound {
        double u, v;
        MVector local;
        MPoint surfacePoint;
    };

    void expectBinding(const std::string& group, const std::vector<Bound>& expected) {
        const MDoubleArray uv = doubles(group + ".isuv");
        const MPointArray relative = pointArray(group + ".idp");
        const MPointArray surfacePoints = pointArray(group + ".isp");
        ASSERT_EQ(uv.length(), 2 * expected.size()) << group;
        ASSERT_EQ(relative.length(), expected.size()) << group;
        ASSERT_EQ(surfacePoints.length(), expected.size()) << group;
        for (unsigned int i = 0; i < expected.size(); ++i) {
            const std::string what = group + " point " + std::to_string(i);
            EXPECT_NEAR(uv[2 * i], expected[i].u, 1e-12) << what;
            EXPECT_NEAR(uv[2 * i + 1], expected[i].v, 1e-12) << what;
            expectPointNear(relative[i], MPoint(expected[i].local), 1e-12, what);
            EXPECT_EQ(relative[i].w, 1.0) << what;
            expectPointNear(surfacePoints[i], expected[i].surfacePoint, 1e-12, what);
        }
    }
};

} // namespace

TEST_F(SurfaceBinding, PointsBindToTheirClosestPointAndBeyondAnEdgeToTheEdge) {
    run(kGround);
    // Over the plane, under it, beyond its +x edge, beyond its (0, 2) corner.
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base;");
    const MPoint over(0.3, 0.5, -0.2), under(-1, -0.25, 1.5), beyond(3, 0.4, 0.5), corner(-2.5, 1, -3);
    place("base", "vtx", {{0, over}, {1, under}, {2, beyond}, {3, corner}});
    // A curve, bound the same way by a node of its own.
    run("curve -d 1 -p 0.5 2 1 -p 1 -1 4 -n wire;");
    run("deformer -type kivoMorph -n m base; deformer -type kivoMorph -n c wire;"
        "connectAttr groundShape.worldSpace[0] m.inputSurface[0].inputTargetSurface;"
        "connectAttr groundShape.worldSpace[0] c.inputSurface[3].inputTargetSurface;"
        "setAttr m.it[0].bw[0] 1; setAttr c.it[0].bw[0] 1;");
    points("base");
    points("wire");

    // Over or under: the point itself, the parameter of its projection, the height along the normal.
    // Beyond: the closest edge point, parameters inside the domain, the rest of the offset along T or B.
    expectBinding("m.ss[0].isg[0]", {{1.15, 1.1, MVector(0, 0.5, 0), over},
                                     {0.5, 0.25, MVector(0, -0.25, 0), under},
                                     {2, 0.75, MVector(1, 0.4, 0), beyond},
                                     {0, 2, MVector(-0.5, 1, 1), corner}});
    expectBinding("c.ss[3].isg[0]", {{1.25, 0.5, MVector(0, 2, 0), MPoint(0.5, 2, 1)},
                                     {1.5, 0, MVector(0, -1, -2), MPoint(1, -1, 4)}});
    EXPECT_EQ(count(khost::Message::Warning, "No NURBS surfaces found to cache, skipping surface caching."),
              0u);
}

TEST_F(SurfaceBinding, EveryGeometryOnEverySurfaceWithADomainAndNoOtherSurface) {
    run(kGround);
    run("nurbsPlane -w 2 -u 1 -v 1 -n high; move 0 3 0 high;");
    // A surface whose u domain has no length: kept as data, never bound, and never a reason to warn.
    run("createNode transform -n flat; createNode nurbsSurface -n flatShape -p flat;"
        "setAttr flatShape.create -type \"nurbsSurface\" 1 1 0 0 no 2 0.5 0.5 2 0 1 4 0 0 0 0 0 1 1 0 0 1 0 "
        "1;");
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base; curve -d 1 -p 0 1 0 -p 1 1 0 -p 2 1 0 -n wire;"
        "deformer -type kivoMorph -n m base wire;"
        "connectAttr groundShape.worldSpace[0] m.ss[0].is; connectAttr highShape.worldSpace[0] m.ss[1].is;"
        "connectAttr flatShape.worldSpace[0] m.ss[2].is;"
        "setAttr m.ss[1].iso 0; setAttr m.it[0].bw[0] 1; setAttr m.it[1].bw[0] 1;");
    points("base");
    points("wire");
    EXPECT_EQ(result("getAttr -s m.ss[0].isg"), "2");
    EXPECT_EQ(result("getAttr -s m.ss[1].isg"), "2");
    EXPECT_EQ(result("getAttr -s m.ss[2].isg"), "0");
    EXPECT_EQ(doubles("m.ss[0].isg[0].isuv").length(), 8u);
    EXPECT_EQ(doubles("m.ss[1].isg[1].isuv").length(), 6u);
    // The world-space surface (inputSurfaceOrigin 0) is 3 above the untransformed one it came from.
    EXPECT_NEAR(pointArray("m.ss[0].isg[1].idp")[0].y, 1.0, 1e-12);
    EXPECT_NEAR(pointArray("m.ss[1].isg[1].idp")[0].y, -2.0, 1e-12);
    EXPECT_EQ(count(khost::Message::Warning, "No NURBS surfaces found to cache, skipping surface caching."),
              0u);

    // Only surfaces that bind nothing: the warning, and nothing written.
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n lone; deformer -type kivoMorph -n n lone;"
        "connectAttr flatShape.worldSpace[0] n.ss[0].is; setAttr n.ss[4].iso 1; setAttr n.it[0].bw[0] 1;");
    points("lone");
    EXPECT_EQ(count(khost::Message::Warning, "No NURBS surfaces found to cache, skipping surface caching."),
              1u);
    EXPECT_EQ(result("getAttr -s n.ss[0].isg"), "0");
}

TEST_F(SurfaceBinding, SurfaceEditsRebindWithoutReEncodingTheUvDeltas) {
    run(kGround);
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base; move -r 0 0.5 0 base.vtx[*];"
        "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n tgt; move -r 0.5 0.5 0 tgt.vtx[*];"
        "select -r tgt base; kivoMorph -name m;"
        "connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1; setAttr m.weight[0] 1;");
    points("base");
    const MDoubleArray uvDeltas = doubles("m.it[0].itg[0].iti[6000].iuvt");
    const MPointArray offsets = pointArray("m.it[0].itg[0].iti[6000].ipt");
    ASSERT_EQ(uvDeltas.length(), 8u);
    EXPECT_NEAR(uvDeltas[0], 0.25, 1e-12);
    const MPointArray relativeBefore = pointArray("m.ss[0].isg[0].idp");

    // The surface rises by 0.25: the points bind again lower in its frame, the target keeps its deltas.
    run("move -r 0 0.25 0 ground.cv[*][*];");
    const MPointArray moved = points("base");
    const MPointArray relativeAfter = pointArray("m.ss[0].isg[0].idp");
    EXPECT_NEAR(relativeAfter[0].y, relativeBefore[0].y - 0.25, 1e-12);
    const MDoubleArray uvDeltasAfter = doubles("m.it[0].itg[0].iti[6000].iuvt");
    const MPointArray offsetsAfter = pointArray("m.it[0].itg[0].iti[6000].ipt");
    for (unsigned int k = 0; k < uvDeltas.length(); ++k)
        EXPECT_EQ(uvDeltasAfter[k], uvDeltas[k]);
    for (unsigned int k = 0; k < offsets.length(); ++k)
        EXPECT_EQ(offsetsAfter[k], offsets[k]);
    // Each point slides by the target's 0.5 along the raised surface, keeping its own height.
    const MPointArray rest = points("tgt");
    for (unsigned int i = 0; i < 4; ++i)
        expectPointNear(moved[i], rest[i], 1e-12, "point " + std::to_string(i));
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 1u);
}

TEST_F(SurfaceBinding, SurfacesBeyondTheRangeOfDoublesBindNothingAndMoveNothing) {
    // CVs at 1e200 scaled by 1e200: the world-space surface is not made of numbers any more.
    run("nurbsPlane -w 2e200 -n huge; scale 1e200 1e200 1e200 huge;");
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base; polyPlane -w 1 -h 1 -sx 1 -sy 1 -n tgt;"
        "move -r 0 1 0 tgt.vtx[2]; select -r tgt base; kivoMorph -name m;"
        "connectAttr hugeShape.worldSpace[0] m.ss[0].is; setAttr m.ss[0].iso 0;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1; setAttr m.weight[0] 1;");
    const MPointArray moved = points("base");
    for (unsigned int i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::isfinite(moved[i].x) && std::isfinite(moved[i].y) && std::isfinite(moved[i].z));
    }
    EXPECT_EQ(moved[2].y, 0.0);
    EXPECT_GE(count(khost::Message::Warning,
                    "KivoMorph 'm': the surface of inputSurface[0] cannot be searched "
                    "for closest points; no point is bound to it."),
              1u);
    EXPECT_GE(count(khost::Message::Warning, " No surface data found, skip..."), 1u);
    EXPECT_EQ(result("getAttr -s m.ss[0].isg"), "0");
}

TEST_F(SurfaceBinding, PointsAtAPoleStayUnboundAndInPlace) {
    // Vertex 0 over the sphere's north pole binds to the pole, where the surface has no frame.
    run("sphere -r 1 -n ball; polyPlane -w 0.4 -h 0.4 -sx 1 -sy 1 -ax 1 0 0 -n base; move -r 1.2 0 0 "
        "base.vtx[*];");
    place("base", "vtx", {{0, MPoint(0, 1.5, 0)}});
    run("duplicate -n tgt base; move -r 0 0 0.3 tgt.vtx[*];"
        "select -r tgt base; kivoMorph -name m; connectAttr ballShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.rebind 1; setAttr m.weight[0] 1;");
    const MPointArray target = points("tgt");
    const MPointArray moved = points("base");
    EXPECT_EQ(moved[0], MPoint(0, 1.5, 0));
    for (unsigned int i = 1; i < 4; ++i)
        expectPointNear(moved[i], target[i], 1e-9, "point " + std::to_string(i));
    EXPECT_EQ(count(khost::Message::Warning,
                    "KivoMorph 'm': 1 points have no closest point or no surface frame on "
                    "inputSurface[0]; UV targets leave them in place."),
              1u);
    // What the GPU override reads for it: no offset, the point itself.
    EXPECT_EQ(pointArray("m.ss[0].isg[0].idp")[0], MPoint(0, 0, 0));
    EXPECT_EQ(pointArray("m.ss[0].isg[0].isp")[0], MPoint(0, 1.5, 0));
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "1 2 3");
}

TEST_F(SurfaceBinding, UvTargetsWithoutTheirSurfaceWarnOrFailAsTheRebuildIsAskedFor) {
    run(kGround);
    run("polyPlane -w 1 -h 1 -sx 1 -sy 1 -n base; move -r 0 0.5 0 base.vtx[*];"
        "duplicate -n tgt base; move -r 0.5 0 0 tgt.vtx[0];"
        "duplicate -n straight base; move -r 0 1 0 straight.vtx[3];"
        "select -r tgt straight base; kivoMorph -name m; connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.it[0].itg[0].tsi 4; setAttr m.weight[0] 1; setAttr "
        "m.weight[1] 1;");
    // No inputSurface[4]: the full rebuild names it, the UV target is left out, the others go on.
    clearMessages();
    run("setAttr m.rebind 1;");
    const MPointArray moved = points("base");
    EXPECT_EQ(count(khost::Message::Warning, " No input surface found! "), 1u);
    EXPECT_EQ(moved[0].x, -0.5);
    EXPECT_NEAR(moved[3].y, 1.5, 1e-12);
    // A partial rebuild of that target skips it without a word.
    clearMessages();
    run("setAttr m.it[0].itg[0].trb 1;");
    points("base");
    EXPECT_EQ(count(khost::Message::Warning, " No input surface found! "), 0u);

    // inputSurface[4] without a surface in it: the full rebuild reports the failure and writes nothing.
    run("setAttr m.ss[4].iso 1;");
    clearMessages();
    run("setAttr m.weight[1] 0.5; setAttr m.rebind 1;");
    const MPointArray failed = points("base");
    ASSERT_FALSE(errors().empty());
    EXPECT_EQ(
        errors().front().rfind("------------------------------------\nSome Error Occured\n(kivoMorph:", 0),
        0u)
        << errors().front();
    EXPECT_EQ(failed[3].y, 0.5) << "positions are not written when the evaluation fails";
}
