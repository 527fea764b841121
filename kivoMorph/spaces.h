#pragma once
// Moving the points of one geometry between its object space and world space.

#include <maya/MMatrix.h>
#include <maya/MPointArray.h>

// points[i] *= matrix for every point, in parallel.
void transformPoints(MPointArray& points, const MMatrix& matrix);

// Maps world-space displacements back into object space: objectPoints[i] += (moved[i] -
// worldBase[i]) times the inverse of the linear part of localToWorld, so a point lands on its
// world-space target whatever the translation. A singular linear part has no inverse; the
// displacements are then applied as they are.
void applyWorldDeltas(MPointArray& objectPoints, const MPointArray& worldBase, const MPointArray& moved,
                      const MMatrix& localToWorld);
