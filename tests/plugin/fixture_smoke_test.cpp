#include "PluginScene.h"

TEST_F(PluginScene, StoredTargetMovesThePlane) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; deformer -type kivoMorph -n morph base;");
    run(itemArrays("morph.it[0].itg[0].iti[6000]", {1}, {MVector(0, 2, 0)}));
    run("setAttr morph.weight[0] 0.5;");
    MPointArray p = points("base");
    ASSERT_EQ(p.length(), 4u);
    EXPECT_NEAR(p[1].y, 1.0, 1e-6);
    EXPECT_NEAR(p[0].y, 0.0, 1e-12);
}
