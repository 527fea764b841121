#pragma once
// Geometry payloads: the points of a mesh, curve or surface, its topology, and the matrix the data carries
// (a shape's world matrix on data leaving through worldMesh/worldSpace, identity otherwise).
#include "core/Object.h"
#include <maya/MDoubleArray.h>
#include <maya/MFloatArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MPointArray.h>
#include <maya/MString.h>
#include <vector>

namespace khost {

class GeometryData : public Data {
public:
    bool hasFn(MFn::Type type) const override { return Data::hasFn(type) || type == MFn::kGeometryData; }
    bool finite() const override;
    // The points that can be edited on their own (Maya's vtx[] or cv[] components): all of them but
    // the CVs a periodic curve repeats.
    virtual unsigned int distinctPointCount() const { return points.length(); }
    // The geometry's points in object space: mesh vertices, curve CVs or surface CVs, in index order.
    MPointArray points;
    MMatrix matrix;
};

class MeshData : public GeometryData {
public:
    MFn::Type apiType() const override { return MFn::kMeshData; }
    bool hasFn(MFn::Type type) const override { return GeometryData::hasFn(type) || type == MFn::kMesh; }
    std::shared_ptr<Data> clone() const override { return std::make_shared<MeshData>(*this); }
    bool finite() const override;

    // Replaces the polygons; fails (leaving the mesh as it was) when counts and connects disagree or
    // name a vertex that does not exist.
    bool setTopology(const MIntArray& faceCounts, const MIntArray& faceConnects);
    // Replaces the default UV set: one u/v pair per UV and one UV id per face-vertex.
    bool setUVs(const MFloatArray& u, const MFloatArray& v, const MIntArray& faceVertexUVIds);

    int numPolygons() const { return static_cast<int>(fTopology->counts.length()); }
    const MIntArray& faceCounts() const { return fTopology->counts; }
    const MIntArray& faceConnects() const { return fTopology->connects; }
    // Position of a face's first vertex in faceConnects; -1 when the face does not exist.
    int faceOffset(int face) const;
    // The mesh's one triangulation, shared by closest-point queries and getPolygonTriangleVertices: a
    // fan around each face's first vertex, triangle k being the face's vertices 0, k + 1 and k + 2.
    // False when the face or the triangle does not exist.
    bool polygonTriangle(int face, int triangle, int vertices[3]) const;

    // The mesh's one UV set, "map1", which exists when the mesh has UVs.
    bool hasUVs() const { return fTopology->u.length() > 0; }
    MString uvSetName() const { return hasUVs() ? MString("map1") : MString(); }
    // Whether uvSet names that set; null or empty names the current set.
    bool isUVSet(const MString* uvSet) const;
    const MFloatArray& u() const { return fTopology->u; }
    const MFloatArray& v() const { return fTopology->v; }
    const MIntArray& uvIds() const { return fTopology->uvIds; }

private:
    // Polygons and UVs never change while geometry flows through the graph, only points do, so copies
    // of a mesh share them; setTopology/setUVs replace the shared block instead of editing it.
    struct Topology {
        MIntArray counts;
        MIntArray connects;
        std::vector<int> offsets;
        MFloatArray u, v;
        MIntArray uvIds;
    };
    std::shared_ptr<const Topology> fTopology = std::make_shared<const Topology>();
};

class NurbsCurveData : public GeometryData {
public:
    MFn::Type apiType() const override { return MFn::kNurbsCurveData; }
    bool hasFn(MFn::Type type) const override {
        return GeometryData::hasFn(type) || type == MFn::kNurbsCurve;
    }
    std::shared_ptr<Data> clone() const override { return std::make_shared<NurbsCurveData>(*this); }
    bool finite() const override;
    unsigned int distinctPointCount() const override;
    // A periodic curve repeats its first `degree` CVs at the end: copies them there after an edit.
    void wrapPeriodicCVs();

    // True when the knot count follows Maya's convention (numCVs + degree - 1), the knots do not
    // decrease and there are enough CVs for the degree.
    bool isConsistent() const;

    MDoubleArray knots;
    int degree = 3;
    MFnNurbsCurve::Form form = MFnNurbsCurve::kOpen;
};

// Makes the CVs a periodic curve or surface repeats follow the ones they repeat; other geometry is left
// as it is.
void wrapPeriodicCVs(GeometryData& geometry);

class NurbsSurfaceData : public GeometryData {
public:
    MFn::Type apiType() const override { return MFn::kNurbsSurfaceData; }
    bool hasFn(MFn::Type type) const override {
        return GeometryData::hasFn(type) || type == MFn::kNurbsSurface;
    }
    std::shared_ptr<Data> clone() const override { return std::make_shared<NurbsSurfaceData>(*this); }
    bool finite() const override;

    // CVs in Maya's layout: cv[iu][iv] is points[iu * numCVsV() + iv]; each direction has its own
    // knots (Maya's convention: numCVs + degree - 1 of them), degree and form.
    int numCVsU() const { return static_cast<int>(knotsU.length()) - degreeU + 1; }
    int numCVsV() const { return static_cast<int>(knotsV.length()) - degreeV + 1; }
    // True when the knots and CVs agree with the degrees, the knots do not decrease and each
    // direction has enough CVs for its degree.
    bool isConsistent() const;
    // A periodic direction repeats its first `degree` rows (or columns) of CVs at the end: copies them
    // there after an edit.
    void wrapPeriodicCVs();

    MDoubleArray knotsU, knotsV;
    int degreeU = 3, degreeV = 3;
    MFnNurbsSurface::Form formU = MFnNurbsSurface::kOpen;
    MFnNurbsSurface::Form formV = MFnNurbsSurface::kOpen;
};

} // namespace khost
