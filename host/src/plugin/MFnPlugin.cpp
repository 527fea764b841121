// The host implements the function set; the exports belong to plug-ins only.
#define MNoVersionString
#define MNoPluginEntry
#include "command/CommandRegistry.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include "plugin/Plugin.h"
#include <algorithm>
#include <cstdio>
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>

namespace {

khost::Plugin* pluginOf(const MObject& object) {
    return khost::objectAs<khost::Plugin>(object);
}

std::string hexId(const MTypeId& id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id.id());
    return text;
}

void fail(const std::string& text) {
    MGlobal::displayError(text.c_str());
}

MString queried(const khost::Plugin* plugin, const std::string khost::Plugin::*field, MStatus* ReturnStatus) {
    if (ReturnStatus)
        *ReturnStatus = plugin ? MS::kSuccess : MS::kInvalidParameter;
    return plugin ? MString((plugin->*field).c_str()) : MString();
}

} // namespace

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char*,
                     MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
    khost::Plugin* plugin = pluginOf(fObject);
    if (!plugin || plugin->identified)
        return;
    plugin->identified = true;
    plugin->vendor = vendor ? vendor : "Unknown";
    plugin->version = version ? version : "Unknown";
}

MString MFnPlugin::vendor(MStatus* ReturnStatus) const {
    return queried(pluginOf(fObject), &khost::Plugin::vendor, ReturnStatus);
}
MString MFnPlugin::version(MStatus* ReturnStatus) const {
    return queried(pluginOf(fObject), &khost::Plugin::version, ReturnStatus);
}
MString MFnPlugin::name(MStatus* ReturnStatus) const {
    return queried(pluginOf(fObject), &khost::Plugin::name, ReturnStatus);
}
MString MFnPlugin::loadPath(MStatus* ReturnStatus) const {
    return queried(pluginOf(fObject), &khost::Plugin::path, ReturnStatus);
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                                   MCreateSyntaxFunction createSyntaxFunction) {
    khost::Plugin* plugin = pluginOf(fObject);
    if (!plugin || !creatorFunction || commandName.length() == 0)
        return MS::kInvalidParameter;
    if (khost::findCommand(commandName.asChar())) {
        fail(std::string("Cannot register command \"") + commandName.asChar() +
             "\": a command of that name already exists.");
        return MS::kFailure;
    }
    MStatus status = khost::registerPluginCommand(commandName.asChar(), creatorFunction, createSyntaxFunction,
                                                  plugin->name);
    if (status)
        plugin->commands.push_back(commandName.asChar());
    return status;
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName) {
    khost::Plugin* plugin = pluginOf(fObject);
    if (!plugin)
        return MS::kInvalidParameter;
    auto& commands = plugin->commands;
    auto it = std::find(commands.begin(), commands.end(), commandName.asChar());
    // A plug-in removes only the commands it added itself.
    if (it == commands.end()) {
        fail(std::string("Cannot deregister command \"") + commandName.asChar() + "\": the plug-in \"" +
             plugin->name + "\" did not register it.");
        return MS::kFailure;
    }
    MStatus status = khost::deregisterPluginCommand(commandName.asChar());
    if (status)
        commands.erase(it);
    return status;
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId,
                                MCreatorFunction creatorFunction, MInitializeFunction initFunction,
                                MPxNode::Type type, const MString*) {
    khost::Plugin* plugin = pluginOf(fObject);
    if (!plugin || !creatorFunction || typeName.length() == 0)
        return MS::kInvalidParameter;
    const std::string name = typeName.asChar();
    auto nodeClass = std::make_unique<khost::NodeClass>();
    switch (type) {
    case MPxNode::kDependNode:
        nodeClass->role = khost::NodeRole::Depend;
        nodeClass->apiType = MFn::kPluginDependNode;
        break;
    case MPxNode::kDeformerNode:
        nodeClass->role = khost::NodeRole::Deformer;
        nodeClass->apiType = MFn::kPluginDeformerNode;
        break;
    default:
        fail("Cannot register node type \"" + name +
             "\": this host supports only dependency and deformer nodes.");
        return MS::kNotImplemented;
    }
    khost::ClassRegistry& registry = khost::ClassRegistry::instance();
    if (registry.find(name)) {
        fail("Cannot register node type \"" + name + "\": a node type of that name already exists.");
        return MS::kFailure;
    }
    if (const khost::NodeClass* taken = registry.find(typeId)) {
        fail("Cannot register node type \"" + name + "\": its type id " + hexId(typeId) +
             " is already used by \"" + taken->name + "\".");
        return MS::kFailure;
    }
    nodeClass->name = name;
    nodeClass->id = typeId;
    nodeClass->pxType = type;
    nodeClass->creator = creatorFunction;
    nodeClass->fromPlugin = true;
    nodeClass->pluginName = plugin->name;
    khost::prepareNodeClass(*nodeClass);
    if (initFunction) {
        // MPxNode::addAttribute and attributeAffects add to the class being initialized; the guard puts
        // the previous one back even when initialize throws.
        struct Initializing {
            khost::ClassRegistry& registry;
            khost::NodeClass* previous;
            ~Initializing() { registry.initializing = previous; }
        } guard{registry, registry.initializing};
        registry.initializing = nodeClass.get();
        MStatus status = initFunction();
        if (!status) {
            fail("Cannot register node type \"" + name + "\": its initialize function failed.");
            return status;
        }
    }
    MStatus status = registry.add(std::move(nodeClass));
    if (status)
        plugin->nodeTypes.push_back(typeId);
    return status;
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
    khost::Plugin* plugin = pluginOf(fObject);
    if (!plugin)
        return MS::kInvalidParameter;
    auto& owned = plugin->nodeTypes;
    auto it = std::find(owned.begin(), owned.end(), typeId);
    khost::ClassRegistry& registry = khost::ClassRegistry::instance();
    khost::NodeClass* nodeClass = registry.find(typeId);
    if (it == owned.end() || !nodeClass) {
        fail("Cannot deregister node type id " + hexId(typeId) + ": the plug-in \"" + plugin->name +
             "\" did not register it.");
        return MS::kFailure;
    }
    const auto& nodes = khost::Scene::instance().nodes();
    auto inUse =
        std::count_if(nodes.begin(), nodes.end(), [&](const auto& n) { return n->cls == nodeClass; });
    // Existing nodes would be left without their class and their code.
    if (inUse > 0) {
        fail("Cannot deregister node type \"" + nodeClass->name + "\": " + std::to_string(inUse) +
             (inUse == 1 ? " node of this type exists" : " nodes of this type exist") + " in the scene.");
        return MS::kFailure;
    }
    MStatus status = registry.remove(typeId);
    if (status)
        owned.erase(it);
    return status;
}
