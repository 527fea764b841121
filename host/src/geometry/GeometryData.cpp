#include "geometry/GeometryData.h"
#include "dg/DataTypes.h"
#include <cmath>

namespace khost {

bool MeshData::setTopology(const MIntArray& faceCounts, const MIntArray& faceConnects) {
    std::vector<int> offsets;
    offsets.reserve(faceCounts.length());
    long total = 0;
    for (int count : faceCounts) {
        if (count < 3)
            return false;
        offsets.push_back(static_cast<int>(total));
        total += count;
    }
    if (total != static_cast<long>(faceConnects.length()))
        return false;
    for (int vertex : faceConnects)
        if (vertex < 0 || vertex >= static_cast<int>(points.length()))
            return false;
    // UV ids are per face-vertex: a new topology comes without them.
    auto topology = std::make_shared<Topology>();
    topology->counts = faceCounts;
    topology->connects = faceConnects;
    topology->offsets = std::move(offsets);
    fTopology = std::move(topology);
    return true;
}

bool MeshData::setUVs(const MFloatArray& u, const MFloatArray& v, const MIntArray& faceVertexUVIds) {
    if (u.length() != v.length() || faceVertexUVIds.length() != fTopology->connects.length())
        return false;
    for (int id : faceVertexUVIds)
        if (id < 0 || id >= static_cast<int>(u.length()))
            return false;
    auto topology = std::make_shared<Topology>(*fTopology);
    topology->u = u;
    topology->v = v;
    topology->uvIds = faceVertexUVIds;
    fTopology = std::move(topology);
    return true;
}

bool MeshData::isUVSet(const MString* uvSet) const {
    return hasUVs() && (!uvSet || uvSet->length() == 0 || *uvSet == uvSetName());
}

int MeshData::faceOffset(int face) const {
    const std::vector<int>& offsets = fTopology->offsets;
    return face >= 0 && face < static_cast<int>(offsets.size()) ? offsets[static_cast<size_t>(face)] : -1;
}

bool MeshData::polygonTriangle(int face, int triangle, int vertices[3]) const {
    const int offset = faceOffset(face);
    if (offset < 0 || triangle < 0 || triangle + 2 >= faceCounts()[static_cast<unsigned>(face)])
        return false;
    const MIntArray& connects = faceConnects();
    vertices[0] = connects[static_cast<unsigned>(offset)];
    vertices[1] = connects[static_cast<unsigned>(offset + triangle + 1)];
    vertices[2] = connects[static_cast<unsigned>(offset + triangle + 2)];
    return true;
}

bool GeometryData::finite() const {
    return allFinite(points) && allFinite(matrix);
}

bool MeshData::finite() const {
    for (const MFloatArray* coordinates : {&u(), &v()})
        for (float value : *coordinates)
            if (!std::isfinite(value))
                return false;
    return GeometryData::finite();
}

bool NurbsCurveData::finite() const {
    return allFinite(knots) && GeometryData::finite();
}

unsigned int NurbsCurveData::distinctPointCount() const {
    const unsigned int total = points.length();
    if (form != MFnNurbsCurve::kPeriodic || degree < 1 || total <= static_cast<unsigned int>(degree))
        return total;
    return total - static_cast<unsigned int>(degree);
}

void NurbsCurveData::wrapPeriodicCVs() {
    const unsigned int distinct = distinctPointCount();
    for (unsigned int i = distinct; i < points.length(); ++i)
        points[i] = points[i - distinct];
}

bool NurbsCurveData::isConsistent() const {
    const int numCVs = static_cast<int>(points.length());
    if (degree < 1 || numCVs < degree + 1 || static_cast<int>(knots.length()) != numCVs + degree - 1)
        return false;
    for (unsigned k = 1; k < knots.length(); ++k)
        if (knots[k] < knots[k - 1])
            return false;
    return true;
}

void wrapPeriodicCVs(GeometryData& geometry) {
    if (auto* curve = dynamic_cast<NurbsCurveData*>(&geometry))
        curve->wrapPeriodicCVs();
    else if (auto* surface = dynamic_cast<NurbsSurfaceData*>(&geometry))
        surface->wrapPeriodicCVs();
}

bool NurbsSurfaceData::finite() const {
    return allFinite(knotsU) && allFinite(knotsV) && GeometryData::finite();
}

namespace {

bool consistentDirection(const MDoubleArray& knots, int degree) {
    // Maya's highest degree is 7.
    if (degree < 1 || degree > 7 || static_cast<int>(knots.length()) < 2 * degree)
        return false;
    for (unsigned k = 1; k < knots.length(); ++k)
        if (knots[k] < knots[k - 1])
            return false;
    return true;
}

} // namespace

bool NurbsSurfaceData::isConsistent() const {
    // 2 x degree knots are degree + 1 CVs, the fewest a direction of that degree can have.
    return consistentDirection(knotsU, degreeU) && consistentDirection(knotsV, degreeV) &&
           static_cast<long>(numCVsU()) * numCVsV() == static_cast<long>(points.length());
}

void NurbsSurfaceData::wrapPeriodicCVs() {
    if (!isConsistent())
        return;
    const unsigned int rows = static_cast<unsigned int>(numCVsU());
    const unsigned int columns = static_cast<unsigned int>(numCVsV());
    if (formU == MFnNurbsSurface::kPeriodic && rows > static_cast<unsigned int>(degreeU)) {
        const unsigned int distinct = rows - static_cast<unsigned int>(degreeU);
        for (unsigned int iu = distinct; iu < rows; ++iu)
            for (unsigned int iv = 0; iv < columns; ++iv)
                points[iu * columns + iv] = points[(iu - distinct) * columns + iv];
    }
    if (formV == MFnNurbsSurface::kPeriodic && columns > static_cast<unsigned int>(degreeV)) {
        const unsigned int distinct = columns - static_cast<unsigned int>(degreeV);
        for (unsigned int iu = 0; iu < rows; ++iu)
            for (unsigned int iv = distinct; iv < columns; ++iv)
                points[iu * columns + iv] = points[iu * columns + iv - distinct];
    }
}

} // namespace khost
