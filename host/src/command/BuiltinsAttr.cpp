// setAttr, getAttr, connectAttr, disconnectAttr, aliasAttr, listConnections.
#include "command/AttrValues.h"
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "command/Names.h"
#include <algorithm>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>

namespace khost {

namespace {

bool lockedOrConnected(Node* node, const PlugKey& key) {
    for (const PlugKey& locked : node->locked)
        if (key.within(locked))
            return true;
    for (const auto& in : node->incoming)
        if (in.first.overlaps(key))
            return true;
    return false;
}

std::string longName(Node* node, const PlugKey& key) {
    return plugFor(node, key).partialName(true, false, false, false, false, true).asChar();
}

// --- setAttr ---

MSyntax setAttrSyntax() {
    MSyntax syntax;
    syntax.addFlag("-type", "-type", MSyntax::kString);
    syntax.addFlag("-l", "-lock", MSyntax::kBoolean);
    syntax.addFlag("-s", "-size", MSyntax::kUnsigned);
    syntax.setObjectType(MSyntax::kStringObjects, 1);
    return syntax;
}

MStatus setAttr(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    std::vector<std::string> words = objectsOf(args);
    std::string problem;
    PlugPath path;
    if (!resolvePlug(words[0], path, problem))
        return fail(problem, MS::kInvalidParameter);
    std::string name = longName(path.node, path.key);
    words.erase(words.begin());
    MString typeName;
    args.getFlagArgument("-type", 0, typeName);
    bool lock = false;
    bool lockGiven = args.isFlagSet("-l");
    args.getFlagArgument("-l", 0, lock);
    MPlug plug = plugFor(path.node, path.key);
    if (lockGiven && !lock) {
        MStatus status = edit::setLocked(undo, plug, false);
        if (!status)
            return status;
    }
    if (!words.empty() || args.isFlagSet("-s")) {
        if (!path.key.attr->writable)
            return fail("setAttr: The attribute '" + name + "' is not writable.");
        if (lockedOrConnected(path.node, path.key))
            return fail("setAttr: The attribute '" + name +
                        "' is locked or connected and cannot be modified.");
    }
    if (words.empty() && args.isFlagSet("-s")) {
        // As in Maya, the size is only a hint for what follows: no element is made.
        if (!path.key.isArrayPlug())
            return fail("setAttr: -size needs an array attribute: '" + name + "'.");
    } else if (!words.empty()) {
        if (path.key.isArrayPlug() && !path.hasRange)
            return fail("setAttr: '" + name + "' is an array: give an element or a range of elements.");
        if (!path.key.fullySpecified() && !path.hasRange)
            return fail("setAttr: '" + name + "' needs the indices of its array attributes.");
        WordReader in(words);
        unsigned int first = path.hasRange ? path.first : 0, last = path.hasRange ? path.last : 0;
        for (unsigned int i = first; i <= last; ++i) {
            PlugKey key = path.key;
            if (path.hasRange)
                key.indices.back() = static_cast<int>(i);
            Value value(key.attr, false);
            if (Value* current = path.node->find(key, false))
                value.assign(*current);
            if (!readValue(key.attr, typeName.asChar(), in, value, problem))
                return fail("setAttr: Error reading data for '" + name + "': " + problem + ".");
            MStatus status = edit::setValue(undo, plugFor(path.node, key), value);
            if (!status)
                return fail("setAttr: cannot set '" + name + "'.", status);
        }
        if (!in.done())
            return fail("setAttr: Too many values for '" + name + "'.");
    }
    if (lockGiven && lock)
        return edit::setLocked(undo, plug, true);
    return MS::kSuccess;
}

// --- getAttr ---

MSyntax getAttrSyntax() {
    MSyntax syntax;
    syntax.addFlag("-s", "-size");
    syntax.addFlag("-l", "-lock");
    syntax.addFlag("-mi", "-multiIndices");
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

MStatus getAttr(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    std::string problem;
    PlugPath path;
    if (!resolvePlug(objectsOf(args)[0], path, problem))
        return fail(problem, MS::kInvalidParameter);
    MPlug plug = plugFor(path.node, path.key);
    const std::string name = longName(path.node, path.key);
    if (args.isFlagSet("-l")) {
        result.append(plug.isLocked() ? 1.0 : 0.0);
        return MS::kSuccess;
    }
    if (args.isFlagSet("-mi")) {
        if (!path.key.isArrayPlug() || path.hasRange)
            return fail("getAttr: '" + name + "' is not a multi attribute.", MS::kInvalidParameter);
        MIntArray indices;
        plug.getExistingArrayAttributeIndices(indices);
        for (int index : indices)
            result.append(static_cast<double>(index));
        return MS::kSuccess;
    }
    if (args.isFlagSet("-s")) {
        if (path.hasRange)
            result.append(static_cast<double>(path.last - path.first + 1));
        else
            result.append(path.key.isArrayPlug() ? static_cast<double>(plug.evaluateNumElements()) : 1.0);
        return MS::kSuccess;
    }
    if (!path.key.fullySpecified() && !path.key.isArrayPlug())
        return fail("getAttr: '" + name + "' needs the indices of its array attributes.");
    std::unique_ptr<Value> value = Scene::instance().getValue(plug);
    if (!value)
        return fail("getAttr: The value of '" + name + "' cannot be read.");
    // A range reads the elements that exist in it, however wide it is.
    if (path.hasRange)
        value->elements.erase(
            std::remove_if(value->elements.begin(), value->elements.end(),
                           [&](const auto& e) { return e.first < path.first || e.first > path.last; }),
            value->elements.end());
    if (!printValue(*value, result, problem))
        return fail("getAttr: The value of '" + name + "' cannot be read: " + problem + ".");
    return MS::kSuccess;
}

// --- connectAttr / disconnectAttr ---

MSyntax connectSyntax() {
    MSyntax syntax;
    syntax.addFlag("-f", "-force");
    syntax.setObjectType(MSyntax::kStringObjects, 2, 2);
    return syntax;
}

bool resolvePair(const MArgDatabase& args, PlugPath& src, PlugPath& dst, MStatus& status) {
    std::vector<std::string> words = objectsOf(args);
    std::string problem;
    if (!resolvePlug(words[0], src, problem) || src.hasRange) {
        status = fail("The source attribute '" + words[0] + "' cannot be found.", MS::kInvalidParameter);
        return false;
    }
    if (!resolvePlug(words[1], dst, problem) || dst.hasRange) {
        status = fail("The destination attribute '" + words[1] + "' cannot be found.", MS::kInvalidParameter);
        return false;
    }
    return true;
}

MStatus connectAttr(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    PlugPath src, dst;
    MStatus status;
    if (!resolvePair(args, src, dst, status))
        return status;
    std::string srcName = longName(src.node, src.key), dstName = longName(dst.node, dst.key);
    auto in = dst.node->incoming.find(dst.key);
    if (in != dst.node->incoming.end()) {
        std::string current = longName(in->second.node, in->second.key);
        if (in->second.node == src.node && in->second.key == src.key)
            return fail("'" + srcName + "' is already connected to '" + dstName + "'.");
        if (!args.isFlagSet("-f"))
            return fail("'" + dstName + "' already has an incoming connection from '" + current + "'.");
        status = edit::disconnect(undo, plugFor(in->second.node, in->second.key), plugFor(dst.node, dst.key));
        if (!status)
            return fail("Connection not made: '" + srcName + "' -> '" + dstName + "'.", status);
    }
    if (plugFor(dst.node, dst.key).isLocked())
        return fail("Connection not made: '" + srcName + "' -> '" + dstName +
                    "'. The destination is locked.");
    status = edit::connect(undo, plugFor(src.node, src.key), plugFor(dst.node, dst.key));
    if (!status)
        return fail("Connection not made: '" + srcName + "' -> '" + dstName + "'.", status);
    result.append("Connected " + srcName + " to " + dstName + ".");
    return MS::kSuccess;
}

MStatus disconnectAttr(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    PlugPath src, dst;
    MStatus status;
    if (!resolvePair(args, src, dst, status))
        return status;
    std::string srcName = longName(src.node, src.key), dstName = longName(dst.node, dst.key);
    status = edit::disconnect(undo, plugFor(src.node, src.key), plugFor(dst.node, dst.key));
    if (!status)
        return fail("There is no connection from '" + srcName + "' to '" + dstName + "' to disconnect.",
                    status);
    result.append("Disconnect " + srcName + " from " + dstName + ".");
    return MS::kSuccess;
}

// --- removeMultiInstance ---

MSyntax removeMultiInstanceSyntax() {
    MSyntax syntax;
    syntax.addFlag("-b", "-break", MSyntax::kBoolean);
    syntax.setObjectType(MSyntax::kStringObjects, 1);
    return syntax;
}

MStatus removeMultiInstance(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    bool breakConnections = false;
    args.getFlagArgument("-b", 0, breakConnections);
    for (const std::string& text : objectsOf(args)) {
        std::string problem;
        PlugPath path;
        if (!resolvePlug(text, path, problem) || path.hasRange)
            return fail(problem.empty() ? "No object matches name: " + text : problem, MS::kInvalidParameter);
        const std::string name = longName(path.node, path.key);
        if (!path.key.isElement())
            return fail("removeMultiInstance: '" + name + "' is not an element of a multi attribute.",
                        MS::kInvalidParameter);
        if (plugFor(path.node, path.key).isLocked())
            return fail("removeMultiInstance: '" + name + "' is locked and cannot be removed.");
        MStatus status = edit::removeElement(undo, plugFor(path.node, path.key), breakConnections);
        if (status == MS::kFailure && !breakConnections)
            return fail("removeMultiInstance: '" + name +
                            "' is connected: use -b true to break its connections and remove it.",
                        status);
        if (!status)
            return fail("removeMultiInstance: cannot remove '" + name + "'.", status);
    }
    return MS::kSuccess;
}

// --- aliasAttr ---

MSyntax aliasSyntax() {
    MSyntax syntax;
    syntax.addFlag("-rm", "-remove");
    syntax.enableQuery();
    syntax.setObjectType(MSyntax::kStringObjects, 1, 2);
    return syntax;
}

MStatus aliasAttr(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    std::vector<std::string> words = objectsOf(args);
    if (args.isQuery()) {
        Node* node = findNode(words[0]);
        if (!node || words.size() != 1)
            return fail("No object matches name: " + words[0], MS::kInvalidParameter);
        for (const auto& alias : node->aliases) {
            result.append(alias.first);
            result.append(
                plugFor(node, alias.second).partialName(false, false, false, false, false, true).asChar());
        }
        return MS::kSuccess;
    }
    std::string problem;
    PlugPath path;
    const std::string& plugText = words.back();
    if (!resolvePlug(plugText, path, problem) || path.hasRange)
        return fail(problem.empty() ? "No object matches name: " + plugText : problem, MS::kInvalidParameter);
    if (args.isFlagSet("-rm")) {
        if (words.size() != 1)
            return fail("aliasAttr: -remove takes one attribute.", MS::kInvalidParameter);
        return edit::setAlias(undo, path.node, std::string(), path.key);
    }
    if (words.size() != 2)
        return fail("aliasAttr: Give an alias and an attribute.", MS::kInvalidParameter);
    const std::string& alias = words[0];
    if (alias.empty() || alias.find_first_of(".[]| ") != std::string::npos || path.node->cls->find(alias))
        return fail("aliasAttr: '" + alias + "' cannot be used as an alias on '" + path.node->name + "'.");
    MStatus status = edit::setAlias(undo, path.node, alias, path.key);
    if (!status)
        return fail("aliasAttr: The alias '" + alias + "' is already used on '" + path.node->name + "'.",
                    status);
    return MS::kSuccess;
}

// --- listConnections ---

MSyntax listConnectionsSyntax() {
    MSyntax syntax;
    syntax.addFlag("-s", "-source", MSyntax::kBoolean);
    syntax.addFlag("-d", "-destination", MSyntax::kBoolean);
    syntax.addFlag("-p", "-plugs", MSyntax::kBoolean);
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

MStatus listConnections(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    bool sources = true, destinations = true, plugs = false;
    args.getFlagArgument("-s", 0, sources);
    args.getFlagArgument("-d", 0, destinations);
    args.getFlagArgument("-p", 0, plugs);
    std::string text = objectsOf(args)[0];
    Node* node = findNode(text);
    PlugPath path;
    std::string problem;
    if (!node) {
        if (!resolvePlug(text, path, problem) || path.hasRange)
            return fail(problem.empty() ? "No object matches name: " + text : problem, MS::kInvalidParameter);
        node = path.node;
    }
    // In the order of the node's attributes, so that scripts see a stable list.
    std::vector<Connection> connections = Scene::instance().connectionsOf(node);
    auto rank = [node](const Connection& c) {
        const Endpoint& here = c.dst.node == node ? c.dst : c.src;
        return std::make_pair(node->cls->positionOf(here.key.attr), here.key.indices);
    };
    std::stable_sort(connections.begin(), connections.end(),
                     [&](const Connection& a, const Connection& b) { return rank(a) < rank(b); });
    for (const Connection& c : connections) {
        bool incoming = c.dst.node == node;
        const Endpoint& here = incoming ? c.dst : c.src;
        const Endpoint& other = incoming ? c.src : c.dst;
        if ((incoming && !sources) || (!incoming && !destinations))
            continue;
        if (path.key.attr && !here.key.overlaps(path.key))
            continue;
        result.append(plugs ? longName(other.node, other.key) : other.node->name);
    }
    return MS::kSuccess;
}

} // namespace

void registerAttributeCommands() {
    registerBuiltin("setAttr", setAttrSyntax, setAttr);
    registerBuiltin("getAttr", getAttrSyntax, getAttr);
    registerBuiltin("connectAttr", connectSyntax, connectAttr);
    registerBuiltin("disconnectAttr", connectSyntax, disconnectAttr);
    registerBuiltin("aliasAttr", aliasSyntax, aliasAttr);
    registerBuiltin("removeMultiInstance", removeMultiInstanceSyntax, removeMultiInstance);
    registerBuiltin("listConnections", listConnectionsSyntax, listConnections);
}

} // namespace khost
