// Live UV targets: encoded against the surface binding at every evaluation, following their geometry;
// and the UV phases of the timing line.
#include "UvScene.h"

#include <regex>

TEST_F(UvScene, LiveUvTargetsFollowTheirGeometryOverTheSurface) {
    run("sphere -r 1 -n ball;"
        "polyPlane -w 0.4 -h 0.4 -sx 2 -sy 2 -ax 1 0 0 -n base; move -r 1.2 0.1 0.2 base.vtx[*];"
        "duplicate -n tgt base;"
        "select -r tgt base; kivoMorph -name m;"
        "connectAttr ballShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.it[0].itg[0].tbl 1; setAttr m.weight[0] 1;");
    const MPointArray rest = points("base");
    for (int frame = 1; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        run("move -r -0.2 0.1 0.15 tgt.vtx[4];");
        const MPointArray moved = points("base");
        expectPointNear(moved[4], points("tgt")[4], 1e-9, "the moving vertex");
        EXPECT_EQ(moved[0], rest[0]) << "a vertex the target leaves in place";
        // Each evaluation writes what it encoded, for the GPU path.
        EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "4");
        EXPECT_EQ(doubles("m.it[0].itg[0].iti[6000].iuvt").length(), 2u);
    }
    EXPECT_EQ(count(khost::Message::Info, "KivoMorph 'm': Rebind has been successfully completed."), 0u);
}

TEST_F(UvScene, ALiveUvTargetOnAGeometryWithoutABindingFailsAtEveryEvaluation) {
    // The node's only geometry has logical index 2: the binding lists hold one slot, for index 0.
    run("nurbsPlane -w 4 -u 2 -v 2 -n ground;"
        "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n source; polyPlane -w 1 -h 1 -sx 1 -sy 1 -n shown;"
        "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n tgt; move -r 1 0.5 0 tgt.vtx[*];"
        "createNode kivoMorph -n m;"
        "connectAttr sourceShape.worldMesh[0] m.input[2].inputGeometry;"
        "connectAttr -f m.outputGeometry[2] shownShape.inMesh;"
        "connectAttr tgtShape.worldMesh[0] m.it[2].itg[0].iti[6000].igt;"
        "connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[2].itg[0].tbuv 1; setAttr m.it[2].itg[0].tbl 1; setAttr m.weight[0] 1;");
    const MPointArray rest = points("source");
    for (int frame = 1; frame <= 3; ++frame) {
        run("move -r 0 0.1 0 tgt.vtx[0];");
        const MPointArray shown = points("shown");
        for (unsigned int i = 0; i < 4; ++i)
            EXPECT_EQ(shown[i], rest[i]);
        EXPECT_EQ(count(khost::Message::Warning, " Live blend failed !"), static_cast<size_t>(frame));
    }
}

TEST_F(UvScene, TheTimingLineMeasuresTheSurfacePhases) {
    run("nurbsPlane -w 4 -u 2 -v 2 -n ground;"
        "polyPlane -w 1 -h 1 -sx 4 -sy 4 -n base; move -r 0 0.5 0 base.vtx[*];"
        "duplicate -n tgt base; move -r 0.5 0 0 tgt.vtx[*];"
        "select -r tgt base; kivoMorph -name m; connectAttr groundShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.pe 1; setAttr m.psr 1; setAttr m.rebind 1;"
        "setAttr m.weight[0] 0.5;");
    clearMessages();
    run("setAttr m.rebind 1;");
    points("base");
    const auto phase = [](const std::string& line, const std::string& name) {
        std::smatch match;
        EXPECT_TRUE(std::regex_search(line, match, std::regex(" " + name + "=([^ ]+)"))) << line;
        return std::stod(match[1].str());
    };
    std::string line;
    for (const khost::Message& m : khost::Messages::instance().captured())
        if (m.kind == khost::Message::Info && m.text.rfind("[KivoMorph Timing]", 0) == 0)
            line = m.text;
    ASSERT_FALSE(line.empty()) << output();
    EXPECT_GT(phase(line, "surfCache"), 0.0);
    EXPECT_GT(phase(line, "uvLoop"), 0.0);
    EXPECT_GT(phase(line, "uvEval"), 0.0);
    EXPECT_LE(phase(line, "uvEval"), phase(line, "uvLoop"));

    // Without a rebind or a surface change the bindings are not built again.
    clearMessages();
    run("setAttr m.weight[0] 0.25;");
    points("base");
    line.clear();
    for (const khost::Message& m : khost::Messages::instance().captured())
        if (m.kind == khost::Message::Info && m.text.rfind("[KivoMorph Timing]", 0) == 0)
            line = m.text;
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(phase(line, "surfCache"), 0.0);
    EXPECT_GT(phase(line, "uvEval"), 0.0);
}

TEST_F(UvScene, TargetPointsWithoutAFrameOrAClosestPointAreLeftOutWithOneWarning) {
    // Vertex 0 of the target sits over the sphere's north pole, where dV vanishes: no frame there.
    run("sphere -r 1 -n ball;"
        "polyPlane -w 0.4 -h 0.4 -sx 1 -sy 1 -ax 1 0 0 -n base; move -r 1.2 0 0 base.vtx[*];"
        "duplicate -n tgt base; move -r 0.1 0 0 tgt.vtx[1:3];"
        "select -r tgt base; kivoMorph -name m; connectAttr ballShape.worldSpace[0] m.ss[0].is;"
        "setAttr m.it[0].itg[0].tbuv 1; setAttr m.it[0].itg[0].tbl 1;");
    place("tgt", "vtx", {{0, MPoint(0, 1.5, 0)}});
    const MPointArray rest = points("base");
    run("setAttr m.weight[0] 1;");
    const std::string noFrame = "KivoMorph 'm': inputTarget[0].inputTargetGroup[0].inputTargetItem[6000]: 1 "
                                "target points lie where the surface has no frame; they are left out.";
    for (int frame = 0; frame < 3; ++frame) {
        run("move -r 0 0 0.01 tgt.vtx[2];");
        const MPointArray moved = points("base");
        EXPECT_EQ(moved[0], rest[0]);
        expectPointNear(moved[2], points("tgt")[2], 1e-9, "a point with a frame");
    }
    EXPECT_EQ(result("getAttr m.it[0].itg[0].iti[6000].ipit"), "1 2 3");
    EXPECT_EQ(count(khost::Message::Warning, noFrame), 1u) << "once for the item, not at every evaluation";

    // In world space a target scaled past the range of doubles has no closest points at all.
    run("polyPlane -w 0.4 -h 0.4 -sx 1 -sy 1 -ax 1 0 0 -n far; move -r 1e200 0 0 far.vtx[*]; scale 1e200 1 1 "
        "far;"
        "connectAttr -f farShape.worldMesh[0] m.it[0].itg[0].iti[6000].igt; setAttr m.origin 0;");
    for (int frame = 0; frame < 2; ++frame) {
        run("move -r -os 0 0.01 0 far.vtx[0];");
        const MPointArray moved = points("base");
        for (unsigned int i = 0; i < 4; ++i)
            EXPECT_EQ(moved[i], rest[i]);
    }
    EXPECT_EQ(count(khost::Message::Warning,
                    "KivoMorph 'm': no closest point on inputSurface[0] was found for 4 "
                    "target points of inputTarget[0].inputTargetGroup[0]."
                    "inputTargetItem[6000]; they are left out."),
              1u);
}
