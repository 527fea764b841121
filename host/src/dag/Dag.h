#pragma once
// The DAG as the rest of the host uses it: transforms, shapes and their world-space geometry.
#include "core/Undo.h"
#include "geometry/GeometryData.h"
#include <maya/MMatrix.h>
#include <maya/MPointArray.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>
#include <memory>
#include <string>

namespace khost {

// The geometry attributes of a shape class: inMesh/outMesh/worldMesh for meshes,
// create/local/worldSpace for NURBS curves; all null for other nodes.
struct ShapeAttributes {
    const Attribute* input = nullptr;
    const Attribute* output = nullptr;
    const Attribute* world = nullptr;
    const Attribute* intermediate = nullptr;
};
ShapeAttributes shapeAttributes(const Node* node);

bool isTransform(const Node* node);
bool isShape(const Node* node);
bool isIntermediate(Node* node);
// A shape itself, or the first non-intermediate shape under a transform; null otherwise.
Node* shapeOf(Node* node);

// Transform channels; rotation in degrees, applied in the node's rotateOrder.
enum class Trs { Translate, Rotate, Scale };
MVector transformValue(Node* transform, Trs which);
MStatus setTransformValue(UndoRecord& record, Node* transform, Trs which, const MVector& value);

// The node's own transformation (identity for shapes) and its local-to-world matrix, the node's own
// transformation included.
MMatrix localMatrix(Node* node);
MMatrix worldMatrix(Node* node);
// Sets the transform's translate, rotate (in its rotate order) and scale so that its local matrix
// becomes `matrix`; fails, leaving what it set to the record, when no channels give that matrix
// (a shear, a zero scale).
MStatus setLocalMatrix(UndoRecord& record, Node* transform, const MMatrix& matrix);
// Marks world-space outputs (worldMatrix, worldMesh, worldSpace) of the node and of every DAG
// descendant dirty, downstream connections included.
void dirtyWorldSpace(Node* node);

// Creates a transform named transformName (made unique) under parentOrNull and a shape of typeName
// ("mesh" or "nurbsCurve") under it holding a copy of geometryData; the shape is named after the
// transform with "Shape" before its trailing number (pPlane1 -> pPlaneShape1). Returns the transform,
// or null when the type or the data does not fit.
std::shared_ptr<Node> createShape(UndoRecord& record, const std::string& typeName,
                                  const MObject& geometryData, const std::string& transformName,
                                  Node* parentOrNull, std::string* shapeName);

// The name of a transform's shape: pPlane1 -> pPlaneShape1, base -> baseShape.
std::string shapeNameFor(const std::string& transformName);

// Adds a shape of typeName holding a copy of geometryData under an existing transform, named as
// createShape names it.
std::shared_ptr<Node> addShape(UndoRecord& record, const std::string& typeName, const MObject& geometryData,
                               Node* transform);

// The shape's current (evaluated) geometry in object space; null when it has none.
GeometryData* shapeGeometry(Node* shape);
MStatus getShapePoints(Node* shape, MPointArray& points, MSpace::Space space);
// Replaces the points of a shape that has no history (its geometry input is not connected); the
// count must match. kWorld points are brought into the shape's object space first.
MStatus setShapePoints(UndoRecord& record, Node* shape, const MPointArray& points, MSpace::Space space);

} // namespace khost
