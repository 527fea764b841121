#pragma once
// Deformer history: putting a deformer between shapes and the geometry they had.
#include "core/Undo.h"
#include <memory>
#include <string>
#include <vector>

namespace khost {

// Creates a node of deformerClass named name (made unique) and puts it into the history of each
// shape (a transform stands for its shape), geometry g = position in shapes, as Maya's `deformer`:
//   shape without history: an intermediate copy "<shape>Orig" under the same transform,
//     Orig.worldMesh[0] (worldSpace[0]) -> deformer.input[g].inputGeometry;
//   shape fed by a deformer already: that upstream plug -> deformer.input[g].inputGeometry;
//   then deformer.outputGeometry[g] -> shape.inMesh (create).
// Every change goes into record; on failure the caller undoes it.
MStatus insertDeformer(UndoRecord& record, NodeClass* deformerClass, const std::string& name,
                       const std::vector<Node*>& shapes, std::shared_ptr<Node>* created);

} // namespace khost
