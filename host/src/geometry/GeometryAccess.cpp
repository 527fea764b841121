#include "geometry/GeometryAccess.h"
#include "dag/Dag.h"

namespace khost {

GeometryAccess::GeometryAccess(const MObject& object, MFn::Type kind) {
    if (object.isNull() || !object.hasFn(kind))
        return;
    if (Node* node = nodeOf(object)) {
        if (isShape(node))
            fShape = std::static_pointer_cast<Node>(node->shared_from_this());
        return;
    }
    fData = std::dynamic_pointer_cast<GeometryData>(object.impl());
}

const GeometryData* GeometryAccess::read() const {
    if (fData)
        return fData.get();
    return fShape && fShape->isAlive ? shapeGeometry(fShape.get()) : nullptr;
}

MMatrix GeometryAccess::matrix() const {
    if (fData)
        return fData->matrix;
    return fShape ? worldMatrix(fShape.get()) : MMatrix();
}

MStatus GeometryAccess::getPoints(MPointArray& points, MSpace::Space space) const {
    const GeometryData* geometry = read();
    if (!geometry)
        return MS::kInvalidParameter;
    points = geometry->points;
    if (space == MSpace::kWorld) {
        MMatrix world = matrix();
        for (MPoint& p : points)
            p *= world;
    }
    return MS::kSuccess;
}

MStatus GeometryAccess::setPoints(const MPointArray& points, MSpace::Space space) {
    if (fShape) {
        if (!fShape->isAlive)
            return MS::kInvalidParameter;
        // Function sets and iterators edit immediately, outside the undo queue, as in Maya.
        UndoRecord unrecorded;
        return setShapePoints(unrecorded, fShape.get(), points, space);
    }
    if (!fData || fData->points.length() != points.length())
        return MS::kInvalidParameter;
    MPointArray local = points;
    if (space == MSpace::kWorld) {
        MMatrix toObject = fData->matrix.inverse();
        for (MPoint& p : local)
            p *= toObject;
    }
    fData->points = local;
    wrapPeriodicCVs(*fData);
    return MS::kSuccess;
}

MStatus GeometryAccess::touch() {
    if (!fShape)
        return fData ? MS::kSuccess : MS::kInvalidParameter;
    if (!fShape->isAlive)
        return MS::kInvalidParameter;
    Scene::instance().dirtyFrom(fShape.get(), PlugKey{shapeAttributes(fShape.get()).input, {}});
    return MS::kSuccess;
}

MObject placeCreatedGeometry(const std::shared_ptr<GeometryData>& geometry, const MObject& parentOrOwner,
                             const char* shapeType, const char* transformName, MObject& attached,
                             MStatus* status) {
    auto done = [&](MObject result, MStatus code) {
        if (status)
            *status = code;
        return result;
    };
    auto* owner = objectAs<GeometryData>(parentOrOwner);
    if (owner && owner->apiType() == geometry->apiType()) {
        // Assign through the concrete type so that topology, knots and form come along.
        auto copy = std::static_pointer_cast<GeometryData>(geometry->clone());
        copy->matrix = owner->matrix;
        if (auto* mesh = dynamic_cast<MeshData*>(owner))
            *mesh = static_cast<const MeshData&>(*copy);
        else if (auto* curve = dynamic_cast<NurbsCurveData*>(owner))
            *curve = static_cast<const NurbsCurveData&>(*copy);
        attached = parentOrOwner;
        return done(parentOrOwner, MS::kSuccess);
    }
    UndoRecord unrecorded;
    Node* parent = nodeOf(parentOrOwner);
    if (!parentOrOwner.isNull() && !isTransform(parent))
        return done(MObject(), MS::kInvalidParameter);
    std::shared_ptr<Node> shape;
    MObject result;
    if (parent) {
        shape = addShape(unrecorded, shapeType, MObject(geometry), parent);
        result = shape ? shape->handle() : MObject();
    } else {
        auto transform =
            createShape(unrecorded, shapeType, MObject(geometry), transformName, nullptr, nullptr);
        if (transform && !transform->children.empty())
            shape = std::static_pointer_cast<Node>(transform->children.front()->shared_from_this());
        result = transform ? transform->handle() : MObject();
    }
    if (!shape)
        return done(MObject(), MS::kInvalidParameter);
    attached = shape->handle();
    return done(result, MS::kSuccess);
}

} // namespace khost
