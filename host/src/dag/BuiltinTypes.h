#pragma once
// Registration of the host's own DAG node types.
#include "dg/NodeClass.h"
#include <maya/MTypes.h>

namespace khost {

// Adds a built-in node type, running initialize as MFnPlugin::registerNode runs a plug-in's (after the
// attributes the pxType base class gives).
NodeClass* registerBuiltinClass(const std::string& name, MTypeId id, NodeRole role, MFn::Type apiType,
                                MCreatorFunction creator, MInitializeFunction initialize,
                                MPxNode::Type pxType = MPxNode::kDependNode);
void registerTransformType();
void registerShapeTypes();

} // namespace khost
