// blendShape: a blendShape deformer on a base shape with its targets, as Maya's command makes one.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "dag/Dag.h"
#include "deformer/BlendShape.h"
#include "deformer/GeometryFilter.h"
#include "dg/Scene.h"
#include <maya/MArgList.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MSelectionList.h>

namespace khost {

namespace {

MSyntax blendShapeSyntax() {
    MSyntax syntax;
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.addFlag("-w", "-weight", MSyntax::kUnsigned, MSyntax::kDouble);
    syntax.makeFlagMultiUse("-w");
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

MStatus setWeight(UndoRecord& undo, const MObject& node, unsigned int target, double value) {
    MPlug weight = MFnDependencyNode(node).findPlug("weight", false).elementByLogicalIndex(target);
    Value stored(keyFor(weight).attr, false);
    stored.setNumeric(value);
    return edit::setValue(undo, weight, stored);
}

// Target t: its shape's world geometry feeds the full item, its weight starts at 0 under the name of
// the object given for it.
MStatus addTarget(UndoRecord& undo, Node* deformer, unsigned int target, Node* object, Node* shape) {
    MObject node = deformer->handle();
    MFnDependencyNode fn(node);
    const MPlug source = plugFor(shape, PlugKey{shapeAttributes(shape).world, {0}});
    const MPlug item(node, fn.attribute("inputGeomTarget"),
                     {0, static_cast<int>(target), static_cast<int>(kFullTargetItem)});
    MStatus status = edit::connect(undo, source, item);
    if (status)
        status = setWeight(undo, node, target, 0.0);
    if (!status)
        return status;
    const MPlug weight = fn.findPlug("weight", false).elementByLogicalIndex(target);
    if (deformer->cls->find(object->name) || !edit::setAlias(undo, deformer, object->name, keyFor(weight)))
        return fail("blendShape: The alias '" + object->name + "' is already used on '" + deformer->name +
                    "'.");
    return MS::kSuccess;
}

MStatus blendShape(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    MSelectionList items;
    args.getObjects(items);
    std::vector<Node*> objects, shapes;
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        Node* shape = shapeOf(node);
        if (!shape || !item.plug.isNull())
            return fail("blendShape: '" + item.text() + "' is not a deformable shape.",
                        MS::kInvalidParameter);
        objects.push_back(node);
        shapes.push_back(shape);
    }
    Node* base = shapes.back();
    const GeometryData* baseGeometry = shapeGeometry(base);
    for (size_t t = 0; t + 1 < shapes.size(); ++t) {
        const GeometryData* geometry = shapeGeometry(shapes[t]);
        if (shapes[t]->cls != base->cls || !geometry || !baseGeometry ||
            geometry->points.length() != baseGeometry->points.length())
            return fail("blendShape: The target '" + objects[t]->name + "' does not match the base '" +
                            objects.back()->name + "'.",
                        MS::kInvalidParameter);
    }
    MString name;
    args.getFlagArgument("-n", 0, name);
    std::shared_ptr<Node> created;
    MStatus status = insertDeformer(undo, ClassRegistry::instance().find("blendShape"),
                                    name.length() ? name.asChar() : "blendShape#", {base}, &created);
    if (!status || !created)
        return fail("blendShape: cannot add a blendShape deformer.", status ? MStatus(MS::kFailure) : status);
    for (size_t t = 0; t + 1 < shapes.size(); ++t) {
        status = addTarget(undo, created.get(), static_cast<unsigned int>(t), objects[t], shapes[t]);
        if (!status)
            return status;
    }
    for (unsigned int use = 0; use < args.numberOfFlagUses("-w"); ++use) {
        MArgList values;
        args.getFlagArgumentList("-w", use, values);
        const int target = values.asInt(0);
        if (target < 0)
            return fail("blendShape: -weight takes a target index and a weight.", MS::kInvalidParameter);
        status = setWeight(undo, created->handle(), static_cast<unsigned int>(target), values.asDouble(1));
        if (!status)
            return status;
    }
    result.append(created->name);
    return MS::kSuccess;
}

} // namespace

void registerBlendShapeCommand() {
    registerBuiltin("blendShape", blendShapeSyntax, blendShape);
}

} // namespace khost
