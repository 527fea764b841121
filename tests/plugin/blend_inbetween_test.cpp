// Inbetween items of one target blended through the node with the standard inbetween function.
#include "PluginScene.h"

#include <vector>

namespace {

struct Item {
    unsigned int index;
    // Lift of the shared point: the item's own weight makes the target linear in w.
    double linear;
};

struct Row {
    float w;
    std::vector<double> factors;
};

} // namespace

class InbetweenBlend : public PluginScene {
protected:
    // A new scene with a 3 x 3 plane whose target 0 holds the given items: the item at position p lifts
    // vertex p by 1 (so vertex p shows its factor) and vertex 8 by its `linear` value.
    void storeItems(const std::vector<Item>& items) {
        run("file -new; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; deformer -type kivoMorph -n m base;");
        for (size_t p = 0; p < items.size(); ++p) {
            run(itemArrays("m.it[0].itg[0].iti[" + std::to_string(items[p].index) + "]",
                           {static_cast<int>(p), 8}, {MVector(0, 1, 0), MVector(0, items[p].linear, 0)}));
        }
        rest = points("base");
    }

    // At weight w vertex p lifts by factors[p]; vertex 8 by `linear`.
    void expectRow(const Row& row, double linear) {
        SCOPED_TRACE(::testing::Message() << "w = " << row.w);
        run("setAttr m.weight[0] " + std::to_string(row.w) + ";");
        const MPointArray p = points("base");
        for (size_t k = 0; k < row.factors.size(); ++k) {
            EXPECT_POINT_NEAR(p[k], rest[k].x, rest[k].y + row.factors[k], rest[k].z);
        }
        EXPECT_NEAR(p[8].y - rest[8].y, linear, 2e-6);
    }

    MPointArray rest;
};

TEST_F(InbetweenBlend, ThreeInbetweensFadeBetweenNeighboursAndExtrapolateAtBothEnds) {
    storeItems({{5250, 0.25}, {5500, 0.5}, {6000, 1.0}});
    for (const Row& row : {Row{0.25f, {1, 0, 0}}, Row{0.375f, {0.5, 0.5, 0}}, Row{0.75f, {0, 0.5, 0.5}},
                           Row{1.0f, {0, 0, 1}}, Row{1.5f, {0, -1, 2}},
                           // Below the first item it fades in from the rest shape, and past 0 it
                           // extrapolates that first segment.
                           Row{0.1f, {0.4, 0, 0}}, Row{-0.5f, {-2, 0, 0}}}) {
        expectRow(row, row.w);
    }
}

TEST_F(InbetweenBlend, HalfAndFullItemsAcrossTheWeightRange) {
    storeItems({{5500, 0.5}, {6000, 1.0}});
    for (const Row& row : {Row{0.25f, {0.5, 0}}, Row{0.75f, {0.5, 0.5}}, Row{1.0f, {0, 1}},
                           Row{1.2f, {-0.4, 1.4}}, Row{1.5f, {-1, 2}},
                           // Without item 5000 a negative weight scales the first item by w / 0.5.
                           Row{-0.5f, {-1, 0}}}) {
        expectRow(row, row.w);
    }
}

TEST_F(InbetweenBlend, RestItemsNeverBlendButStopTheirNeighbourAtZero) {
    // Item 5000 holds deltas of its own; they must never show.
    storeItems({{5000, 7.0}, {5500, 0.5}, {6000, 1.0}});
    expectRow({0.25f, {0, 0.5, 0}}, 0.25);
    expectRow({1.2f, {0, -0.4, 1.4}}, 1.2);
    expectRow({-0.5f, {0, 0, 0}}, 0.0);

    // Item 0 is a rest item as well.
    storeItems({{0, 7.0}, {5500, 0.5}, {6000, 1.0}});
    expectRow({0.25f, {0, 0.5, 0}}, 0.25);
    expectRow({-0.5f, {0, 0, 0}}, 0.0);
}

TEST_F(InbetweenBlend, NegativeInbetweenItemsMirrorThePositiveOnes) {
    storeItems({{4000, -1.0}, {4500, -0.5}, {5000, 7.0}, {6000, 1.0}});
    for (const Row& row :
         {Row{-0.75f, {0.5, 0.5, 0, 0}}, Row{-0.25f, {0, 0.5, 0, 0}}, Row{-1.0f, {1, 0, 0, 0}},
          Row{-1.5f, {2, -1, 0, 0}}, Row{0.5f, {0, 0, 0, 0.5}}, Row{1.5f, {0, 0, 0, 1.5}}}) {
        expectRow(row, row.w);
    }
}

TEST_F(InbetweenBlend, NegativeAndPositiveItemsWithoutTheRestItem) {
    // Between -1 and 1 both items share the segment; beyond either one the segment extrapolates.
    storeItems({{4000, -1.0}, {6000, 1.0}});
    for (const Row& row : {Row{0.5f, {0.25, 0.75}}, Row{-0.5f, {0.75, 0.25}}, Row{-1.0f, {1, 0}},
                           Row{-2.0f, {1.5, -0.5}}, Row{2.0f, {-0.5, 1.5}}}) {
        expectRow(row, row.w);
    }
    storeItems({{4000, -1.0}, {5500, 0.5}, {6000, 1.0}});
    for (const Row& row :
         {Row{-0.25f, {0.5, 0.5, 0}}, Row{-2.5f, {2.0, -1.0, 0}}, Row{0.75f, {0, 0.5, 0.5}}}) {
        expectRow(row, row.w);
    }
}

TEST_F(InbetweenBlend, CurveInbetweensEncodedFromConnectedCurves) {
    // Inbetween 5500 raises CV 4 by 1 and the full target by 3: no linear target, so the
    // segments show as a kink at 0.5.
    run("circle -r 1 -s 8 -nr 0 1 0 -n base; circle -r 1 -s 8 -nr 0 1 0 -n half;"
        "circle -r 1 -s 8 -nr 0 1 0 -n full; move -r 0 1 0 half.cv[4]; move -r 0 3 0 full.cv[4];"
        "move -r 0.5 0 0 full.cv[5];"
        "deformer -type kivoMorph -n m base;"
        "connectAttr halfShape.worldSpace[0] m.it[0].itg[0].iti[5500].igt;"
        "connectAttr fullShape.worldSpace[0] m.it[0].itg[0].iti[6000].igt;"
        "setAttr m.rebind 1;");
    const MPointArray rest = points("base");
    struct CurveRow {
        float w;
        double lift4, shift5;
    };
    // lift4: w / 0.5 below the inbetween; 1 + (w - 0.5) / 0.5 * 2 above it (past 1 as well).
    for (const CurveRow& row : {CurveRow{0.25f, 0.5, 0.0}, CurveRow{0.75f, 2.0, 0.25},
                                CurveRow{1.25f, 4.0, 0.75}, CurveRow{-0.5f, -1.0, 0.0}}) {
        SCOPED_TRACE(row.w);
        run("setAttr m.weight[0] " + std::to_string(row.w) + ";");
        const MPointArray p = points("base");
        EXPECT_POINT_NEAR(p[4], rest[4].x, rest[4].y + row.lift4, rest[4].z);
        // CV 5 moves in the full target only, so the inbetween's factor -0.5 at 1.25 leaves it.
        EXPECT_POINT_NEAR(p[5], rest[5].x + row.shift5, rest[5].y, rest[5].z);
        EXPECT_POINT_NEAR(p[0], rest[0].x, rest[0].y, rest[0].z);
    }
}
