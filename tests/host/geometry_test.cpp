// Geometry data, the primitive generators, mesh/curve function sets, MItGeometry and world-space
// geometry carried by worldMesh/worldSpace.
#include "HostFixture.h"
#include "dag/Dag.h"
#include "geometry/Generators.h"
#include <cmath>
#include <map>
#include <maya/MDagPath.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MItGeometry.h>

using khost::MeshData;
using khost::NurbsCurveData;

namespace {

MMatrix translation(double x, double y, double z) {
    MMatrix m;
    m[3][0] = x, m[3][1] = y, m[3][2] = z;
    return m;
}

// Every edge shared by exactly two faces that run it in opposite directions: a closed, consistently
// oriented surface.
bool closedAndOriented(const MeshData& mesh) {
    std::map<std::pair<int, int>, int> edges;
    for (int f = 0; f < mesh.numPolygons(); ++f) {
        int offset = mesh.faceOffset(f), n = mesh.faceCounts()[static_cast<unsigned>(f)];
        for (int k = 0; k < n; ++k)
            ++edges[{mesh.faceConnects()[static_cast<unsigned>(offset + k)],
                     mesh.faceConnects()[static_cast<unsigned>(offset + (k + 1) % n)]}];
    }
    for (const auto& [edge, uses] : edges)
        if (uses != 1 || edges.count({edge.second, edge.first}) != 1)
            return false;
    return true;
}

// Enclosed volume by the divergence theorem over a fan of each face: positive when faces point out.
double signedVolume(const MeshData& mesh) {
    double volume = 0;
    for (int f = 0; f < mesh.numPolygons(); ++f) {
        int offset = mesh.faceOffset(f), n = mesh.faceCounts()[static_cast<unsigned>(f)];
        auto p = [&](int k) {
            return MVector(mesh.points[static_cast<unsigned>(mesh.faceConnects()[offset + k])]);
        };
        for (int k = 1; k + 1 < n; ++k)
            volume += p(0) * (p(k) ^ p(k + 1)) / 6.0;
    }
    return volume;
}

MVector faceNormal(const MeshData& mesh, int face) {
    int offset = mesh.faceOffset(face);
    auto p = [&](int k) { return mesh.points[static_cast<unsigned>(mesh.faceConnects()[offset + k])]; };
    return ((p(1) - p(0)) ^ (p(2) - p(1))).normal();
}

std::vector<double> knotsOf(const NurbsCurveData& curve) {
    return {curve.knots.begin(), curve.knots.end()};
}

class GeometryTest : public HostTest {
protected:
    khost::Node* shapeFrom(const khost::GeometryData& data, const std::string& type,
                           const std::string& name) {
        auto t = khost::createShape(record, type, MObject(data.clone()), name, nullptr, nullptr);
        return t ? khost::shapeOf(t.get()) : nullptr;
    }
    khost::UndoRecord record;
};

} // namespace

TEST(GeneratorTest, PlaneVerticesRunAlongTheWidthAndFaceTheAxis) {
    MeshData plane = khost::makePlane(2, 4, 2, 1, 1);
    ASSERT_EQ(plane.points.length(), 6u);
    EXPECT_TRUE(plane.points[0].isEquivalent(MPoint(-1, 0, 2)));
    EXPECT_TRUE(plane.points[2].isEquivalent(MPoint(1, 0, 2)));
    EXPECT_TRUE(plane.points[5].isEquivalent(MPoint(1, 0, -2)));
    EXPECT_EQ(plane.numPolygons(), 2);
    EXPECT_EQ(plane.u().length(), 6u);
    const MVector normals[3] = {MVector::xAxis, MVector::yAxis, MVector::zAxis};
    for (int axis = 0; axis < 3; ++axis) {
        MeshData turned = khost::makePlane(1, 1, 3, 2, axis);
        for (int f = 0; f < turned.numPolygons(); ++f)
            EXPECT_TRUE(faceNormal(turned, f).isEquivalent(normals[axis], 1e-12)) << "axis " << axis;
    }
}

TEST(GeneratorTest, UnitCubeMatchesMayasVertexAndFaceOrder) {
    MeshData cube = khost::makeCube(1, 1, 1, 1, 1, 1);
    const double expected[8][3] = {{-.5, -.5, .5}, {.5, -.5, .5}, {-.5, .5, .5},   {.5, .5, .5},
                                   {-.5, .5, -.5}, {.5, .5, -.5}, {-.5, -.5, -.5}, {.5, -.5, -.5}};
    ASSERT_EQ(cube.points.length(), 8u);
    for (unsigned k = 0; k < 8; ++k)
        EXPECT_TRUE(cube.points[k].isEquivalent(MPoint(expected[k][0], expected[k][1], expected[k][2]))) << k;
    const std::vector<int> faces{0, 1, 3, 2, 2, 3, 5, 4, 4, 5, 7, 6, 6, 7, 1, 0, 1, 7, 5, 3, 6, 0, 2, 4};
    EXPECT_EQ(std::vector<int>(cube.faceConnects().begin(), cube.faceConnects().end()), faces);
}

TEST(GeneratorTest, SubdividedCubesAndSpheresAreClosedAndFaceOutwards) {
    MeshData cube = khost::makeCube(2, 3, 4, 2, 3, 4);
    EXPECT_EQ(cube.points.length(), 2u * (2 * 3 + 3 * 4 + 4 * 2) + 2u);
    EXPECT_EQ(cube.numPolygons(), 2 * (2 * 3 + 3 * 4 + 4 * 2));
    EXPECT_TRUE(closedAndOriented(cube));
    EXPECT_NEAR(signedVolume(cube), 24.0, 1e-9);

    MeshData sphere = khost::makeSphere(2, 8, 6);
    EXPECT_EQ(sphere.points.length(), 8u * 5 + 2);
    EXPECT_EQ(sphere.numPolygons(), 8 * 6);
    for (const MPoint& p : sphere.points)
        EXPECT_NEAR(MVector(p).length(), 2.0, 1e-12);
    EXPECT_TRUE(sphere.points[40].isEquivalent(MPoint(0, -2, 0))) << "bottom pole after the rings";
    EXPECT_TRUE(closedAndOriented(sphere));
    EXPECT_GT(signedVolume(sphere), 0);

    for (const MeshData* mesh : {&cube, &sphere}) {
        EXPECT_EQ(mesh->uvIds().length(), mesh->faceConnects().length());
        for (int id : mesh->uvIds())
            EXPECT_LT(id, static_cast<int>(mesh->u().length()));
    }
}

TEST(GeneratorTest, CurveKnotsFollowMayasConvention) {
    MPointArray four, six;
    for (int k = 0; k < 6; ++k) {
        six.append(k, 0, 0);
        if (k < 4)
            four.append(k, 0, 0);
    }
    EXPECT_EQ(knotsOf(khost::makeCurve(3, four)), (std::vector<double>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(knotsOf(khost::makeCurve(3, six)), (std::vector<double>{0, 0, 0, 1, 2, 3, 3, 3}));
    EXPECT_EQ(knotsOf(khost::makeCurve(1, four)), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(khost::makeCurve(3, MPointArray(3)).points.length(), 0u) << "too few points for the degree";

    NurbsCurveData circle = khost::makeCircle(1.0, 8, 3, MVector::zAxis);
    EXPECT_EQ(circle.form, MFnNurbsCurve::kPeriodic);
    ASSERT_EQ(circle.points.length(), 11u);
    EXPECT_EQ(circle.knots.length(), 13u);
    EXPECT_DOUBLE_EQ(circle.knots[0], -2.0);
    for (unsigned k = 0; k < 3; ++k)
        EXPECT_EQ(circle.points[8 + k], circle.points[k]) << "periodic curves repeat their first CVs";
    EXPECT_NEAR(MVector(circle.points[0]).length(), 1.108194, 1e-6) << "Maya's radius-1 circle CVs";
    // A uniform cubic passes through (P0 + 4 P1 + P2) / 6 at a knot: on the circle.
    MVector onCurve =
        (MVector(circle.points[0]) + 4 * MVector(circle.points[1]) + MVector(circle.points[2])) / 6;
    EXPECT_NEAR(onCurve.length(), 1.0, 1e-12);
    EXPECT_NEAR(onCurve.z, 0.0, 1e-12);

    NurbsCurveData polygon = khost::makeCircle(2.0, 4, 1, MVector::yAxis);
    EXPECT_EQ(polygon.form, MFnNurbsCurve::kClosed);
    EXPECT_EQ(polygon.points.length(), 5u);
    EXPECT_EQ(polygon.points[4], polygon.points[0]);
    for (const MPoint& p : polygon.points)
        EXPECT_NEAR(p.y, 0.0, 1e-12) << "the circle lies across its normal";
}

TEST_F(GeometryTest, MeshFunctionSetReadsDataTopologyAndUVs) {
    MObject data(std::make_shared<MeshData>(khost::makePlane(2, 2, 2, 2, 1)));
    MStatus status;
    MFnMesh fn(data, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(fn.numVertices(), 9);
    EXPECT_EQ(fn.numPolygons(), 4);
    MIntArray vertices;
    ASSERT_TRUE(fn.getPolygonVertices(3, vertices));
    EXPECT_EQ(std::vector<int>(vertices.begin(), vertices.end()), (std::vector<int>{4, 5, 8, 7}));
    EXPECT_FALSE(fn.getPolygonVertices(4, vertices));
    EXPECT_EQ(fn.numUVSets(), 1);
    EXPECT_EQ(fn.currentUVSetName(), "map1");
    int uvId = -1;
    ASSERT_TRUE(fn.getPolygonUVid(3, 2, uvId));
    EXPECT_EQ(uvId, 8);
    float u = 0, v = 0;
    ASSERT_TRUE(fn.getPolygonUV(3, 2, u, v));
    EXPECT_FLOAT_EQ(u, 1.0f);
    EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_FALSE(fn.getPolygonUVid(3, 4, uvId)) << "corners count around the face";
    MString other("other");
    EXPECT_FALSE(fn.getPolygonUVid(3, 0, uvId, &other));

    MFnGeometryData(data).setMatrix(translation(0, 5, 0));
    MPointArray world;
    fn.getPoints(world, MSpace::kWorld);
    EXPECT_TRUE(world[0].isEquivalent(MPoint(-1, 5, 1)));
    world[0] = MPoint(0, 5, 0);
    ASSERT_TRUE(fn.setPoints(world, MSpace::kWorld));
    MPoint local;
    fn.getPoint(0, local);
    EXPECT_TRUE(local.isEquivalent(MPoint(0, 0, 0)));
    world.remove(0);
    EXPECT_FALSE(fn.setPoints(world)) << "the vertex count must match";

    MFnNurbsCurve notCurve(data, &status);
    EXPECT_FALSE(status) << "mesh data is not a curve";
}

TEST_F(GeometryTest, MeshCreateFillsDataOrMakesAShape) {
    MPointArray points;
    for (double x : {0.0, 1.0, 1.0, 0.0})
        points.append(x, 0, x == 0.0 ? 0.0 : 1.0);
    MIntArray counts(1, 4), connects;
    for (int k : {0, 1, 2, 3})
        connects.append(k);
    MFnMeshData dataFn;
    MObject owner = dataFn.create();
    MFnMesh fn;
    MStatus status;
    EXPECT_EQ(fn.create(4, 1, points, counts, connects, owner, &status), owner);
    ASSERT_TRUE(status);
    EXPECT_EQ(MFnMesh(owner).numPolygons(), 1);

    MObject transform = fn.create(4, 1, points, counts, connects, MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(MFnDependencyNode(transform).name(), "polySurface1");
    EXPECT_EQ(fn.fullPathName(), "|polySurface1|polySurfaceShape1") << "attached to the new shape";
    connects[3] = 7;
    fn.create(4, 1, points, counts, connects, owner, &status);
    EXPECT_FALSE(status) << "a face naming a missing vertex";
}

TEST_F(GeometryTest, WorldGeometryCarriesTheShapesWorldMatrix) {
    khost::Node* shape = shapeFrom(khost::makePlane(2, 2, 1, 1, 1), "mesh", "base");
    khost::UndoRecord move;
    khost::setTransformValue(move, shape->parent, khost::Trs::Translate, {3, 0, 0});

    MObject world = plug("baseShape.worldMesh[0]").asMObject();
    MMatrix carried;
    ASSERT_TRUE(MFnGeometryData(world).getMatrix(carried));
    EXPECT_TRUE(carried.isEquivalent(translation(3, 0, 0)));
    MPointArray objectPoints, worldPoints;
    MFnMesh(world).getPoints(objectPoints);
    MFnMesh(world).getPoints(worldPoints, MSpace::kWorld);
    EXPECT_TRUE(objectPoints[0].isEquivalent(MPoint(-1, 0, 1))) << "the points stay in object space";
    EXPECT_TRUE(worldPoints[0].isEquivalent(MPoint(2, 0, 1)));
    MObject local = plug("baseShape.outMesh").asMObject();
    MFnGeometryData(local).getMatrix(carried);
    EXPECT_TRUE(carried.isEquivalent(MMatrix())) << "outMesh is local geometry";

    MDataHandle handle = plug("baseShape.worldMesh[0]").asMDataHandle();
    EXPECT_TRUE(handle.geometryTransformMatrix().isEquivalent(translation(3, 0, 0)));
    MObject transformed = handle.asMeshTransformed();
    MFnMesh(transformed).getPoints(worldPoints);
    EXPECT_TRUE(worldPoints[0].isEquivalent(MPoint(2, 0, 1)));
    MFnGeometryData(transformed).getMatrix(carried);
    EXPECT_TRUE(carried.isEquivalent(MMatrix())) << "applied once, not carried again";
    EXPECT_TRUE(handle.asNurbsCurveTransformed().isNull());

    // Through the shape itself: the function set reads the evaluated geometry and writes the shape's own.
    MFnMesh onShape(MDagPath::getAPathTo(shape->handle()));
    onShape.getPoints(worldPoints, MSpace::kWorld);
    worldPoints[0] = MPoint(0, 0, 0);
    ASSERT_TRUE(onShape.setPoints(worldPoints, MSpace::kWorld));
    MFnMesh(plug("baseShape.worldMesh[0]").asMObject()).getPoints(objectPoints);
    EXPECT_TRUE(objectPoints[0].isEquivalent(MPoint(-3, 0, 0))) << "worldMesh follows the edit";
}

TEST_F(GeometryTest, CurveFunctionSetOnDataAndShapes) {
    MPointArray cvs;
    for (int k = 0; k < 5; ++k)
        cvs.append(k, k % 2, 0);
    MDoubleArray knots;
    for (double k : {0.0, 0.0, 0.0, 1.0, 2.0, 2.0, 2.0})
        knots.append(k);
    MObject owner = MFnNurbsCurveData().create();
    MFnNurbsCurve fn;
    MStatus status;
    fn.create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, owner, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(fn.numCVs(), 5);
    EXPECT_EQ(fn.numSpans(), 2);
    EXPECT_EQ(fn.degree(), 3);
    EXPECT_EQ(fn.form(), MFnNurbsCurve::kOpen);
    double start = -1, end = -1;
    ASSERT_TRUE(fn.getKnotDomain(start, end));
    EXPECT_DOUBLE_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(end, 2.0);
    knots.append(2.0);
    fn.create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, owner, &status);
    EXPECT_FALSE(status) << "textbook knot count (numCVs + degree + 1) is not Maya's";

    khost::Node* shape = shapeFrom(*khost::objectAs<NurbsCurveData>(owner), "nurbsCurve", "wire");
    ASSERT_NE(shape, nullptr);
    khost::UndoRecord move;
    khost::setTransformValue(move, shape->parent, khost::Trs::Scale, {2, 2, 2});
    MFnNurbsCurve onShape(shape->handle());
    MPointArray world;
    onShape.getCVs(world, MSpace::kWorld);
    EXPECT_TRUE(world[4].isEquivalent(MPoint(8, 0, 0)));
    world[4] = MPoint(10, 0, 0);
    ASSERT_TRUE(onShape.setCVs(world, MSpace::kWorld));
    ASSERT_TRUE(onShape.updateCurve());
    MFnNurbsCurve(plug("wireShape.worldSpace[0]").asMObject()).getCVs(world);
    EXPECT_TRUE(world[4].isEquivalent(MPoint(5, 0, 0)));
    MDoubleArray shapeKnots;
    onShape.getKnots(shapeKnots);
    EXPECT_EQ(shapeKnots.length(), 7u);
}

TEST_F(GeometryTest, ItGeometryIteratesPointsAndGuardsWrites) {
    khost::Node* shape = shapeFrom(khost::makePlane(2, 2, 1, 1, 1), "mesh", "base");
    khost::UndoRecord move;
    khost::setTransformValue(move, shape->parent, khost::Trs::Translate, {0, 1, 0});
    MDataHandle handle = plug("baseShape.worldMesh[0]").asMDataHandle();
    MItGeometry readOnly(handle);
    EXPECT_EQ(readOnly.count(), 4);
    EXPECT_EQ(readOnly.exactCount(), 4);
    int visited = 0;
    for (; !readOnly.isDone(); readOnly.next(), ++visited) {
        EXPECT_EQ(readOnly.index(), visited);
        MPoint world = readOnly.position(MSpace::kWorld);
        EXPECT_DOUBLE_EQ(world.y, 1.0);
    }
    EXPECT_EQ(visited, 4);
    readOnly.reset();
    EXPECT_EQ(readOnly.setPosition(MPoint(9, 9, 9)), MS::kFailure) << "read-only";

    MItGeometry writable(handle, false);
    MPointArray points;
    writable.allPositions(points);
    points.append(MPoint());
    EXPECT_EQ(writable.setAllPositions(points), MS::kFailure) << "one point too many";
    points.remove(4);
    points[1] = MPoint(7, 0, 0);
    ASSERT_TRUE(writable.setAllPositions(points));
    writable.next();
    EXPECT_TRUE(writable.position().isEquivalent(MPoint(7, 0, 0)));
    ASSERT_TRUE(writable.setPosition(MPoint(7, 1, 0), MSpace::kWorld));
    EXPECT_TRUE(writable.position().isEquivalent(MPoint(7, 0, 0)))
        << "world position brought into object space";

    MItGeometry onShape(MDagPath::getAPathTo(shape->handle()));
    ASSERT_EQ(onShape.count(), 4);
    ASSERT_TRUE(onShape.setPosition(MPoint(0, 0, 3)));
    MPointArray stored;
    khost::getShapePoints(shape, stored, MSpace::kObject);
    EXPECT_TRUE(stored[0].isEquivalent(MPoint(0, 0, 3))) << "a path iterator edits the shape";

    MDataHandle empty;
    MStatus status;
    MItGeometry nothing(empty, true, &status);
    EXPECT_FALSE(status);
    EXPECT_TRUE(nothing.isDone());
}

TEST_F(GeometryTest, ItGeometryKeepsAPeriodicCurvesRepeatedCVsInStep) {
    // An 8-section cubic circle stores 11 CVs; the last 3 repeat the first 3.
    shapeFrom(khost::makeCircle(1, 8, 3, MVector(0, 1, 0)), "nurbsCurve", "ring");
    MDataHandle handle = plug("ringShape.worldSpace[0]").asMDataHandle();
    MItGeometry it(handle, false);
    ASSERT_EQ(it.count(), 8);
    MPointArray points;
    ASSERT_TRUE(it.allPositions(points));
    ASSERT_EQ(points.length(), 8u);
    points[0].y = 2.0;
    points[2].y = -1.0;
    ASSERT_TRUE(it.setAllPositions(points));
    MFnNurbsCurve curve(handle.data());
    MPointArray cvs;
    curve.getCVs(cvs);
    ASSERT_EQ(cvs.length(), 11u);
    EXPECT_DOUBLE_EQ(cvs[8].y, 2.0);
    EXPECT_DOUBLE_EQ(cvs[10].y, -1.0);
    EXPECT_DOUBLE_EQ(cvs[9].y, cvs[1].y);

    it.reset();
    it.next();
    ASSERT_TRUE(it.setPosition(MPoint(0, 5, 0)));
    curve.getCVs(cvs);
    EXPECT_DOUBLE_EQ(cvs[9].y, 5.0);
}
