#include "kivoMorph/spaces.h"

#include "common/parallel.h"

#include <cmath>

namespace {

// Inverse of the upper 3x3 of a row-vector matrix, or false when it is singular.
bool invertLinear(const MMatrix& m, double inverse[3][3]) {
    const double c00 = m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1);
    const double c01 = m(1, 2) * m(2, 0) - m(1, 0) * m(2, 2);
    const double c02 = m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0);
    const double det = m(0, 0) * c00 + m(0, 1) * c01 + m(0, 2) * c02;
    if (!(std::fabs(det) > 1e-300)) {
        return false;
    }
    const double inv = 1.0 / det;
    inverse[0][0] = c00 * inv;
    inverse[1][0] = c01 * inv;
    inverse[2][0] = c02 * inv;
    inverse[0][1] = (m(0, 2) * m(2, 1) - m(0, 1) * m(2, 2)) * inv;
    inverse[1][1] = (m(0, 0) * m(2, 2) - m(0, 2) * m(2, 0)) * inv;
    inverse[2][1] = (m(0, 1) * m(2, 0) - m(0, 0) * m(2, 1)) * inv;
    inverse[0][2] = (m(0, 1) * m(1, 2) - m(0, 2) * m(1, 1)) * inv;
    inverse[1][2] = (m(0, 2) * m(1, 0) - m(0, 0) * m(1, 2)) * inv;
    inverse[2][2] = (m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0)) * inv;
    return true;
}

} // namespace

void transformPoints(MPointArray& points, const MMatrix& matrix) {
    if (points.length() == 0) {
        return;
    }
    MPoint* first = &points[0];
    forEachPoint(points.length(), [first, &matrix](unsigned int i) { first[i] *= matrix; });
}

void applyWorldDeltas(MPointArray& objectPoints, const MPointArray& worldBase, const MPointArray& moved,
                      const MMatrix& localToWorld) {
    double inverse[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    invertLinear(localToWorld, inverse);
    if (objectPoints.length() == 0) {
        return;
    }
    // Written through their address (made this array's own first) so that tasks share no state.
    MPoint* object = &objectPoints[0];
    forEachPoint(objectPoints.length(), [&](unsigned int i) {
        const double dx = moved[i].x - worldBase[i].x;
        const double dy = moved[i].y - worldBase[i].y;
        const double dz = moved[i].z - worldBase[i].z;
        // Row vectors: object delta = world delta * inverse.
        object[i].x += dx * inverse[0][0] + dy * inverse[1][0] + dz * inverse[2][0];
        object[i].y += dx * inverse[0][1] + dy * inverse[1][1] + dz * inverse[2][1];
        object[i].z += dx * inverse[0][2] + dy * inverse[1][2] + dz * inverse[2][2];
    });
}
