// UV sets and UV queries on meshes: the UVs polyPlane, polyCube and OBJ import give, the UV at a
// mesh's closest point, UV shells, and the points at a UV, against answers worked out by hand.
#include "CommandFixture.h"
#include <fstream>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnGeometryFilter.h>
#include <maya/MFnMesh.h>

namespace {

class UVQueriesTest : public CommandTest {
protected:
    static MFnMesh mesh(const std::string& name) {
        MStatus status;
        MFnMesh fn(node(name)->handle(), &status);
        EXPECT_TRUE(status) << name;
        return fn;
    }
    static std::vector<int> ints(const MIntArray& array) {
        return std::vector<int>(array.begin(), array.end());
    }
    static void expectUVAt(const MFnMesh& fn, const MPoint& p, float u, float v, int polygon,
                           MSpace::Space space = MSpace::kObject) {
        float2 uv = {-1.0f, -1.0f};
        int face = -1;
        ASSERT_TRUE(fn.getUVAtPoint(p, uv, space, nullptr, &face)) << p.x << " " << p.y << " " << p.z;
        EXPECT_NEAR(uv[0], u, 1e-6);
        EXPECT_NEAR(uv[1], v, 1e-6);
        EXPECT_EQ(face, polygon);
    }
    // The polygons at a UV and their points there.
    static std::vector<std::pair<int, MPoint>> pointsAt(MFnMesh fn, float u, float v,
                                                        float tolerance = 1e-3f) {
        MIntArray faces;
        MPointArray points;
        float2 uv = {u, v};
        EXPECT_TRUE(fn.getPointsAtUV(faces, points, uv, MSpace::kObject, nullptr, tolerance));
        EXPECT_EQ(faces.length(), points.length());
        std::vector<std::pair<int, MPoint>> found;
        for (unsigned int k = 0; k < faces.length() && k < points.length(); ++k)
            found.emplace_back(faces[k], points[k]);
        return found;
    }
    std::string writeObj(const std::string& name, const std::string& text) {
        const std::string file = ::testing::TempDir() + name;
        std::ofstream(file) << text;
        return file;
    }
};

#define EXPECT_AT(found, index, face, ex, ey, ez)                                                            \
    do {                                                                                                     \
        ASSERT_GT((found).size(), size_t(index));                                                            \
        const MPoint _p = (found)[index].second;                                                             \
        EXPECT_EQ((found)[index].first, (face));                                                             \
        EXPECT_TRUE(_p.isEquivalent(MPoint((ex), (ey), (ez)), 1e-6)) << _p.x << " " << _p.y << " " << _p.z;  \
    } while (0)

} // namespace

// A 2 x 2 plane: vertex (column i, row j) sits at x = -1 + i, z = 1 - j with UV (i / 2, j / 2);
// face 2 j + i spans columns i..i+1 and rows j..j+1.
TEST_F(UVQueriesTest, PlaneUVsFollowColumnsAndRows) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n plane; move 10 0 0 plane");
    MFnMesh fn = mesh("planeShape");
    EXPECT_EQ(fn.numUVSets(), 1);
    EXPECT_EQ(fn.currentUVSetName(), "map1");

    // x 0.5 is column 1.5 and z -0.25 row 1.25, in face 3.
    expectUVAt(fn, MPoint(0.5, 3.0, -0.25), 0.75f, 0.625f, 3);
    expectUVAt(fn, MPoint(10.5, -2.0, -0.25), 0.75f, 0.625f, 3, MSpace::kWorld);
    // Beyond the border the closest point is on it.
    expectUVAt(fn, MPoint(-4.0, 0.0, 0.75), 0.0f, 0.125f, 0);

    MIntArray shells;
    unsigned int count = 0;
    ASSERT_TRUE(fn.getUvShellsIds(shells, count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(ints(shells), std::vector<int>(9, 0));

    auto found = pointsAt(fn, 0.75f, 0.625f);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_AT(found, 0, 3, 0.5, 0.0, -0.25);
    // On the edge between faces 0 and 1 both carry the UV.
    found = pointsAt(fn, 0.5f, 0.25f);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_AT(found, 0, 0, 0.0, 0.0, 0.5);
    EXPECT_AT(found, 1, 1, 0.0, 0.0, 0.5);
    // Half a thousandth beyond the border: within the default tolerance, at the border's point.
    found = pointsAt(fn, 1.0005f, 0.25f);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_AT(found, 0, 1, 1.0, 0.0, 0.5);
    EXPECT_TRUE(pointsAt(fn, 1.0005f, 0.25f, 1e-4f).empty());
}

// polyCube's UVs: the four sides in one strip at u 0.375 .. 0.625 (a quarter of v each, the seam
// row repeated), the +x cap at u 0.625 .. 0.875 and the -x cap at 0.125 .. 0.375, each its own shell.
TEST_F(UVQueriesTest, CubeUVShellsAndPoints) {
    run("polyCube -w 1 -h 1 -d 1 -n box");
    MFnMesh fn = mesh("boxShape");
    MIntArray shells;
    unsigned int count = 0;
    ASSERT_TRUE(fn.getUvShellsIds(shells, count));
    EXPECT_EQ(count, 3u);
    std::vector<int> expected(10, 0);
    expected.insert(expected.end(), 4, 1);
    expected.insert(expected.end(), 4, 2);
    EXPECT_EQ(ints(shells), expected);

    // The middle of the +x cap (face 4) is the middle of its UV square.
    expectUVAt(fn, MPoint(1.5, 0.0, 0.0), 0.75f, 0.125f, 4);
    // The front (face 0, z = 0.5): x -0.5 .. 0.5 is u 0.375 .. 0.625, y -0.5 .. 0.5 is v 0 .. 0.25.
    expectUVAt(fn, MPoint(0.1, 0.2, 2.0), 0.525f, 0.175f, 0);

    auto found = pointsAt(fn, 0.75f, 0.125f);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_AT(found, 0, 4, 0.5, 0.0, 0.0);
    // v 0.5 is the edge between the top (face 1) and the back (face 2).
    found = pointsAt(fn, 0.5f, 0.5f);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_AT(found, 0, 1, 0.0, 0.5, -0.5);
    EXPECT_AT(found, 1, 2, 0.0, 0.5, -0.5);
}

// Two quads side by side that share an edge in space but not in UV space: two shells.
TEST_F(UVQueriesTest, ObjImportKeepsItsUVsAndShells) {
    const std::string split =
        writeObj("split_uvs.obj", "o halves\n"
                                  "v -1 0 0\nv 0 0 0\nv 0 1 0\nv -1 1 0\nv 1 0 0\nv 1 1 0\n"
                                  "vt 0 0\nvt 0.4 0\nvt 0.4 1\nvt 0 1\n"
                                  "vt 0.6 0\nvt 1 0\nvt 1 1\nvt 0.6 1\n"
                                  "f 1/1 2/2 3/3 4/4\nf 2/5 5/6 6/7 3/8\n");
    run("file -import \"" + split + "\"");
    MFnMesh fn = mesh("halvesShape");
    EXPECT_EQ(fn.numUVSets(), 1);
    EXPECT_EQ(fn.currentUVSetName(), "map1");
    MIntArray shells;
    unsigned int count = 0;
    ASSERT_TRUE(fn.getUvShellsIds(shells, count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(ints(shells), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
    int uvId = -1;
    ASSERT_TRUE(fn.getPolygonUVid(1, 3, uvId));
    EXPECT_EQ(uvId, 7) << "vertex 3 of the shared edge has its own UV in each face";

    // x 0 .. 1 of the right quad is u 0.6 .. 1.
    expectUVAt(fn, MPoint(0.5, 0.25, 3.0), 0.8f, 0.25f, 1);
    auto found = pointsAt(fn, 0.2f, 0.5f);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_AT(found, 0, 0, -0.5, 0.5, 0.0);
    EXPECT_TRUE(pointsAt(fn, 0.5f, 0.5f).empty()) << "no face covers the gap between the shells";

    const std::string bare = writeObj("no_uvs.obj", "o bare\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    run("file -import \"" + bare + "\"");
    MFnMesh without = mesh("bareShape");
    EXPECT_EQ(without.numUVSets(), 0);
    EXPECT_EQ(without.currentUVSetName(), "");
    float2 uv;
    MFloatArray u, v;
    EXPECT_FALSE(without.getUVAtPoint(MPoint(0, 0, 0), uv));
    EXPECT_FALSE(without.getUvShellsIds(shells, count));
    EXPECT_FALSE(without.getUVs(u, v));
    MIntArray faces;
    MPointArray points;
    EXPECT_FALSE(without.getPointsAtUV(faces, points, uv));
}

TEST_F(UVQueriesTest, DeformerInputShapeKeepsTheUVsAndFloatPointsAreWrittenExactly) {
    run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; deformer -type blendShape -n bs base");
    MStatus status;
    const MObject orig = MFnGeometryFilter(node("bs")->handle()).inputShapeAtIndex(0, &status);
    ASSERT_TRUE(status);
    MFnMesh fn(orig);
    EXPECT_TRUE(fn.isIntermediateObject());
    expectUVAt(fn, MPoint(0.5, 0.0, -0.25), 0.75f, 0.625f, 3);

    MFnMesh target = mesh("baseShapeOrig");
    MFloatPointArray floats;
    for (int i = 0; i < 9; ++i)
        floats.append(0.1f * static_cast<float>(i), 1.0f / 3.0f, -0.7f);
    ASSERT_TRUE(target.setPoints(floats));
    MPointArray back;
    ASSERT_TRUE(target.getPoints(back));
    for (unsigned int i = 0; i < 9; ++i)
        EXPECT_EQ(back[i], MPoint(floats[i])) << i;
}
