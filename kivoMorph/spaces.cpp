#include "kivoMorph/spaces.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_group.h>

#include <cmath>

namespace {

template <typename Body> void forEachPoint(unsigned int count, const Body& body) {
    tbb::task_group_context context;
    tbb::parallel_for(
        tbb::blocked_range<unsigned int>(0, count),
        [&body](const tbb::blocked_range<unsigned int>& range) {
            for (unsigned int i = range.begin(); i != range.end(); ++i) {
                body(i);
            }
        },
        tbb::auto_partitioner(), context);
}

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
    forEachPoint(points.length(), [&points, &matrix](unsigned int i) { points[i] *= matrix; });
}

void applyWorldDeltas(MPointArray& objectPoints, const MPointArray& worldBase, const MPointArray& moved,
                      const MMatrix& localToWorld) {
    double inverse[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    invertLinear(localToWorld, inverse);
    forEachPoint(objectPoints.length(), [&](unsigned int i) {
        const double dx = moved[i].x - worldBase[i].x;
        const double dy = moved[i].y - worldBase[i].y;
        const double dz = moved[i].z - worldBase[i].z;
        // Row vectors: object delta = world delta * inverse.
        objectPoints[i].x += dx * inverse[0][0] + dy * inverse[1][0] + dz * inverse[2][0];
        objectPoints[i].y += dx * inverse[0][1] + dy * inverse[1][1] + dz * inverse[2][1];
        objectPoints[i].z += dx * inverse[0][2] + dy * inverse[1][2] + dz * inverse[2][2];
    });
}
