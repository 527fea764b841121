// origin 0 evaluates in world space: target deltas are world-space offsets, and a base whose
// transform is not the identity must land on its targets' world positions, expressed in its own
// object space.
#include "PluginScene.h"
#include <iomanip>

namespace {

void expectNear(const MPoint& actual, const MPoint& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class OriginScene : public PluginScene {
protected:
    // A 2 x 2 plane "target" with an identity transform whose points are the base's world points
    // plus the given world offsets, encoded as target 0 of "morph" in world space.
    void worldTarget(const MPointArray& baseWorld,
                     const std::vector<std::pair<unsigned int, MVector>>& offsets) {
        std::ostringstream script;
        script << std::setprecision(17) << "polyPlane -w 2 -h 2 -sx 1 -sy 1 -n target;";
        for (unsigned int i = 0; i < baseWorld.length(); ++i) {
            MPoint p = baseWorld[i];
            for (const auto& offset : offsets)
                if (offset.first == i)
                    p += offset.second;
            script << "move -a " << p.x << " " << p.y << " " << p.z << " target.vtx[" << i << "];";
        }
        run(script.str());
        run("setAttr morph.origin 0;"
            "connectAttr targetShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt;"
            "setAttr morph.rebind 1;");
    }
};

} // namespace

TEST_F(OriginScene, ATranslatedBaseMovesByTheWorldOffsets) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; move -a 1 2 3 base;"
        "deformer -type kivoMorph -n morph base;");
    const MPointArray rest = points("base");
    const MPointArray restWorld = points("base", MSpace::kWorld);
    worldTarget(restWorld, {{0, MVector(0, 1, 0)}, {3, MVector(2, 0, -1)}});
    run("setAttr morph.weight[0] 0.5;");

    // A translation leaves offsets as they are; the untouched points stay exactly in place.
    const MPointArray local = points("base");
    ASSERT_EQ(local.length(), 4u);
    expectNear(local[0], rest[0] + MVector(0, 0.5, 0));
    expectNear(local[3], rest[3] + MVector(1, 0, -0.5));
    EXPECT_EQ(local[1], rest[1]);
    EXPECT_EQ(local[2], rest[2]);
    const MPointArray world = points("base", MSpace::kWorld);
    expectNear(world[0], restWorld[0] + MVector(0, 0.5, 0));
    expectNear(world[3], restWorld[3] + MVector(1, 0, -0.5));
}

// Scale (1 1 2), then 90 degrees about y: object (a b c) becomes world (2c, b, -a), so a world
// offset (dx dy dz) is the object offset (-dz, dy, dx / 2).
TEST_F(OriginScene, ARotatedScaledBaseTakesTheWorldOffsetsIntoItsOwnSpace) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; scale 1 1 2 base; rotate 0 90 0 base; move -a 5 0 0 base;"
        "deformer -type kivoMorph -n morph base;");
    const MPointArray rest = points("base");
    const MPointArray restWorld = points("base", MSpace::kWorld);
    // Object (-1 0 1) -> scaled (-1 0 2) -> rotated (2 0 1) -> translated (7 0 1).
    expectNear(restWorld[0], MPoint(7, 0, 1));
    worldTarget(restWorld, {{0, MVector(1, 0, 0)}, {1, MVector(0, 4, 0)}, {3, MVector(0, 0, 2)}});

    run("setAttr morph.weight[0] 1;");
    MPointArray local = points("base");
    expectNear(local[0], rest[0] + MVector(0, 0, 0.5));
    expectNear(local[1], rest[1] + MVector(0, 4, 0));
    expectNear(local[3], rest[3] + MVector(-2, 0, 0));
    EXPECT_EQ(local[2], rest[2]);
    // At weight 1 the base sits on the target's world points.
    const MPointArray targetWorld = points("target", MSpace::kWorld);
    const MPointArray world = points("base", MSpace::kWorld);
    for (unsigned int i = 0; i < 4; ++i)
        expectNear(world[i], targetWorld[i]);

    run("setAttr morph.weight[0] 0.5;");
    local = points("base");
    expectNear(local[0], rest[0] + MVector(0, 0, 0.25));
    expectNear(local[1], rest[1] + MVector(0, 2, 0));
    expectNear(local[3], rest[3] + MVector(-1, 0, 0));
}

// A target with a transform of its own, encoded in world space, brings the base onto the
// target's world points whatever either transform is.
TEST_F(OriginScene, ABaseLandsOnItsTargetsWorldPositions) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; rotate 0 0 90 base; move -a 0 0 -4 base;"
        "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n target; rotate 30 0 0 target; move -a 3 1 0 target;"
        "move -r 0 0.5 0 target.vtx[4];");
    const MPointArray targetWorld = points("target", MSpace::kWorld);
    run("deformer -type kivoMorph -n morph base; setAttr morph.origin 0;"
        "connectAttr targetShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt;"
        "setAttr morph.rebind 1; setAttr morph.weight[0] 1;");
    const MPointArray world = points("base", MSpace::kWorld);
    ASSERT_EQ(world.length(), targetWorld.length());
    for (unsigned int i = 0; i < world.length(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        expectNear(world[i], targetWorld[i], 1e-6);
    }
}

TEST_F(OriginScene, WithAnIdentityTransformBothSpacesAgree) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; deformer -type kivoMorph -n morph base;");
    const MPointArray rest = points("base");
    worldTarget(rest, {{0, MVector(0.5, 1, 0)}, {2, MVector(0, -2, 0.25)}});
    run("setAttr morph.weight[0] 0.75; setAttr morph.it[0].bw[2] 0.5;");
    const MPointArray worldSpace = points("base");
    run("setAttr morph.origin 1;");
    const MPointArray objectSpace = points("base");
    ASSERT_EQ(objectSpace.length(), worldSpace.length());
    for (unsigned int i = 0; i < objectSpace.length(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        EXPECT_EQ(worldSpace[i], objectSpace[i]);
    }
    expectNear(worldSpace[0], rest[0] + MVector(0.375, 0.75, 0));
    expectNear(worldSpace[2], rest[2] + MVector(0, -0.75, 0.09375));
}
