#pragma once
// Inbetween interpolation of a target's items: the standard inbetween function and the
// Bezier blends. Pure arithmetic, shared by the node and (later) the GPU override so that
// both paths weigh items identically.

#include <cstddef>
#include <optional>
#include <vector>

namespace inbetween {

// Items 5000 (weight 0) and 0 keep a slot in the item weight list but never blend.
bool isRestItem(unsigned int itemIndex);

// (index - 5000) * 0.001 in single precision: 6000 is 1.0, 5500 is 0.5, 4000 is -1.0.
float itemWeight(unsigned int itemIndex);

// One weight per item position (ascending logical index); rest items get 0.
std::vector<float> itemWeightList(const std::vector<unsigned int>& itemIndices);

// Factor of the item at position p for target weight w, or nothing when the item does not
// contribute. Items below 5000 (negative weights) follow the mirrored rule.
std::optional<float> segmentFactor(const std::vector<float>& itemWeights, std::size_t p, float w);

struct BlendVector {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Bezier curve from no displacement to the full delta through control points derived from
// the inbetween deltas of one point (a zero delta where an inbetween lacks the point).
// s = 2 * curvature: 0 puts every control point at full / 2, 1 on the inbetween delta itself.
BlendVector bezierBlendPoint(const std::vector<BlendVector>& inbetweenDeltas, const BlendVector& full,
                             double t, double s);

struct BlendUv {
    double u = 0.0;
    double v = 0.0;
};

// Bezier curve through surface parameters; the result is rounded to single precision.
BlendUv bezierBlendUv(const BlendUv& start, const std::vector<BlendUv>& controls, const BlendUv& end,
                      double t, double s);

} // namespace inbetween
