// parent and group: DAG nodes moved under another transform (or the world), keeping their place in
// the world (-absolute, the default) or their own transformation (-relative).
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "command/Names.h"
#include "dag/Dag.h"
#include <maya/MGlobal.h>

namespace khost {

namespace {

bool isBelow(Node* node, Node* ancestor) {
    for (Node* n = node; n; n = n->parent)
        if (n == ancestor)
            return true;
    return false;
}

// Shapes have no transformation of their own: they always keep their object-space geometry.
MStatus moveUnder(UndoRecord& undo, Node* child, Node* parent, bool relative, const std::string& command) {
    if (!relative && !isShape(child)) {
        const MMatrix local = worldMatrix(child) * (parent ? worldMatrix(parent).inverse() : MMatrix());
        if (!setLocalMatrix(undo, child, local))
            return fail(command + ": '" + child->name +
                        "' cannot keep its place in the world under its new " +
                        "parent: translate, rotate and scale cannot express it.");
    }
    edit::reparent(undo, child, parent);
    return MS::kSuccess;
}

// The DAG nodes among the objects, in order; only transforms, and shapes when `shapes`.
MStatus dagNodes(const MArgDatabase& args, const std::string& command, bool shapes,
                 std::vector<Node*>& nodes) {
    MSelectionList items;
    args.getObjects(items);
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        if (!node || !node->isDag() || !item.plug.isNull() || !item.componentKind.empty())
            return fail(command + ": '" + item.text() + "' is not a DAG object.", MS::kInvalidParameter);
        if (isShape(node) && !shapes)
            return fail(command + ": '" + node->name + "' is a shape; parent shapes with -shape.",
                        MS::kInvalidParameter);
        nodes.push_back(node);
    }
    return MS::kSuccess;
}

MSyntax parentSyntax() {
    MSyntax syntax;
    syntax.addFlag("-w", "-world");
    syntax.addFlag("-r", "-relative");
    syntax.addFlag("-a", "-absolute");
    syntax.addFlag("-s", "-shape");
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

// parent [-w] [-r] [-s] children... [newParent]: the last object is the new parent unless -world.
MStatus parent(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    std::vector<Node*> nodes;
    MStatus status = dagNodes(args, "parent", args.isFlagSet("-s"), nodes);
    if (!status)
        return status;
    Node* newParent = nullptr;
    if (!args.isFlagSet("-w")) {
        if (nodes.size() < 2)
            return fail("parent: Give the objects to parent and, last, their new parent.",
                        MS::kInvalidParameter);
        newParent = nodes.back();
        nodes.pop_back();
        if (!isTransform(newParent))
            return fail("parent: '" + newParent->name + "' is not a transform.", MS::kInvalidParameter);
    }
    for (Node* child : nodes) {
        if (child->parent == newParent) {
            MGlobal::displayWarning(MString(("Object '" + child->name + "' is already a child of " +
                                             (newParent ? "'" + newParent->name + "'" : "the world") + ".")
                                                .c_str()));
            continue;
        }
        if (isShape(child) && !newParent)
            return fail("parent: the shape '" + child->name + "' needs a transform above it.",
                        MS::kInvalidParameter);
        if (isBelow(newParent, child))
            return fail("parent: '" + child->name + "' cannot be parented under itself or its descendant.",
                        MS::kInvalidParameter);
        status = moveUnder(undo, child, newParent, args.isFlagSet("-r"), "parent");
        if (!status)
            return status;
        result.append(child->name);
    }
    return MS::kSuccess;
}

MSyntax groupSyntax() {
    MSyntax syntax;
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.addFlag("-em", "-empty");
    syntax.addFlag("-w", "-world");
    syntax.addFlag("-p", "-parent", MSyntax::kString);
    syntax.setObjectType(MSyntax::kSelectionList, 0);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

// group [-n name] [-em] [-w | -p parent] objects...: a new transform holding the objects. Without
// -w or -p it goes under the objects' parent when they share one.
MStatus group(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    std::vector<Node*> nodes;
    if (!args.isFlagSet("-em")) {
        MStatus status = dagNodes(args, "group", false, nodes);
        if (!status)
            return status;
    }
    Node* parent = nullptr;
    if (args.isFlagSet("-p")) {
        MString name;
        args.getFlagArgument("-p", 0, name);
        parent = findNode(name.asChar());
        if (!isTransform(parent))
            return fail(std::string("group: '") + name.asChar() + "' is not a transform.",
                        MS::kInvalidParameter);
    } else if (!args.isFlagSet("-w") && !nodes.empty()) {
        parent = nodes.front()->parent;
        for (Node* node : nodes)
            if (node->parent != parent)
                parent = nullptr;
    }
    for (Node* node : nodes)
        if (isBelow(parent, node))
            return fail("group: '" + node->name + "' cannot be grouped under itself or its descendant.",
                        MS::kInvalidParameter);
    MString name("group#");
    if (args.isFlagSet("-n")) {
        args.getFlagArgument("-n", 0, name);
        if (!validName(name.asChar()))
            return fail(std::string("group: '") + name.asChar() + "' is not a valid node name.",
                        MS::kInvalidParameter);
    }
    MStatus status;
    auto groupNode =
        edit::createNode(undo, ClassRegistry::instance().find("transform"), name.asChar(), parent, &status);
    if (!groupNode)
        return fail("group: cannot create the group.", status ? MStatus(MS::kFailure) : status);
    for (Node* node : nodes) {
        status = moveUnder(undo, node, groupNode.get(), false, "group");
        if (!status)
            return status;
    }
    result.append(groupNode->name);
    return MS::kSuccess;
}

} // namespace

void registerParentCommands() {
    registerBuiltin("parent", parentSyntax, parent);
    registerBuiltin("group", groupSyntax, group);
}

} // namespace khost
