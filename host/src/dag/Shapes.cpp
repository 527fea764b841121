// The mesh, nurbsCurve and nurbsSurface shapes: their own geometry (the input attribute when nothing
// feeds it), the evaluated local geometry and world-space copies carrying the world matrix.
#include "dag/BuiltinTypes.h"
#include "dag/Dag.h"
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>

namespace khost {

namespace {

struct ShapeAttributeObjects {
    MObject input, output, world, intermediate;
};
ShapeAttributeObjects meshAttrs, curveAttrs, surfaceAttrs;
// nurbsSurface.cached: Maya's scene files give a surface without history there; it reads and writes
// the shape's own geometry (create).
MObject surfaceCached;

void setMatrix(MDataHandle& handle, const MMatrix& matrix) {
    if (auto* geometry = objectAs<GeometryData>(handle.data()))
        geometry->matrix = matrix;
}

class ShapeNode : public MPxNode {
public:
    explicit ShapeNode(const ShapeAttributeObjects& attributes) : fAttrs(attributes) {}

    static MStatus initialize(ShapeAttributeObjects& a, MFnData::Type type, const char* in,
                              const char* inBrief, const char* out, const char* outBrief, const char* world,
                              const char* worldBrief) {
        MFnTypedAttribute typed;
        a.input = typed.create(in, inBrief, type);
        a.output = typed.create(out, outBrief, type);
        typed.setWritable(false);
        typed.setStorable(false);
        a.world = typed.create(world, worldBrief, type);
        typed.setWritable(false);
        typed.setStorable(false);
        typed.setArray(true);
        typed.setUsesArrayDataBuilder(true);
        MFnNumericAttribute numeric;
        a.intermediate = numeric.create("intermediateObject", "io", MFnNumericData::kBoolean, 0);
        for (const MObject* attribute : {&a.input, &a.output, &a.world, &a.intermediate})
            addAttribute(*attribute);
        attributeAffects(a.input, a.output);
        attributeAffects(a.input, a.world);
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        MObject attribute = plug.attribute();
        MDataHandle source;
        MMatrix matrix;
        if (attribute == fAttrs.output) {
            source = block.inputValue(fAttrs.input);
        } else if (attribute == fAttrs.world) {
            source = block.inputValue(fAttrs.output);
            matrix = worldMatrix(hostNode());
        } else {
            return MS::kUnknownParameter;
        }
        MDataHandle out = block.outputValue(plug);
        out.copy(source);
        setMatrix(out, matrix);
        out.setClean();
        return MS::kSuccess;
    }

private:
    const ShapeAttributeObjects& fAttrs;
};

class SurfaceShapeNode : public ShapeNode {
public:
    SurfaceShapeNode() : ShapeNode(surfaceAttrs) {}

    static MStatus initialize() {
        MStatus status = ShapeNode::initialize(surfaceAttrs, MFnData::kNurbsSurface, "create", "cr", "local",
                                               "l", "worldSpace", "ws");
        MFnTypedAttribute typed;
        surfaceCached = typed.create("cached", "cc", MFnData::kNurbsSurface);
        typed.setInternal(true);
        typed.setStorable(false);
        addAttribute(surfaceCached);
        return status;
    }

    bool getInternalValue(const MPlug& plug, MDataHandle& handle) override {
        if (plug.attribute() != surfaceCached)
            return false;
        Value* own = hostNode()->find(PlugKey{attributeOf(surfaceAttrs.input).get(), {}}, false);
        handle.setMObject(own ? own->data : MObject());
        return true;
    }

    bool setInternalValue(const MPlug& plug, const MDataHandle& handle) override {
        if (plug.attribute() != surfaceCached)
            return false;
        Value geometry(attributeOf(surfaceAttrs.input).get(), false);
        MDataHandle source(handle);
        geometry.data = source.data();
        // Refused (a connected create, say) means nothing was stored.
        return Scene::instance().setValue(plugFor(hostNode(), PlugKey{geometry.attr, {}}), geometry) ==
               MS::kSuccess;
    }
};

ShapeAttributes rawAttributes(const ShapeAttributeObjects& a) {
    return {attributeOf(a.input).get(), attributeOf(a.output).get(), attributeOf(a.world).get(),
            attributeOf(a.intermediate).get()};
}

} // namespace

// pPlane1 -> pPlaneShape1, base -> baseShape.
std::string shapeNameFor(const std::string& transformName) {
    size_t digits = transformName.find_last_not_of("0123456789");
    size_t split = digits == std::string::npos ? 0 : digits + 1;
    return transformName.substr(0, split) + "Shape" + transformName.substr(split);
}

void registerShapeTypes() {
    registerBuiltinClass(
        "mesh", MTypeId(0x444d5348), NodeRole::Shape, MFn::kMesh,
        []() -> void* { return new ShapeNode(meshAttrs); },
        []() {
            return ShapeNode::initialize(meshAttrs, MFnData::kMesh, "inMesh", "i", "outMesh", "o",
                                         "worldMesh", "w");
        });
    registerBuiltinClass(
        "nurbsCurve", MTypeId(0x4e435256), NodeRole::Shape, MFn::kNurbsCurve,
        []() -> void* { return new ShapeNode(curveAttrs); },
        []() {
            return ShapeNode::initialize(curveAttrs, MFnData::kNurbsCurve, "create", "cr", "local", "l",
                                         "worldSpace", "ws");
        });
    registerBuiltinClass(
        "nurbsSurface", MTypeId(0x4e535246), NodeRole::Shape, MFn::kNurbsSurface,
        []() -> void* { return new SurfaceShapeNode(); }, &SurfaceShapeNode::initialize);
}

ShapeAttributes shapeAttributes(const Node* node) {
    if (!node || node->cls->role != NodeRole::Shape)
        return {};
    if (node->cls->apiType == MFn::kMesh)
        return rawAttributes(meshAttrs);
    if (node->cls->apiType == MFn::kNurbsCurve)
        return rawAttributes(curveAttrs);
    if (node->cls->apiType == MFn::kNurbsSurface)
        return rawAttributes(surfaceAttrs);
    return {};
}

bool isShape(const Node* node) {
    return shapeAttributes(node).input != nullptr;
}

bool isIntermediate(Node* node) {
    const Attribute* flag = shapeAttributes(node).intermediate;
    Value* value = flag ? node->find(PlugKey{flag, {}}, false) : nullptr;
    return value && value->numeric() != 0.0;
}

Node* shapeOf(Node* node) {
    if (isShape(node))
        return node;
    if (!isTransform(node))
        return nullptr;
    for (Node* child : node->children)
        if (isShape(child) && !isIntermediate(child))
            return child;
    return nullptr;
}

std::shared_ptr<Node> addShape(UndoRecord& record, const std::string& typeName, const MObject& geometryData,
                               Node* transform) {
    NodeClass* shapeClass = ClassRegistry::instance().find(typeName);
    auto* data = dynamic_cast<Data*>(geometryData.impl().get());
    if (!shapeClass || shapeClass->role != NodeRole::Shape || !data ||
        !geometryData.hasFn(shapeClass->apiType) || !isTransform(transform))
        return nullptr;
    auto shape = edit::createNode(record, shapeClass, shapeNameFor(transform->name), transform);
    if (!shape)
        return nullptr;
    // The new shape goes away as a whole on undo, so its geometry needs no undo step of its own.
    Value geometry(shapeAttributes(shape.get()).input, false);
    geometry.data = MObject(data->clone());
    Scene::instance().setValue(plugFor(shape.get(), PlugKey{geometry.attr, {}}), geometry);
    return shape;
}

std::shared_ptr<Node> createShape(UndoRecord& record, const std::string& typeName,
                                  const MObject& geometryData, const std::string& transformName,
                                  Node* parentOrNull, std::string* shapeName) {
    NodeClass* shapeClass = ClassRegistry::instance().find(typeName);
    NodeClass* transformClass = ClassRegistry::instance().find("transform");
    if (!shapeClass || shapeClass->role != NodeRole::Shape || !geometryData.hasFn(shapeClass->apiType) ||
        !dynamic_cast<Data*>(geometryData.impl().get()) || (parentOrNull && !isTransform(parentOrNull)))
        return nullptr;
    auto transform = edit::createNode(record, transformClass, transformName, parentOrNull);
    auto shape = transform ? addShape(record, typeName, geometryData, transform.get()) : nullptr;
    if (!shape)
        return nullptr;
    if (shapeName)
        *shapeName = shape->name;
    return transform;
}

GeometryData* shapeGeometry(Node* shape) {
    const Attribute* output = shapeAttributes(shape).output;
    Value* value = output ? Scene::instance().evaluate(shape, PlugKey{output, {}}) : nullptr;
    return value ? objectAs<GeometryData>(value->data) : nullptr;
}

MStatus getShapePoints(Node* shape, MPointArray& points, MSpace::Space space) {
    GeometryData* geometry = shapeGeometry(shape);
    if (!geometry)
        return MS::kInvalidParameter;
    points = geometry->points;
    if (space == MSpace::kWorld) {
        MMatrix world = worldMatrix(shape);
        for (MPoint& p : points)
            p *= world;
    }
    return MS::kSuccess;
}

MStatus setShapePoints(UndoRecord& record, Node* shape, const MPointArray& points, MSpace::Space space) {
    const Attribute* input = shapeAttributes(shape).input;
    if (!input)
        return MS::kInvalidParameter;
    PlugKey key{input, {}};
    if (shape->incoming.count(key))
        return MS::kFailure;
    Value* current = shape->find(key, false);
    auto* geometry = current ? objectAs<GeometryData>(current->data) : nullptr;
    if (!geometry || geometry->points.length() != points.length())
        return MS::kInvalidParameter;
    auto edited = std::static_pointer_cast<GeometryData>(geometry->clone());
    edited->points = points;
    if (space == MSpace::kWorld) {
        MMatrix toObject = worldMatrix(shape).inverse();
        for (MPoint& p : edited->points)
            p *= toObject;
    }
    wrapPeriodicCVs(*edited);
    Value value(input, false);
    value.data = MObject(edited);
    return edit::setValue(record, plugFor(shape, key), value);
}

} // namespace khost
