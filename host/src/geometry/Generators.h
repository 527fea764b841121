#pragma once
// Primitive geometry as Maya's creation commands make it, in object space. Counts below their minimum
// (1 subdivision; 3 around and 2 up for spheres; 3 circle sections, degree 1 to 7) are raised to it.
#include "geometry/GeometryData.h"
#include <maya/MVector.h>

namespace khost {

// A w x h grid of sx x sy quads facing +x, +y or +z (axis 0, 1, 2), centred at the origin. Vertices
// run along the width first, row by row (for +y from +z towards -z), UVs span [0,1] x [0,1].
MeshData makePlane(double w, double h, int sx, int sy, int axis);
// A box centred at the origin. Vertices go around the ring of front, top, back and bottom faces
// (width fastest), then the inner vertices of the +x and -x caps; faces follow the same order.
MeshData makeCube(double w, double h, double d, int sx, int sy, int sz);
// A sphere with sx segments around y and sy from pole to pole: the rings from bottom to top, then the
// bottom and top poles; quads first, then the bottom and top triangle fans.
MeshData makeSphere(double r, int sx, int sy);
// A closed circle of radius r around normal, through `sections` spans: periodic for degree 2 and more
// (degree overlapping CVs), closed with a repeated last CV for degree 1.
NurbsCurveData makeCircle(double radius, int sections, int degree, const MVector& normal);
// An open curve through the given CVs with uniform clamped knots; no CVs when there are fewer than
// degree + 1 points or degree < 1.
NurbsCurveData makeCurve(int degree, const MPointArray& points);
// How far the CVs of a uniform periodic circle of `sections` spans sit outside it (a factor of the
// radius) so that the curve passes through the circle at every knot.
double periodicCircleScale(int sections, int degree);

// A flat surface of width w along U and w x lengthRatio along V, facing `axis` (U x V points along it),
// centred at the origin: patchesU x patchesV spans of the given degree with clamped uniform knots, the
// CVs at the Greville points, so that the surface is S(u, v) = corner + u / patchesU x width + v /
// patchesV x length exactly. Counts below 1 are raised to 1, the degree is kept within 1 .. 7.
NurbsSurfaceData makeNurbsPlane(double w, double lengthRatio, int patchesU, int patchesV, int degree,
                                const MVector& axis);
// A sphere of radius r around `axis`, centred at the origin: U runs from the pole at -axis to the pole
// at +axis over `spans` clamped spans, V around the axis over `sections` spans, periodic for degree 3
// (closed with a repeated last CV for degree 1), starting at the direction of x (or z for an x axis)
// away from the axis and turning so that the normal dU x dV points outwards. The surface passes
// through the sphere wherever knot lines cross. Degree 1 or 3; counts are raised to 3 sections and 1 span
// (2 for degree 1).
NurbsSurfaceData makeNurbsSphere(double r, int sections, int spans, int degree, const MVector& axis);

} // namespace khost
