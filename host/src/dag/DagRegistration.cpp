#include "core/HostInit.h"
#include "dag/BuiltinTypes.h"
#include "dag/Dag.h"

namespace khost {

NodeClass* registerBuiltinClass(const std::string& name, MTypeId id, NodeRole role, MFn::Type apiType,
                                MCreatorFunction creator, MInitializeFunction initialize,
                                MPxNode::Type pxType) {
    auto nodeClass = std::make_unique<NodeClass>();
    nodeClass->name = name;
    nodeClass->id = id;
    nodeClass->role = role;
    nodeClass->apiType = apiType;
    nodeClass->creator = creator;
    nodeClass->pxType = pxType;
    prepareNodeClass(*nodeClass);
    NodeClass* raw = nodeClass.get();
    ClassRegistry& registry = ClassRegistry::instance();
    NodeClass* previous = registry.initializing;
    registry.initializing = raw;
    initialize();
    registry.initializing = previous;
    registry.add(std::move(nodeClass));
    return raw;
}

void registerDagNodeTypes() {
    registerTransformType();
    registerShapeTypes();
    // Reparenting moves a whole subtree in world space.
    Scene::instance().onTransformChanged.push_back(dirtyWorldSpace);
}

} // namespace khost
