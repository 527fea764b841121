// NURBS surfaces through the command language: nurbsPlane and sphere, surfaces given as data in the
// layout of Maya's scene files, scene files that keep them exactly, and their CVs as components.
#include "CommandFixture.h"
#include "dag/Dag.h"
#include <maya/MFnNurbsSurface.h>

namespace {

class SurfaceCommandTest : public CommandTest {
protected:
    static const khost::NurbsSurfaceData* surface(const std::string& shape) {
        return dynamic_cast<const khost::NurbsSurfaceData*>(khost::shapeGeometry(node(shape)));
    }
    std::string path(const std::string& name) const { return ::testing::TempDir() + "/" + name; }
};

// Degree 3 by 1, open by periodic, with knots and CVs no short decimal text writes exactly.
const char* const kOddSurface = "setAttr odd.create -type \"nurbsSurface\" 3 1 0 2 no\n"
                                "    6 0 0 0 0.1 0.1 0.1\n"
                                "    4 -1 0 1.00000000000000011 3\n"
                                "    16\n"
                                "    0 0 0  0 1 0.3333333333333333  1e-300 0 0.7  0 0 0\n"
                                "    1 1 1  3 5.551115123125783e-17 0.1  0 1 1  1 1 1\n"
                                "    1 2 2  2 -1 -1  -1 9 9  1 2 2\n"
                                "    -0 0 1  1 1 0  2 2 0  -0 0 1;";

} // namespace

TEST_F(SurfaceCommandTest, PrimitivesTakeMayasFlagsAndRefuseImpossibleShapes) {
    EXPECT_EQ(result("sphere"), "nurbsSphere1");
    EXPECT_EQ(result("sphere -r 2 -s 6 -nsp 3 -ax 1 0 0 -n ball"), "ball");
    EXPECT_EQ(result("nurbsPlane"), "nurbsPlane1");
    EXPECT_EQ(result("nurbsPlane -w 3 -lr 2 -u 4 -v 2 -d 1 -ax 0 0 1 -n sheet"), "sheet");
    EXPECT_EQ(result("nodeType ballShape"), "nurbsSurface");
    const khost::NurbsSurfaceData* ball = surface("ballShape");
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->numCVsU(), 6);
    EXPECT_EQ(ball->numCVsV(), 9);
    EXPECT_EQ(result("pointPosition ball.cv[0][3]"), "-2 0 0") << "the south pole, on -x";
    const khost::NurbsSurfaceData* sheet = surface("sheetShape");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->numCVsU(), 5);
    EXPECT_EQ(sheet->numCVsV(), 3);
    EXPECT_EQ(result("pointPosition sheet.cv[4][2]"), "1.5 3 0");

    expectError("sphere -s 2", "sphere: the radius must be positive, -s between 3 and 200, -nsp between 1 (2 "
                               "for degree 1) and 200, -d 1 or 3, the axis not zero.");
    expectError("sphere -nsp 201",
                "sphere: the radius must be positive, -s between 3 and 200, -nsp between 1 (2 "
                "for degree 1) and 200, -d 1 or 3, the axis not zero.");
    expectError("sphere -d 2", "sphere: the radius must be positive, -s between 3 and 200, -nsp between 1 (2 "
                               "for degree 1) and 200, -d 1 or 3, the axis not zero.");
    expectError("sphere -d 1 -nsp 1",
                "sphere: the radius must be positive, -s between 3 and 200, -nsp between "
                "1 (2 for degree 1) and 200, -d 1 or 3, the axis not zero.");
    for (const char* statement :
         {"nurbsPlane -w 0", "nurbsPlane -u 0", "nurbsPlane -v 201", "nurbsPlane -d 8",
          "nurbsPlane -ax 0 0 0", "nurbsPlane -ax 1e200 1e200 0", "nurbsPlane -w 1e200 -lr 1e200"})
        expectError(statement,
                    "nurbsPlane: the width and length ratio must be positive, -u and -v between 1 and "
                    "200, -d between 1 and 7, the axis not zero.");
    run("undo; undo; undo; undo");
    EXPECT_EQ(result("ls -type nurbsSurface"), "");
}

TEST_F(SurfaceCommandTest, SurfaceDataInMayasLayoutThroughCreateOrCached) {
    run("createNode nurbsSurface -n odd");
    run(kOddSurface);
    const khost::NurbsSurfaceData* odd = surface("odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->degreeU, 3);
    EXPECT_EQ(odd->degreeV, 1);
    EXPECT_EQ(odd->formV, MFnNurbsSurface::kPeriodic);
    EXPECT_EQ(odd->numCVsU(), 4) << "6 knots and degree 3";
    EXPECT_EQ(odd->numCVsV(), 4);
    EXPECT_EQ(odd->knotsV[2], 1.00000000000000011);
    // cv[iu][iv] with v fastest; the periodic direction's last CV repeats its first.
    EXPECT_EQ(result("pointPosition -l odd.cv[1][2]"), "0 1 1");
    EXPECT_EQ(odd->points[7], odd->points[4]);

    // .cached is what Maya's files use for a surface without history: the same geometry.
    run("createNode nurbsSurface -n twin");
    run("setAttr twin.cached -type \"nurbsSurface\" 1 1 0 0 no 2 0 1 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1 1");
    EXPECT_EQ(result("pointPosition twin.cv[1][1]"), "1 1 1");
    run("undo");
    EXPECT_EQ(surface("twin"), nullptr) << "undo takes the geometry back";
    run("redo");
    EXPECT_EQ(result("pointPosition twin.cv[1][1]"), "1 1 1");

    // A domain of zero length is data like any other.
    run("setAttr twin.create -type \"nurbsSurface\" 1 1 0 0 no 2 0.5 0.5 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1 1");
    EXPECT_EQ(surface("twin")->knotsU[1], 0.5);

    const std::string before = sceneState();
    for (const char* words : {"1 1 0 0 no 2 0 1 2 0 1 3 0 0 0 0 0 1 1 0 0", // too few CVs for the knots
                              "1 1 0 0 no 3 0 1 2 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1 1", // knots against CVs
                              "1 1 0 0 no 2 1 0 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1 1",   // decreasing knots
                              "1 1 0 0 yes 2 0 1 2 0 1 4 0 0 0 1 0 1 1 1 1 0 0 1 1 1 1 1", // rational
                              "8 1 0 0 no 2 0 1 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1 1",          // degree beyond 7
                              "1 1 3 0 no 2 0 1 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1 1",          // no such form
                              "1 1 0 0 no 2 0 1 2 0 1 4 0 0 0 0 0 1 1 0 0 1 1", // a coordinate short
                              "1 1 0 0 no 99999999999 0 1"})
        expectError(std::string("setAttr twin.create -type \"nurbsSurface\" ") + words,
                    "setAttr: Error reading data for 'twin.create': the nurbsSurface value is malformed.");
    expectError("setAttr twin.create -type \"nurbsCurve\" 1 1 0 no 3 2 0 1 2 0 0 0 1 1 1",
                "setAttr: Error reading data for 'twin.create': data of type nurbsCurve does not fit the "
                "attribute.");
    EXPECT_EQ(sceneState(), before);
}

TEST_F(SurfaceCommandTest, ScenesKeepSurfacesBitForBit) {
    run("createNode transform -n holder; createNode nurbsSurface -n odd -p holder");
    run(kOddSurface);
    run("sphere -n ball -s 5 -nsp 3; move -r 0.1 0.2 0.3 ball.cv[1][2]; rotate 10 20 30 ball");
    const khost::NurbsSurfaceData oddBefore = *surface("odd");
    const khost::NurbsSurfaceData ballBefore = *surface("ballShape");
    const std::string before = sceneState();
    const std::string file = path("surfaces.mel");
    run("file -save \"" + file + "\"; file -new; file -open \"" + file + "\"");
    EXPECT_EQ(sceneState(), before);
    for (const auto& [shape, expected] :
         {std::make_pair("odd", &oddBefore), std::make_pair("ballShape", &ballBefore)}) {
        const khost::NurbsSurfaceData* reopened = surface(shape);
        ASSERT_NE(reopened, nullptr);
        EXPECT_EQ(std::vector<double>(reopened->knotsU.begin(), reopened->knotsU.end()),
                  std::vector<double>(expected->knotsU.begin(), expected->knotsU.end()));
        EXPECT_EQ(std::vector<double>(reopened->knotsV.begin(), reopened->knotsV.end()),
                  std::vector<double>(expected->knotsV.begin(), expected->knotsV.end()));
        ASSERT_EQ(reopened->points.length(), expected->points.length());
        for (unsigned int i = 0; i < expected->points.length(); ++i)
            EXPECT_EQ(reopened->points[i], expected->points[i]) << shape << " CV " << i;
        EXPECT_EQ(reopened->formU, expected->formU);
        EXPECT_EQ(reopened->formV, expected->formV);
    }
}

TEST_F(SurfaceCommandTest, SurfaceCVsAreComponentsByRowAndColumn) {
    run("nurbsPlane -w 2 -u 2 -v 1 -n sheet; move 0 0 5 sheet");
    EXPECT_EQ(result("pointPosition sheet.cv[0][0]"), "-1 0 6");
    EXPECT_EQ(result("pointPosition -l sheet.cv[0][0]"), "-1 0 1");
    EXPECT_EQ(result("xform -q -t sheet.cv[4][3]"), "1 0 -1");
    EXPECT_EQ(result("xform -q -t -ws sheet.cv[4][3]"), "1 0 4");
    run("xform -t 0 2 0 sheet.cv[2][1]");
    EXPECT_EQ(result("pointPosition -l sheet.cv[2][1]"), "0 2 0");
    run("xform -r -t 0 1 0 sheet.cv[2][1:2]");
    EXPECT_EQ(result("xform -q -t sheet.cv[2][1:2]"), "0 3 0 0 1 -0.33333333333333326");
    run("undo");
    EXPECT_EQ(result("pointPosition -l sheet.cv[2][2]"), "0 0 -0.33333333333333326");
    run("move -r 1 0 0 sheet.cv[*][0]");
    EXPECT_EQ(result("pointPosition -l sheet.cv[3][0]"), "1.6666666666666667 0 1")
        << "Greville: 2/3, then 1 on";
    run("select -r sheet.cv[0:1][2:3]");
    EXPECT_EQ(result("ls -sl"),
              "sheetShape.cv[0][2] sheetShape.cv[0][3] sheetShape.cv[1][2] sheetShape.cv[1][3]");

    // A periodic direction names each CV once; its repeated CVs follow the ones they repeat.
    run("sphere -s 4 -nsp 2 -n ball");
    run("move -r 0 0 1 ball.cv[2][0]");
    const khost::NurbsSurfaceData* ball = surface("ballShape");
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->points[2 * 7 + 4], ball->points[2 * 7 + 0]);
    for (const char* missing :
         {"ball.cv[2][4]", "ball.cv[5][0]", "ball.cv[2]", "sheet.cv[1][1][1]", "ball.vtx[0]"})
        expectError(std::string("pointPosition ") + missing,
                    std::string("No object matches name: ") + missing);
    expectError("xform -ro 0 90 0 sheet.cv[0][0]", "xform: components take -t only.");
}
