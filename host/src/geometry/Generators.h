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

} // namespace khost
