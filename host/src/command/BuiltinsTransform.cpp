// move, rotate, scale, xform, pointPosition.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "command/Components.h"
#include "command/Names.h"
#include "command/Values.h"
#include "dag/Dag.h"
#include <cmath>
#include <maya/MGlobal.h>

namespace khost {

namespace {

struct Targets {
    std::vector<MSelectionList::Item> items;
    MVector value;
};

// The three leading numbers and the objects after them (the active selection when none).
bool readTargets(const MArgDatabase& args, const char* command, Targets& targets, MStatus& status) {
    MStringArray words;
    args.getObjects(words);
    if (words.length() < 3) {
        status = fail(std::string(command) + ": Give x, y and z values.", MS::kInvalidParameter);
        return false;
    }
    for (unsigned int k = 0; k < 3; ++k) {
        if (!parseNumber(words[k].asChar(), targets.value[k])) {
            status = fail(std::string(command) + ": '" + words[k].asChar() + "' is not a number.",
                          MS::kInvalidParameter);
            return false;
        }
    }
    MSelectionList selection;
    if (words.length() == 3) {
        MGlobal::getActiveSelectionList(selection);
    } else {
        for (unsigned int k = 3; k < words.length(); ++k)
            if (!selection.add(words[k])) {
                status =
                    fail(std::string("No object matches name: ") + words[k].asChar(), MS::kInvalidParameter);
                return false;
            }
    }
    if (selection.isEmpty()) {
        status = fail(std::string(command) + ": Nothing to act on.", MS::kInvalidParameter);
        return false;
    }
    targets.items = selection.items();
    return true;
}

bool channelFree(Node* transform, const char* channel) {
    PlugKey key = transform->keyOf(channel);
    for (const PlugKey& locked : transform->locked)
        if (key.overlaps(locked))
            return false;
    for (const auto& in : transform->incoming)
        if (in.first.overlaps(key))
            return false;
    return true;
}

bool isFinite(const MVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

MStatus setChannel(UndoRecord& undo, Node* transform, Trs which, const MVector& value) {
    const char* channel = which == Trs::Translate ? "translate" : which == Trs::Rotate ? "rotate" : "scale";
    if (!channelFree(transform, channel))
        return fail("The attribute '" + transform->name + "." + channel +
                    "' is locked or connected and cannot be modified.");
    if (!isFinite(value))
        return fail("The value of '" + transform->name + "." + channel + "' would not be a finite number.",
                    MS::kInvalidParameter);
    return setTransformValue(undo, transform, which, value);
}

MMatrix parentWorld(Node* node) {
    return node->parent ? worldMatrix(node->parent) : MMatrix();
}

// A world-space point as the transform's translate: in its parent's space.
MVector translateFor(Node* transform, const MVector& world) {
    MPoint p(world.x, world.y, world.z);
    p *= parentWorld(transform).inverse();
    return {p.x, p.y, p.z};
}

MStatus moveTransform(UndoRecord& undo, Node* transform, const MVector& value, bool relative,
                      bool objectSpace) {
    MVector t = transformValue(transform, Trs::Translate);
    if (!relative)
        return setChannel(undo, transform, Trs::Translate,
                          objectSpace ? value : translateFor(transform, value));
    MVector offset;
    if (objectSpace) {
        // Along the node's own axes, whatever their scale.
        MMatrix local = localMatrix(transform);
        for (unsigned int r = 0; r < 3; ++r) {
            MVector axis(local[r][0], local[r][1], local[r][2]);
            double length = axis.length();
            offset += (length > 0.0 ? axis / length : axis) * value[r];
        }
    } else {
        offset = value * parentWorld(transform).inverse();
    }
    return setChannel(undo, transform, Trs::Translate, t + offset);
}

MStatus movePoints(UndoRecord& undo, const MSelectionList::Item& item, const MVector& value, bool relative,
                   bool objectSpace) {
    Node* shape = nodeOf(item.node);
    MSpace::Space space = objectSpace ? MSpace::kObject : MSpace::kWorld;
    MPointArray points;
    MStatus status = getShapePoints(shape, points, space);
    if (!status)
        return fail("move: cannot read the points of '" + shape->name + "'.", status);
    const unsigned int components = componentCount(shape);
    for (unsigned int index : item.indices) {
        if (index >= components)
            return fail("move: '" + item.text() + "' does not exist.", MS::kInvalidParameter);
        MPoint& p = points[index];
        p = relative ? p + value : MPoint(value.x, value.y, value.z);
        if (!isFinite(p))
            return fail("move: '" + item.text() + "' would not be at a finite position.",
                        MS::kInvalidParameter);
    }
    status = setShapePoints(undo, shape, points, space);
    if (!status)
        return fail("move: cannot move the points of '" + shape->name + "': it has history or is locked.",
                    status);
    return status;
}

MSyntax trsSyntax() {
    MSyntax syntax;
    syntax.addFlag("-r", "-relative");
    syntax.addFlag("-a", "-absolute");
    syntax.addFlag("-os", "-objectSpace");
    syntax.addFlag("-ws", "-worldSpace");
    syntax.setObjectType(MSyntax::kStringObjects, 3);
    return syntax;
}

MStatus move(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    Targets targets;
    MStatus status;
    if (!readTargets(args, "move", targets, status))
        return status;
    bool relative = args.isFlagSet("-r"), objectSpace = args.isFlagSet("-os");
    for (const MSelectionList::Item& item : targets.items) {
        Node* node = nodeOf(item.node);
        if (!item.componentKind.empty())
            status = movePoints(undo, item, targets.value, relative, objectSpace);
        else if (isTransform(node) && item.plug.isNull())
            status = moveTransform(undo, node, targets.value, relative, objectSpace);
        else
            status =
                fail("move: '" + item.text() + "' is not a transform or a component.", MS::kInvalidParameter);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}

// rotate and scale work on the channels of transforms: relative adds rotations and multiplies scales.
MStatus channelCommand(const MArgDatabase& args, UndoRecord& undo, Trs which, const char* name) {
    Targets targets;
    MStatus status;
    if (!readTargets(args, name, targets, status))
        return status;
    for (const MSelectionList::Item& item : targets.items) {
        Node* node = nodeOf(item.node);
        if (!isTransform(node) || !item.plug.isNull() || !item.componentKind.empty())
            return fail(std::string(name) + ": '" + item.text() + "' is not a transform.",
                        MS::kInvalidParameter);
        MVector value = targets.value;
        if (args.isFlagSet("-r")) {
            MVector current = transformValue(node, which);
            value = which == Trs::Scale
                        ? MVector(current.x * value.x, current.y * value.y, current.z * value.z)
                        : current + value;
        }
        status = setChannel(undo, node, which, value);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}

MStatus rotate(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    return channelCommand(args, undo, Trs::Rotate, "rotate");
}

MStatus scale(const MArgDatabase& args, CommandResult&, UndoRecord& undo) {
    return channelCommand(args, undo, Trs::Scale, "scale");
}

// --- xform ---

MSyntax xformSyntax() {
    MSyntax syntax;
    syntax.addFlag("-t", "-translation", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-ro", "-rotation", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-s", "-scale", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-r", "-relative");
    syntax.addFlag("-ws", "-worldSpace");
    syntax.addFlag("-os", "-objectSpace");
    syntax.enableQuery();
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

MVector flagVector(const MArgDatabase& args, const char* flag) {
    MVector v;
    for (unsigned int k = 0; k < 3; ++k)
        args.getFlagArgument(flag, k, v[k]);
    return v;
}

// xform on components: their positions (-q -t) or a move to a position (-t), in object space unless -ws.
MStatus xformPoints(const MArgDatabase& args, const MSelectionList::Item& item, CommandResult& result,
                    UndoRecord& undo) {
    const bool world = args.isFlagSet("-ws");
    if (args.isFlagSet("-ro") || args.isFlagSet("-s") || !args.isFlagSet("-t"))
        return fail("xform: components take -t only.", MS::kInvalidParameter);
    if (!args.isQuery())
        return movePoints(undo, item, flagVector(args, "-t"), args.isFlagSet("-r"), !world);
    MPointArray points;
    Node* shape = nodeOf(item.node);
    if (!getShapePoints(shape, points, world ? MSpace::kWorld : MSpace::kObject))
        return fail("xform: cannot read the points of '" + shape->name + "'.", MS::kFailure);
    for (unsigned int index : item.indices) {
        if (index >= points.length())
            return fail("xform: '" + item.text() + "' does not exist.", MS::kInvalidParameter);
        for (unsigned int k = 0; k < 3; ++k)
            result.append(points[index][k]);
    }
    return MS::kSuccess;
}

MStatus xform(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    MSelectionList items;
    args.getObjects(items);
    bool world = args.isFlagSet("-ws"), relative = args.isFlagSet("-r");
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        if (!item.componentKind.empty()) {
            MStatus status = xformPoints(args, item, result, undo);
            if (!status)
                return status;
            continue;
        }
        if (!isTransform(node) || !item.plug.isNull())
            return fail("xform: '" + item.text() + "' is not a transform or a component.",
                        MS::kInvalidParameter);
        if (args.isQuery()) {
            MVector value;
            if (args.isFlagSet("-t")) {
                MMatrix m = world ? worldMatrix(node) : localMatrix(node);
                value = MVector(m[3][0], m[3][1], m[3][2]);
            } else if (args.isFlagSet("-ro")) {
                value = transformValue(node, Trs::Rotate);
            } else if (args.isFlagSet("-s")) {
                value = transformValue(node, Trs::Scale);
            } else {
                return fail("xform: Query needs -t, -ro or -s.", MS::kInvalidParameter);
            }
            for (unsigned int k = 0; k < 3; ++k)
                result.append(value[k]);
            continue;
        }
        MStatus status;
        if (args.isFlagSet("-s")) {
            MVector s = flagVector(args, "-s"), current = transformValue(node, Trs::Scale);
            status = setChannel(undo, node, Trs::Scale,
                                relative ? MVector(current.x * s.x, current.y * s.y, current.z * s.z) : s);
            if (!status)
                return status;
        }
        if (args.isFlagSet("-ro")) {
            MVector r = flagVector(args, "-ro");
            status =
                setChannel(undo, node, Trs::Rotate, relative ? transformValue(node, Trs::Rotate) + r : r);
            if (!status)
                return status;
        }
        if (args.isFlagSet("-t")) {
            status = moveTransform(undo, node, flagVector(args, "-t"), relative, !world);
            if (!status)
                return status;
        }
    }
    return MS::kSuccess;
}

// --- pointPosition ---

MSyntax pointPositionSyntax() {
    MSyntax syntax;
    syntax.addFlag("-l", "-local");
    syntax.addFlag("-w", "-world");
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

MStatus pointPosition(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    MStringArray words;
    args.getObjects(words);
    MSelectionList found;
    if (!found.add(words[0]))
        return fail(std::string("No object matches name: ") + words[0].asChar(), MS::kInvalidParameter);
    const MSelectionList::Item& item = found.items().front();
    if (item.componentKind.empty() || item.indices.size() != 1)
        return fail(std::string("pointPosition: '") + words[0].asChar() + "' is not a single point.",
                    MS::kInvalidParameter);
    MPointArray points;
    MSpace::Space space = args.isFlagSet("-l") ? MSpace::kObject : MSpace::kWorld;
    MStatus status = getShapePoints(nodeOf(item.node), points, space);
    if (!status || item.indices[0] >= points.length())
        return fail(std::string("pointPosition: cannot read '") + words[0].asChar() + "'.", MS::kFailure);
    const MPoint& p = points[item.indices[0]];
    result.append(p.x);
    result.append(p.y);
    result.append(p.z);
    return MS::kSuccess;
}

} // namespace

void registerTransformCommands() {
    registerBuiltin("move", trsSyntax, move);
    registerBuiltin("rotate", trsSyntax, rotate);
    registerBuiltin("scale", trsSyntax, scale);
    registerBuiltin("xform", xformSyntax, xform);
    registerBuiltin("pointPosition", pointPositionSyntax, pointPosition);
}

} // namespace khost
