#pragma once
// New per-point weights from plain arrays: copied from a source target by point index, by closest
// point on a mesh or by the two nearest points, or mirrored and flipped across a coordinate plane.
// Each result gives a point either a new weight or none (the point keeps its weight).

#include "geometrySearch/meshSampling.h"

#include <maya/MPointArray.h>
#include <maya/MString.h>

#include <vector>

class MFnMesh;
class MFnNurbsCurve;
class MMeshIntersector;

struct NewWeights {
    explicit NewWeights(size_t count) : values(count, 0.0), assigned(count, 0) {}
    std::vector<double> values;
    std::vector<unsigned char> assigned;
};

// Point i takes source weight i, for the points both have.
NewWeights copyByIndex(const std::vector<double>& source, size_t destinationCount);
// Each destination point takes the source weights blended at its sample on the source mesh.
NewWeights copyFromSamples(const std::vector<MeshSample>& samples, const std::vector<double>& source);
// Each destination point takes the source weights of the two source points nearest to it.
NewWeights copyFromTwoNearest(const MPointArray& destination, const std::vector<double>& source,
                              const MPointArray& sourcePoints);

struct MirrorSettings {
    // The coordinate the plane negates (0 x, 1 y, 2 z).
    int axis = 0;
    bool closestPoint = true;
    // Take weights from the negative side for the positive one instead.
    bool inverse = false;
    // Swap the two sides (inverse then does not count).
    bool flip = false;
};

// Whether a point whose coordinate on the mirror axis is c takes a weight from its mirror position.
bool isEligible(double c, const MirrorSettings& settings, bool mesh);

// The mirror of a mesh's weights by its nearest vertex on the other side.
NewWeights mirrorMeshByComponent(const MPointArray& points, const std::vector<double>& weights,
                                 const MirrorSettings& settings);
// By the weights blended at the closest point of the mesh itself (the intersector's).
NewWeights mirrorMeshByClosestPoint(const MMeshIntersector& intersector, const MFnMesh& mesh,
                                    const MPointArray& points, const std::vector<double>& weights,
                                    const MirrorSettings& settings);
// A curve's weights by the CV nearest to the curve's closest point.
NewWeights mirrorCurveByComponent(const MFnNurbsCurve& curve, const MPointArray& points,
                                  const std::vector<double>& weights, const MirrorSettings& settings);
// By the weights of the two nearest CVs.
NewWeights mirrorCurveByClosestPoint(const MPointArray& points, const std::vector<double>& weights,
                                     const MirrorSettings& settings);
