#pragma once
// Point components of shapes: "vtx" on meshes, "cv" on NURBS curves and surfaces.
#include "dg/Node.h"
#include <string>

namespace khost {

// The shape a component name refers to on node (a shape, or a transform's first non-intermediate
// shape), when the kind fits the shape; null otherwise.
Node* componentShape(Node* node, const std::string& kind);
// Number of points of the shape's current geometry that are components of their own (a periodic
// curve's repeated CVs are not).
unsigned int componentCount(Node* shape);

// For a nurbsSurface shape: the rows (along u) and columns (along v) of CVs that are components of their
// own (a periodic direction's repeated CVs are not) and the CVs per row of the whole grid, so that
// cv[iu][iv] is point iu * stride + iv. False for other shapes.
bool surfaceComponentGrid(Node* shape, unsigned int& rows, unsigned int& columns, unsigned int& stride);

} // namespace khost
