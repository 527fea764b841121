#include "kivoMorphEdit/uvMirror.h"

#include <maya/MFloatArray.h>
#include <maya/MGlobal.h>
#include <maya/MPointArray.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How far from the mirrored UV the faces found there may be.
constexpr float kUVTolerance = 0.001f;
// A face corner this close to the mirrored UV gives its offset alone.
constexpr double kSameUV = 1e-6;

bool inside(int index, size_t count) {
    return index >= 0 && static_cast<size_t>(index) < count;
}

} // namespace

std::vector<double> shellCentres(const MIntArray& shellIds, unsigned int shellCount, const MFloatArray& u) {
    std::vector<double> lowest(shellCount, std::numeric_limits<double>::infinity());
    std::vector<double> highest(shellCount, -std::numeric_limits<double>::infinity());
    for (unsigned int id = 0; id < shellIds.length() && id < u.length(); ++id) {
        if (!inside(shellIds[id], shellCount)) {
            continue;
        }
        const size_t shell = static_cast<size_t>(shellIds[id]);
        lowest[shell] = std::min(lowest[shell], static_cast<double>(u[id]));
        highest[shell] = std::max(highest[shell], static_cast<double>(u[id]));
    }
    std::vector<double> centres(shellCount, 0.5);
    for (size_t shell = 0; shell < shellCount; ++shell) {
        if (lowest[shell] <= highest[shell]) {
            centres[shell] = (lowest[shell] + highest[shell]) * 0.5;
        }
    }
    return centres;
}

MStatus UVOffsetSearch::prepare(const MDagPath& basePath, bool shellCentresWanted) {
    MStatus status = fMesh.setObject(basePath);
    if (status && fMesh.numUVSets() > 0) {
        fUVSet = fMesh.currentUVSetName(&status);
    }
    if (!status || fUVSet.length() == 0) {
        MGlobal::displayError("UV-based mirror requires a valid UV set on '" + basePath.fullPathName() +
                              "'.");
        return MS::kFailure;
    }
    fShellCentres = shellCentresWanted;
    if (!fShellCentres) {
        return MS::kSuccess;
    }
    unsigned int shellCount = 0;
    MFloatArray u, v;
    status = fMesh.getUvShellsIds(fShellIds, shellCount, &fUVSet);
    if (status) {
        status = fMesh.getUVs(u, v, &fUVSet);
    }
    if (!status || shellCount == 0 || fShellIds.length() == 0 || u.length() != fShellIds.length()) {
        MGlobal::displayError("closestUVShellCenter requires readable UV shell data on '" +
                              basePath.fullPathName() + "'.");
        return MS::kFailure;
    }
    fCentres = shellCentres(fShellIds, shellCount, u);
    return MS::kSuccess;
}

bool UVOffsetSearch::find(const MPoint& basePoint, const MPoint& mirrored,
                          const std::vector<MVector>& offsets, MVector& offset) {
    // Maya's getUVAtPoint takes its point by non-const reference.
    MPoint point = basePoint;
    float2 uv = {0.0f, 0.0f};
    int polygon = -1;
    double pivot = 0.5;
    if (!fMesh.getUVAtPoint(point, uv, MSpace::kObject, &fUVSet, &polygon) ||
        (fShellCentres && !pivotOf(polygon, pivot))) {
        return false;
    }
    return uvOffsetAt(static_cast<float>(2.0 * pivot - uv[0]), uv[1], mirrored, offsets, offset);
}

// The centre of the shell of the polygon's first corner whose UV lies in a known shell.
bool UVOffsetSearch::pivotOf(int polygon, double& pivot) const {
    MIntArray vertices;
    if (!fMesh.getPolygonVertices(polygon, vertices)) {
        return false;
    }
    for (unsigned int k = 0; k < vertices.length(); ++k) {
        int uvId = -1;
        if (fMesh.getPolygonUVid(polygon, static_cast<int>(k), uvId, &fUVSet) &&
            inside(uvId, fShellIds.length()) &&
            inside(fShellIds[static_cast<unsigned int>(uvId)], fCentres.size())) {
            pivot = fCentres[static_cast<size_t>(fShellIds[static_cast<unsigned int>(uvId)])];
            return true;
        }
    }
    return false;
}

// Of the faces that carry UV (u, v), the one whose point there lies nearest to the reference point
// gives the offset: its corners' offsets weighted by the inverse of their UV distance to (u, v).
bool UVOffsetSearch::uvOffsetAt(float u, float v, const MPoint& reference,
                                const std::vector<MVector>& offsets, MVector& offset) {
    MIntArray faces;
    MPointArray points;
    float2 uv = {u, v};
    if (!fMesh.getPointsAtUV(faces, points, uv, MSpace::kObject, &fUVSet, kUVTolerance) ||
        faces.length() == 0 || faces.length() != points.length()) {
        return false;
    }
    unsigned int nearest = 0;
    for (unsigned int k = 1; k < points.length(); ++k) {
        if (points[k].distanceTo(reference) < points[nearest].distanceTo(reference)) {
            nearest = k;
        }
    }
    const int face = faces[nearest];
    MIntArray vertices;
    if (!fMesh.getPolygonVertices(face, vertices)) {
        return false;
    }
    MVector sum;
    double total = 0.0;
    for (unsigned int k = 0; k < vertices.length(); ++k) {
        float cornerU = 0.0f, cornerV = 0.0f;
        if (!fMesh.getPolygonUV(face, static_cast<int>(k), cornerU, cornerV, &fUVSet) ||
            !inside(vertices[k], offsets.size())) {
            continue;
        }
        const MVector& cornerOffset = offsets[static_cast<size_t>(vertices[k])];
        const double du = static_cast<double>(cornerU) - u, dv = static_cast<double>(cornerV) - v;
        const double distance = std::sqrt(du * du + dv * dv);
        if (distance < kSameUV) {
            offset = cornerOffset;
            return true;
        }
        sum += cornerOffset / distance;
        total += 1.0 / distance;
    }
    if (!(total > 0.0)) {
        return false;
    }
    offset = sum / total;
    return true;
}
