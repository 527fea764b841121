#pragma once
// Wavefront OBJ files.
#include "core/Undo.h"
#include <maya/MStatus.h>
#include <string>
#include <vector>

namespace khost {

// Writes the shapes' world-space geometry, one "o" object each: meshes as v, vt and f (v/vt)
// lines; NURBS curves as their CVs (v lines) joined by one "l" line element, since OBJ's own
// curve elements are rarely read back by other tools.
MStatus exportObj(const std::string& path, const std::vector<Node*>& shapes, std::string& problem);
// Makes one mesh (under a new transform) per object of the file that has faces, with its UVs
// when every face-vertex has one; line elements are not imported. `created` gets the transforms.
MStatus importObj(UndoRecord& record, const std::string& path, std::vector<std::string>& created,
                  std::string& problem);

} // namespace khost
