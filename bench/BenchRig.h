#pragma once
// Generated production-size rigs for the benchmarks: a plane "base" deformed by the kivoMorph node
// "morph", with target meshes that each move a random share of the points.
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <string>
#include <vector>

namespace bench {

// A fresh host scene with the plug-in loaded; false when the module cannot be loaded.
bool freshScene();

struct RigShape {
    unsigned int side = 100;     // the plane has (side + 1)^2 points
    unsigned int targets = 1;    // full targets 0 .. targets-1
    double movedShare = 0.3;     // share of the points each target moves
    bool connectGeometry = true; // targets as connected meshes (false: stored arrays only)
    unsigned int seed = 1;
};

// Builds the rig and, with connected geometry, encodes it with a rebind; returns the point count.
unsigned int buildRig(const RigShape& shape);
// The plug of a node's attribute, by name.
MPlug plugOf(const std::string& node, const std::string& attribute);
// Evaluates the deformer by reading the base's points, which it returns.
const MPointArray& evaluate();
// The stored arrays of a target's full item.
MIntArray storedIndices(unsigned int target);
MPointArray storedDeltas(unsigned int target);
// Sets the stored arrays of a target's full item (as a scene file would).
void setStoredArrays(unsigned int target, const MIntArray& indices, const MPointArray& deltas);

// Peak resident set size of the process so far, in bytes.
double peakResidentBytes();

} // namespace bench
