// createNode, ls, objExists, nodeType, select, delete, rename, duplicate, undo, redo, flushUndo,
// loadPlugin, unloadPlugin.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "command/Names.h"
#include "command/Selection.h"
#include "command/UndoQueue.h"
#include "dag/Dag.h"
#include "plugin/PluginLoader.h"
#include <maya/MGlobal.h>

namespace khost {

namespace {

std::string stringFlag(const MArgDatabase& args, const char* flag) {
    MString value;
    args.getFlagArgument(flag, 0, value);
    return value.asChar();
}

// --- createNode ---

MSyntax createNodeSyntax() {
    MSyntax syntax;
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.addFlag("-p", "-parent", MSyntax::kString);
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

MStatus createNode(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    std::string type = objectsOf(args)[0];
    NodeClass* cls = ClassRegistry::instance().find(type);
    if (!cls)
        return fail("Unknown object type: " + type, MS::kInvalidParameter);
    std::string name = stringFlag(args, "-n");
    if (!name.empty() && !validName(name))
        return fail("createNode: '" + name + "' is not a valid node name.", MS::kInvalidParameter);
    bool dag = cls->role == NodeRole::Transform || cls->role == NodeRole::Shape;
    Node* parent = nullptr;
    if (args.isFlagSet("-p")) {
        std::string parentName = stringFlag(args, "-p");
        parent = findNode(parentName);
        if (!parent)
            return fail("No object matches name: " + parentName, MS::kInvalidParameter);
        if (!dag || !isTransform(parent))
            return fail("createNode: '" + parentName + "' cannot be the parent of a " + type + ".",
                        MS::kInvalidParameter);
    }
    // A shape always lives under a transform: without a parent it gets one of its own.
    if (cls->role == NodeRole::Shape && !parent) {
        auto transform = edit::createNode(undo, ClassRegistry::instance().find("transform"), "", nullptr);
        if (!transform)
            return fail("createNode: cannot create a transform for the " + type + ".");
        parent = transform.get();
    }
    MStatus status;
    auto node = edit::createNode(undo, cls, name, parent, &status);
    if (!node)
        return fail("createNode: cannot create a node of type " + type + ".",
                    status ? MStatus(MS::kFailure) : status);
    result.append(node->name);
    return MS::kSuccess;
}

// --- ls / objExists / nodeType ---

MSyntax lsSyntax() {
    MSyntax syntax;
    syntax.addFlag("-typ", "-type", MSyntax::kString);
    syntax.makeFlagMultiUse("-type");
    syntax.addFlag("-sl", "-selection");
    syntax.setObjectType(MSyntax::kStringObjects);
    return syntax;
}

// Class names and the abstract kinds scripts ask for.
bool isOfType(Node* node, const std::string& type) {
    if (node->cls->name == type)
        return true;
    if (type == "dagNode")
        return node->isDag();
    if (type == "shape")
        return node->cls->role == NodeRole::Shape;
    if (type == "geometryFilter")
        return node->cls->role == NodeRole::Deformer;
    return false;
}

MStatus ls(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    std::vector<std::string> types;
    for (unsigned int i = 0; i < args.numberOfFlagUses("-type"); ++i) {
        MArgList list;
        args.getFlagArgumentList("-type", i, list);
        types.push_back(list.word(0));
    }
    MSelectionList items;
    if (args.isFlagSet("-sl")) {
        MGlobal::getActiveSelectionList(items);
    } else {
        std::vector<std::string> patterns = objectsOf(args);
        if (patterns.empty())
            for (const auto& node : Scene::instance().nodes())
                items.add(node->handle());
        // Patterns that match nothing are simply not listed, as in Maya.
        for (const std::string& pattern : patterns)
            items.add(MString(pattern.c_str()));
    }
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        if (!node)
            continue;
        bool wanted = types.empty();
        for (const std::string& type : types)
            wanted = wanted || isOfType(node, type);
        if (!wanted)
            continue;
        MStringArray strings;
        MSelectionList one;
        one.addItem(item, false);
        one.getSelectionStrings(strings);
        for (const MString& s : strings)
            result.append(std::string(s.asChar()));
    }
    return MS::kSuccess;
}

MStatus objExists(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    MSelectionList found;
    result.append(found.add(MString(objectsOf(args)[0].c_str())) ? 1.0 : 0.0);
    return MS::kSuccess;
}

MStatus nodeType(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    std::string name = objectsOf(args)[0];
    MSelectionList found;
    MObject object;
    if (!found.add(MString(name.c_str())) || !found.getDependNode(0, object))
        return fail("No object matches name: " + name, MS::kInvalidParameter);
    result.append(nodeOf(object)->cls->name);
    return MS::kSuccess;
}

// --- listRelatives ---

MSyntax listRelativesSyntax() {
    MSyntax syntax;
    syntax.addFlag("-c", "-children");
    syntax.addFlag("-s", "-shapes");
    syntax.addFlag("-p", "-parent");
    syntax.setObjectType(MSyntax::kSelectionList, 0);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

// The children of DAG nodes (the default), only their shapes (-s), or their parents (-p).
MStatus listRelatives(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    MSelectionList items;
    args.getObjects(items);
    const bool parents = args.isFlagSet("-p"), shapes = args.isFlagSet("-s");
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        if (!node || !node->isDag())
            continue;
        if (parents) {
            if (node->parent)
                result.append(node->parent->name);
            continue;
        }
        for (Node* child : node->children)
            if (!shapes || isShape(child))
                result.append(child->name);
    }
    return MS::kSuccess;
}

// --- select ---

MSyntax selectSyntax() {
    MSyntax syntax;
    syntax.addFlag("-r", "-replace");
    syntax.addFlag("-add", "-add");
    syntax.addFlag("-d", "-deselect");
    syntax.addFlag("-cl", "-clear");
    syntax.setObjectType(MSyntax::kStringObjects);
    return syntax;
}

MStatus select(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    MSelectionList named;
    for (const std::string& name : objectsOf(args))
        if (!named.add(MString(name.c_str())))
            return fail("No object matches name: " + name, MS::kInvalidParameter);
    MSelectionList before;
    MGlobal::getActiveSelectionList(before);
    if (args.isFlagSet("-cl"))
        MGlobal::setActiveSelectionList(MSelectionList());
    else if (args.isFlagSet("-add"))
        MGlobal::setActiveSelectionList(named, MGlobal::kAddToList);
    else if (args.isFlagSet("-d"))
        MGlobal::setActiveSelectionList(named, MGlobal::kRemoveFromList);
    else
        MGlobal::setActiveSelectionList(named);
    MSelectionList after;
    MGlobal::getActiveSelectionList(after);
    undo.add([before]() { activeSelection() = before; }, [after]() { activeSelection() = after; });
    return MS::kSuccess;
}

// --- delete / rename / duplicate ---

MSyntax nodesSyntax() {
    MSyntax syntax;
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

MStatus deleteNodes(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    MSelectionList items;
    args.getObjects(items);
    std::vector<MObject> nodes;
    for (const MSelectionList::Item& item : items.items()) {
        if (!item.plug.isNull() || !item.componentKind.empty())
            return fail("delete: only nodes can be deleted: '" + item.text() + "'.", MS::kInvalidParameter);
        nodes.push_back(item.node);
    }
    for (const MObject& object : nodes) {
        // A node already gone with its deleted parent is skipped.
        Node* node = nodeOf(object);
        if (!node)
            continue;
        MStatus status = edit::deleteNode(undo, node);
        if (!status)
            return fail("delete: cannot delete '" + node->name + "'.", status);
    }
    return MS::kSuccess;
}

MSyntax renameSyntax() {
    MSyntax syntax;
    syntax.setObjectType(MSyntax::kStringObjects, 2, 2);
    return syntax;
}

MStatus rename(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    std::vector<std::string> words = objectsOf(args);
    Node* node = findNode(words[0]);
    if (!node)
        return fail("No object matches name: " + words[0], MS::kInvalidParameter);
    if (!validName(words[1]))
        return fail("rename: '" + words[1] + "' is not a valid node name.", MS::kInvalidParameter);
    std::string given;
    MStatus status = edit::rename(undo, node, words[1], &given);
    if (!status)
        return fail("rename: cannot rename '" + words[0] + "'.", status);
    result.append(given);
    return MS::kSuccess;
}

MSyntax duplicateSyntax() {
    MSyntax syntax = nodesSyntax();
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

// Copies a node's values (inputs evaluated first, so a deformed shape keeps its current geometry)
// and, for DAG nodes, its children. A shape named after its transform is named after the copy, as
// Maya does (duplicate -n tgt base gives tgt and tgtShape).
std::shared_ptr<Node> copyNode(UndoRecord& undo, Node* original, const std::string& name, Node* parent) {
    for (const auto& in : original->incoming)
        Scene::instance().evaluate(original, in.first);
    auto copy = edit::createNode(undo, original->cls, name.empty() ? original->name : name, parent);
    if (!copy)
        return nullptr;
    for (auto& root : copy->roots) {
        if (Value* source = original->rootValue(root.first))
            root.second->assign(*source);
        if (original->cls->isComputed(root.first))
            root.second->setDirtyTree(true);
    }
    copy->locked = original->locked;
    copy->aliases = original->aliases;
    std::vector<Node*> children = original->children;
    for (Node* child : children) {
        const bool namedAfterParent = isShape(child) && child->name == shapeNameFor(original->name);
        if (!copyNode(undo, child, namedAfterParent ? shapeNameFor(copy->name) : std::string(), copy.get()))
            return nullptr;
    }
    return copy;
}

MStatus duplicate(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    MSelectionList items;
    args.getObjects(items);
    std::string name = stringFlag(args, "-n");
    if (!name.empty() && !validName(name))
        return fail("duplicate: '" + name + "' is not a valid node name.", MS::kInvalidParameter);
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        if (!node || !item.plug.isNull() || !item.componentKind.empty())
            return fail("duplicate: only nodes can be duplicated: '" + item.text() + "'.",
                        MS::kInvalidParameter);
        auto copy = copyNode(undo, node, result.empty() ? name : std::string(), node->parent);
        if (!copy)
            return fail("duplicate: cannot duplicate '" + node->name + "'.");
        result.append(copy->name);
    }
    return MS::kSuccess;
}

// --- undo / redo / flushUndo ---

MSyntax noObjectsSyntax() {
    return MSyntax();
}

MStatus undoCommand(const MArgDatabase&, CommandResult&, UndoRecord&) {
    std::string name;
    if (!UndoQueue::instance().undo(&name)) {
        MGlobal::displayWarning("There are no more commands to undo.");
        return MS::kSuccess;
    }
    MGlobal::displayInfo(MString(("Undo: " + name).c_str()));
    return MS::kSuccess;
}

MStatus redoCommand(const MArgDatabase&, CommandResult&, UndoRecord&) {
    std::string name;
    if (!UndoQueue::instance().redo(&name)) {
        MGlobal::displayWarning("There are no more commands to redo.");
        return MS::kSuccess;
    }
    MGlobal::displayInfo(MString(("Redo: " + name).c_str()));
    return MS::kSuccess;
}

MStatus flushUndo(const MArgDatabase&, CommandResult&, UndoRecord&) {
    UndoQueue::instance().flush();
    return MS::kSuccess;
}

// --- loadPlugin / unloadPlugin ---

MSyntax pluginSyntax() {
    MSyntax syntax;
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

MStatus loadPlugin(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    std::string loaded;
    MStatus status = loadPluginModule(objectsOf(args)[0], &loaded);
    if (status)
        result.append(loaded);
    return status;
}

MStatus unloadPlugin(const MArgDatabase& args, CommandResult&, UndoRecord&) {
    // The undo queue may hold the plug-in's commands and deleted nodes, whose code is about to go.
    UndoQueue::instance().flush();
    return unloadPluginModule(objectsOf(args)[0]);
}

} // namespace

void registerSceneCommands() {
    registerBuiltin("createNode", createNodeSyntax, createNode);
    registerBuiltin("ls", lsSyntax, ls);
    registerBuiltin("objExists", oneObjectSyntax, objExists);
    registerBuiltin("nodeType", oneObjectSyntax, nodeType);
    registerBuiltin("select", selectSyntax, select);
    registerBuiltin("listRelatives", listRelativesSyntax, listRelatives);
    registerBuiltin("delete", nodesSyntax, deleteNodes);
    registerBuiltin("rename", renameSyntax, rename);
    registerBuiltin("duplicate", duplicateSyntax, duplicate);
    registerBuiltin("undo", noObjectsSyntax, undoCommand);
    registerBuiltin("redo", noObjectsSyntax, redoCommand);
    registerBuiltin("flushUndo", noObjectsSyntax, flushUndo);
    registerBuiltin("loadPlugin", pluginSyntax, loadPlugin);
    registerBuiltin("unloadPlugin", pluginSyntax, unloadPlugin);
}

} // namespace khost
