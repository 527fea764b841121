#include "kivoMorph/spaces.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

MMatrix matrixOf(const double rows[4][4]) {
    return MMatrix(rows);
}

// Rotation by angle about z, non-uniform scale and a translation, as a row-vector matrix.
MMatrix transform(double angle, double sx, double sy, double sz, double tx, double ty, double tz) {
    const double c = std::cos(angle), s = std::sin(angle);
    const double rows[4][4] = {
        {c * sx, s * sx, 0.0, 0.0}, {-s * sy, c * sy, 0.0, 0.0}, {0.0, 0.0, sz, 0.0}, {tx, ty, tz, 1.0}};
    return matrixOf(rows);
}

MPointArray samplePoints(unsigned int count) {
    MPointArray points;
    for (unsigned int i = 0; i < count; ++i) {
        points.append(0.1 * i, std::sin(0.3 * i), 1.0 - 0.05 * i);
    }
    return points;
}

void expectNear(const MPoint& a, const MPoint& b) {
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
    EXPECT_NEAR(a.z, b.z, 1e-9);
}

} // namespace

TEST(Spaces, TransformPointsMatchesPointTimesMatrix) {
    const MMatrix m = transform(0.7, 2.0, 0.5, 3.0, 1.0, -2.0, 4.0);
    const MPointArray original = samplePoints(20000);
    MPointArray points = original;
    transformPoints(points, m);
    for (unsigned int i = 0; i < original.length(); i += 997) {
        expectNear(points[i], original[i] * m);
    }
}

// World-space results written back must land, through the geometry's own transform, exactly
// on the world positions they were moved to.
TEST(Spaces, WorldDeltasLandOnTheirWorldPositions) {
    const MMatrix transforms[] = {transform(0.0, 1.0, 1.0, 1.0, 5.0, 0.0, -3.0),
                                  transform(M_PI / 2.0, 1.0, 1.0, 1.0, 0.0, 0.0, 0.0),
                                  transform(1.1, 2.0, 0.25, 4.0, -1.0, 2.0, 0.5)};
    for (const MMatrix& m : transforms) {
        MPointArray objectPoints = samplePoints(50);
        MPointArray worldBase = objectPoints;
        transformPoints(worldBase, m);
        MPointArray moved = worldBase;
        for (unsigned int i = 0; i < moved.length(); ++i) {
            moved[i].x += 0.5;
            moved[i].z -= 0.25 * i;
        }
        applyWorldDeltas(objectPoints, worldBase, moved, m);
        for (unsigned int i = 0; i < moved.length(); ++i) {
            expectNear(objectPoints[i] * m, moved[i]);
        }
    }
}

TEST(Spaces, IdentityAndSingularTransformsApplyDeltasAsTheyAre) {
    const MMatrix singular = transform(0.0, 0.0, 1.0, 1.0, 2.0, 0.0, 0.0);
    for (const MMatrix& m : {MMatrix(), singular}) {
        MPointArray objectPoints = samplePoints(3);
        const MPointArray before = objectPoints;
        MPointArray worldBase = samplePoints(3);
        MPointArray moved = worldBase;
        moved[1].y += 2.0;
        applyWorldDeltas(objectPoints, worldBase, moved, m);
        expectNear(objectPoints[0], before[0]);
        expectNear(objectPoints[1], MPoint(before[1].x, before[1].y + 2.0, before[1].z));
    }
}
