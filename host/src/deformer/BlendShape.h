#pragma once
// Maya's blendShape deformer node type, as far as scenes around kivoMorph use it.
#include "dg/NodeClass.h"

namespace khost {

// The "blendShape" node type (registered by registerDeformerTypes): `weight[t]` (aliasable) scales target t,
// `inputTarget[g].inputTargetGroup[t].targetWeights[i]` (1.0 where unset) scales it per point, and the
// target's shape arrives at `inputTarget[g].inputTargetGroup[t].inputTargetItem[6000].inputGeomTarget`.
// Targets blend in straight lines in object space:
//   point += envelope x weight[t] x targetWeights[i] x (target point - input point).

// The full target's item index, as Maya numbers the items of a blend-shape target.
inline constexpr unsigned int kFullTargetItem = 6000;

} // namespace khost
