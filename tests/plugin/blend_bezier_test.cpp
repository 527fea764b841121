// Bezier blends of a target's inbetweens through the node: the curve runs from the rest point
// through control points built from the inbetween deltas to the full delta, at t = w.
#include "PluginScene.h"

#include <string>
#include <vector>

class BezierBlend : public PluginScene {
protected:
    // A 3 x 3 plane with a Bezier target 0 and the given items, each as (indices, deltas).
    void storeBezierTarget(const std::vector<std::pair<unsigned int, std::vector<MVector>>>& items) {
        run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; deformer -type kivoMorph -n m base;"
            "setAttr m.it[0].itg[0].tbb 1;");
        for (const auto& item : items) {
            std::vector<int> indices;
            for (size_t k = 0; k < item.second.size(); ++k) {
                indices.push_back(static_cast<int>(k));
            }
            run(itemArrays("m.it[0].itg[0].iti[" + std::to_string(item.first) + "]", indices, item.second));
        }
        rest = points("base");
    }

    // Displacement of vertex i at weight w and curvature c.
    MVector offsetAt(unsigned int i, double w, double curvature) {
        run("setAttr m.it[0].itg[0].tc " + std::to_string(curvature) + "; setAttr m.weight[0] " +
            std::to_string(w) + ";");
        return points("base")[i] - rest[i];
    }

    MPointArray rest;
};

#define EXPECT_OFFSET(v, ex, ey, ez) EXPECT_POINT_NEAR(MPoint(v), ex, ey, ez)

TEST_F(BezierBlend, OneInbetweenIsAQuadraticThroughItsControlPoint) {
    // Vertex 0: inbetween D = (0, 1, 0), full B = (2, 0, 0). Vertex 1 is missing from the
    // inbetween (D = 0) with B = (0, 0, 4).
    storeBezierTarget({{5500, {MVector(0, 1, 0)}}, {6000, {MVector(2, 0, 0), MVector(0, 0, 4)}}});
    // Curvature 1 (s = 2): C = 2D - B/2 = (-1, 2, 0); at t = 0.5 the curve meets D itself.
    EXPECT_OFFSET(offsetAt(0, 0.5, 1.0), 0, 1, 0);
    // t = 0.25: 2(1-t)t = 0.375 of C and t^2 = 0.0625 of B.
    EXPECT_OFFSET(offsetAt(0, 0.25, 1.0), -0.25, 0.75, 0);
    // The missing point's control is -B/2 = (0, 0, -2): 0.375 * -2 + 0.0625 * 4.
    EXPECT_OFFSET(offsetAt(1, 0.25, 1.0), 0, 0, -0.5);
    // Curvature 0.5 (s = 1): C = D.
    EXPECT_OFFSET(offsetAt(0, 0.25, 0.5), 0.125, 0.375, 0);
    // Curvature 0 (s = 0): C = B/2 and the quadratic collapses to the straight t * B.
    EXPECT_OFFSET(offsetAt(0, 0.25, 0.0), 0.5, 0, 0);
    EXPECT_OFFSET(offsetAt(1, 0.25, 0.0), 0, 0, 1);
    // The curve ends on the full target and goes on beyond it.
    EXPECT_OFFSET(offsetAt(0, 1.0, 1.0), 2, 0, 0);
    // t = 2: 2(-1)(2) C + 4 B = (4 + 8, -8, 0).
    EXPECT_OFFSET(offsetAt(0, 2.0, 1.0), 12, -8, 0);
}

TEST_F(BezierBlend, TwoInbetweensAreACubic) {
    // D1 = (0, 2, 0), D2 = (0, 0, 2), B = (4, 0, 0); at t = 0.5 the Bernstein weights are
    // 1/8, 3/8, 3/8, 1/8 on 0, C1, C2, B.
    storeBezierTarget({{5250, {MVector(0, 2, 0)}}, {5500, {MVector(0, 0, 2)}}, {6000, {MVector(4, 0, 0)}}});
    // s = 1: C = D.
    EXPECT_OFFSET(offsetAt(0, 0.5, 0.5), 0.5, 0.75, 0.75);
    // s = 2: C1 = (-2, 4, 0), C2 = (-2, 0, 4).
    EXPECT_OFFSET(offsetAt(0, 0.5, 1.0), -1, 1.5, 1.5);
    // s = 0: both controls at B/2 = (2, 0, 0): (3/8 + 3/8) * 2 + 1/8 * 4.
    EXPECT_OFFSET(offsetAt(0, 0.5, 0.0), 2, 0, 0);
}

TEST_F(BezierBlend, ThreeInbetweensByDeCasteljau) {
    // Degree 4. D1 = (0, 1, 0), D2 = (0, 0, 1), D3 = (1, 0, 0), B = (2, 2, 2).
    storeBezierTarget({{5250, {MVector(0, 1, 0)}},
                       {5500, {MVector(0, 0, 1)}},
                       {5750, {MVector(1, 0, 0)}},
                       {6000, {MVector(2, 2, 2)}}});
    // s = 1, t = 0.5, by halving the polygon four times:
    //   [0, D1, D2, D3, B] -> [(0,.5,0), (0,.5,.5), (.5,0,.5), (1.5,1,1)]
    //   -> [(0,.5,.25), (.25,.25,.5), (1,.5,.75)] -> [(.125,.375,.375), (.625,.375,.625)]
    //   -> (.375, .375, .5)
    EXPECT_OFFSET(offsetAt(0, 0.5, 0.5), 0.375, 0.375, 0.5);
    // s = 0, t = 0.3: controls at B/2 = (1, 1, 1); weights (1-t)^4 = 0.2401 on 0, t^4 = 0.0081
    // on B and the rest, 0.7518, on B/2: 0.7518 + 0.0162 per coordinate.
    EXPECT_OFFSET(offsetAt(0, 0.3, 0.0), 0.768, 0.768, 0.768);
}

TEST_F(BezierBlend, ElevenItemsWarnAtEveryEvaluationAndStillFollowTheCurve) {
    // Ten inbetweens 5050, 5100 ... 5900 and the full target: with s = 1 the controls are the
    // deltas. Along x they are evenly spaced (j for control j, 11 for B), so x = 11 t; along y
    // only the first control is raised, so y = 11 t (1 - t)^10.
    std::vector<std::pair<unsigned int, std::vector<MVector>>> items;
    items.push_back({5050, {MVector(1, 1, 0)}});
    for (unsigned int j = 2; j <= 10; ++j) {
        items.push_back({5000 + 100 * (j - 1), {MVector(j, 0, 0)}});
    }
    items.push_back({6000, {MVector(11, 0, 0)}});
    storeBezierTarget(items);
    const std::string advice =
        " Use the standard inbetween function when the number of Bezier blend targets exceeds 10. ";
    clearMessages();
    EXPECT_OFFSET(offsetAt(0, 0.5, 0.5), 5.5, 11.0 / 2048.0, 0);
    EXPECT_EQ(count(khost::Message::Error, advice), 11u);
    EXPECT_OFFSET(offsetAt(0, 0.25, 0.5), 2.75, 11.0 * 0.25 * 0.056313514709472656, 0);
    EXPECT_EQ(count(khost::Message::Error, advice), 22u);
}

TEST_F(BezierBlend, WithoutUsableInbetweensOnlyTheFullTargetBlends) {
    // Inbetween 5500 stores deltas but no indices, so it cannot be gathered: the full target
    // follows the standard inbetween factor of the last item, (w - 0.5) / 0.5.
    storeBezierTarget({{6000, {MVector(0, 2, 0)}}});
    run("setAttr m.it[0].itg[0].iti[5500].ipt -type \"pointArray\" 1 5 5 5 1;");
    EXPECT_OFFSET(offsetAt(0, 0.75, 1.0), 0, 1, 0);
    EXPECT_OFFSET(offsetAt(0, 1.5, 1.0), 0, 4, 0);
    EXPECT_OFFSET(offsetAt(0, 0.25, 1.0), 0, 0, 0);

    // A lone full target ignores the Bezier flag and follows w.
    run("setAttr m.it[0].itg[1].tbb 1; setAttr m.weight[1] 0.3;" +
        itemArrays("m.it[0].itg[1].iti[6000]", {3}, {MVector(0, 0, 1)}));
    EXPECT_OFFSET(points("base")[3] - rest[3], 0, 0, 0.3);
}
