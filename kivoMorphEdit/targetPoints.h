#pragma once
// Reading and writing the points of a mesh or a NURBS curve in object space. Meshes are written in
// single precision, as Maya keeps them.

#include <maya/MDagPath.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>

// Other geometry fails with a message.
MStatus readPoints(const MDagPath& path, MPointArray& points);
MStatus writePoints(const MDagPath& path, const MPointArray& points);
