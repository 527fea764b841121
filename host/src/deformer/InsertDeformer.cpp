#include "dag/Dag.h"
#include "deformer/GeometryFilter.h"
#include <algorithm>
#include <maya/MPxGeometryFilter.h>

namespace khost {

namespace {

PlugKey inputGeometryKey(unsigned index) {
    return PlugKey{attributeOf(MPxGeometryFilter::inputGeom).get(), {static_cast<int>(index)}};
}

PlugKey outputGeometryKey(unsigned index) {
    return PlugKey{attributeOf(MPxGeometryFilter::outputGeom).get(), {static_cast<int>(index)}};
}

// The source that will feed the deformer: an existing upstream plug, or a new intermediate copy
// of the shape's own geometry.
MStatus historySource(UndoRecord& record, Node* shape, MPlug& source) {
    ShapeAttributes attributes = shapeAttributes(shape);
    PlugKey inKey{attributes.input, {}};
    auto upstream = shape->incoming.find(inKey);
    if (upstream != shape->incoming.end()) {
        source = plugFor(upstream->second.node, upstream->second.key);
        return edit::disconnect(record, source, plugFor(shape, inKey));
    }
    Value* own = shape->find(inKey, false);
    if (!own || own->data.isNull())
        return MS::kInvalidParameter;
    auto orig = edit::createNode(record, shape->cls, shape->name + "Orig", shape->parent);
    if (!orig)
        return MS::kFailure;
    // A node made here disappears as a whole on undo: its values need no undo steps.
    Scene& scene = Scene::instance();
    scene.setValue(plugFor(orig.get(), inKey), *own);
    Value intermediate(attributes.intermediate, false);
    intermediate.setNumeric(1.0);
    scene.setValue(plugFor(orig.get(), PlugKey{attributes.intermediate, {}}), intermediate);
    source = plugFor(orig.get(), PlugKey{attributes.world, {0}});
    return MS::kSuccess;
}

} // namespace

MStatus insertDeformer(UndoRecord& record, NodeClass* deformerClass, const std::string& name,
                       const std::vector<Node*>& shapes, std::shared_ptr<Node>* created) {
    if (!deformerClass || deformerClass->role != NodeRole::Deformer || shapes.empty())
        return MS::kInvalidParameter;
    std::vector<Node*> targets;
    for (Node* node : shapes) {
        Node* shape = shapeOf(node);
        if (!shape || std::find(targets.begin(), targets.end(), shape) != targets.end())
            return MS::kInvalidParameter;
        targets.push_back(shape);
    }
    MStatus status;
    auto deformer = edit::createNode(record, deformerClass, name, nullptr, &status);
    if (!deformer)
        return status ? MStatus(MS::kFailure) : status;
    for (unsigned g = 0; g < targets.size(); ++g) {
        Node* shape = targets[g];
        PlugKey inKey{shapeAttributes(shape).input, {}};
        std::shared_ptr<Value> before(shape->find(inKey, true)->clone());
        MPlug source;
        status = historySource(record, shape, source);
        if (status)
            status = edit::connect(record, source, plugFor(deformer.get(), inputGeometryKey(g)));
        if (status)
            status =
                edit::connect(record, plugFor(deformer.get(), outputGeometryKey(g)), plugFor(shape, inKey));
        if (!status)
            return status;
        // Undo gives the shape back the geometry it held, before the disconnection that undo makes
        // next would otherwise keep the deformed result.
        auto keep = std::static_pointer_cast<Node>(shape->shared_from_this());
        record.add(
            [keep, inKey, before]() {
                Value* value = keep->find(inKey, true);
                value->assign(*before);
                value->setDirtyTree(false);
                Scene::instance().dirtyFrom(keep.get(), inKey);
            },
            []() {});
    }
    if (created)
        *created = deformer;
    return MS::kSuccess;
}

} // namespace khost
