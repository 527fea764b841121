#pragma once
// Point components of shapes: "vtx" on meshes, "cv" on NURBS curves.
#include "dg/Node.h"
#include <string>

namespace khost {

// The shape a component name refers to on node (a shape, or a transform's first non-intermediate
// shape), when the kind fits the shape; null otherwise.
Node* componentShape(Node* node, const std::string& kind);
// Number of points of the shape's current geometry that are components of their own (a periodic
// curve's repeated CVs are not).
unsigned int componentCount(Node* shape);

} // namespace khost
