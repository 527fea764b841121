// The transform node: translate/rotate/scale channels, its local matrix and its world matrix.
#include "dag/BuiltinTypes.h"
#include "dag/Dag.h"
#include "dag/MatrixData.h"
#include <array>
#include <cmath>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>

namespace khost {

namespace {

struct TransformAttributes {
    MObject translate, rotate, scale;
    MObject rotateOrder, visibility, matrix, worldMatrix;
};
TransformAttributes attrs;

const Attribute* raw(const MObject& attribute) {
    return attributeOf(attribute).get();
}

MObject channel(const char* name, const char* brief, double defaultValue) {
    MFnNumericAttribute fn;
    MObject attribute = fn.create(name, brief, MFnNumericData::kDouble, defaultValue);
    fn.setKeyable(true);
    return attribute;
}

// A double3 compound with X, Y and Z children named after it.
MObject triple(const std::string& name, const std::string& brief, double defaultValue) {
    MFnCompoundAttribute fn;
    MObject parent = fn.create(name.c_str(), brief.c_str());
    for (const char* axis : {"X", "Y", "Z"}) {
        std::string lower(1, static_cast<char>(axis[0] - 'A' + 'a'));
        fn.addChild(channel((name + axis).c_str(), (brief + lower).c_str(), defaultValue));
    }
    attributeOf(parent)->numericType = MFnNumericData::k3Double;
    return parent;
}

MObject matrixAttribute(const char* name, const char* brief, bool array) {
    MFnTypedAttribute fn;
    MObject attribute = fn.create(name, brief, MFnData::kMatrix);
    fn.setWritable(false);
    fn.setStorable(false);
    fn.setArray(array);
    if (array)
        fn.setUsesArrayDataBuilder(true);
    return attribute;
}

bool movesTheNode(const Attribute* a) {
    for (; a; a = a->parent)
        if (a == raw(attrs.translate) || a == raw(attrs.rotate) || a == raw(attrs.scale) ||
            a == raw(attrs.rotateOrder))
            return true;
    return false;
}

class TransformNode : public MPxNode {
public:
    static void* creator() { return new TransformNode; }

    static MStatus initialize() {
        attrs.translate = triple("translate", "t", 0.0);
        attrs.rotate = triple("rotate", "r", 0.0);
        attrs.scale = triple("scale", "s", 1.0);
        MFnNumericAttribute numeric;
        attrs.rotateOrder = numeric.create("rotateOrder", "ro", MFnNumericData::kInt, 0);
        numeric.setMin(0);
        numeric.setMax(5);
        attrs.visibility = numeric.create("visibility", "v", MFnNumericData::kBoolean, 1);
        numeric.setKeyable(true);
        attrs.matrix = matrixAttribute("matrix", "m", false);
        attrs.worldMatrix = matrixAttribute("worldMatrix", "wm", true);
        for (const MObject* a : {&attrs.translate, &attrs.rotate, &attrs.scale, &attrs.rotateOrder,
                                 &attrs.visibility, &attrs.matrix, &attrs.worldMatrix})
            addAttribute(*a);
        for (const MObject* a : {&attrs.translate, &attrs.rotate, &attrs.scale, &attrs.rotateOrder}) {
            attributeAffects(*a, attrs.matrix);
            attributeAffects(*a, attrs.worldMatrix);
        }
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        Node* node = hostNode();
        MObject attribute = plug.attribute();
        if (attribute != attrs.matrix && attribute != attrs.worldMatrix)
            return MS::kUnknownParameter;
        auto data = std::make_shared<MatrixData>();
        data->matrix = attribute == attrs.matrix ? localMatrix(node) : worldMatrix(node);
        MDataHandle out = block.outputValue(plug);
        out.set(MObject(data));
        out.setClean();
        return MS::kSuccess;
    }

    // Moving a transform moves everything below it in world space.
    MStatus setDependentsDirty(const MPlug& plug, MPlugArray&) override {
        if (movesTheNode(keyFor(plug).attr))
            for (Node* child : hostNode()->children)
                dirtyWorldSpace(child);
        return MS::kSuccess;
    }
};

const MObject& channelAttribute(Trs which) {
    return which == Trs::Translate ? attrs.translate : which == Trs::Rotate ? attrs.rotate : attrs.scale;
}

MMatrix rotation(int axis, double degrees) {
    double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a);
    MMatrix m;
    int i = (axis + 1) % 3, j = (axis + 2) % 3;
    // Row-vector convention: the i axis turns towards the j axis.
    m[i][i] = c;
    m[i][j] = s;
    m[j][i] = -s;
    m[j][j] = c;
    return m;
}

// The axes in the order the node's rotateOrder applies them.
const std::array<int, 3>& rotateOrder(Node* node) {
    static const std::array<int, 3> orders[6] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1},
                                                 {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};
    Value* value = Scene::instance().evaluate(node, PlugKey{raw(attrs.rotateOrder), {}});
    const int order = value ? static_cast<int>(value->numeric()) : 0;
    return orders[order < 0 || order > 5 ? 0 : order];
}

// Euler angles (degrees, per axis) of a rotation given in row-vector form, applied in `order`. Its
// transpose Q is the column-vector product Rc Rb Ra: the first angle comes from Q's row c; taking
// Ra away leaves Rc Rb, whose angles come from entries that stay well conditioned even where the
// middle angle nears 90 degrees (after Shoemake). An odd order flips the signs.
MVector eulerAngles(const MMatrix& rotationRows, const std::array<int, 3>& order) {
    const int a = order[0], b = order[1], c = order[2];
    const double parity = b == (a + 1) % 3 ? 1.0 : -1.0;
    const double degrees = 180.0 / 3.14159265358979323846;
    const MMatrix q = rotationRows.transpose();
    MVector angles;
    angles[static_cast<unsigned>(a)] = std::atan2(parity * q[c][b], q[c][c]) * degrees;
    const MMatrix rest = q * rotation(a, angles[static_cast<unsigned>(a)]);
    angles[static_cast<unsigned>(b)] = std::atan2(-parity * rest[c][a], rest[c][c]) * degrees;
    angles[static_cast<unsigned>(c)] = std::atan2(-parity * rest[a][b], rest[b][b]) * degrees;
    return angles;
}

} // namespace

void registerTransformType() {
    registerBuiltinClass("transform", MTypeId(0x5846524d), NodeRole::Transform, MFn::kTransform,
                         &TransformNode::creator, &TransformNode::initialize);
}

bool isTransform(const Node* node) {
    return node && node->cls->role == NodeRole::Transform;
}

MVector transformValue(Node* transform, Trs which) {
    const Attribute* parent = raw(channelAttribute(which));
    Value* value =
        isTransform(transform) ? Scene::instance().evaluate(transform, PlugKey{parent, {}}) : nullptr;
    if (!value)
        return which == Trs::Scale ? MVector(1, 1, 1) : MVector::zero;
    return {value->children[0]->numeric(), value->children[1]->numeric(), value->children[2]->numeric()};
}

MStatus setTransformValue(UndoRecord& record, Node* transform, Trs which, const MVector& value) {
    if (!isTransform(transform))
        return MS::kInvalidParameter;
    const Attribute* parent = raw(channelAttribute(which));
    Value compound(parent, false);
    for (unsigned k = 0; k < 3; ++k)
        compound.children[k]->setNumeric(value[k]);
    return edit::setValue(record, plugFor(transform, PlugKey{parent, {}}), compound);
}

MMatrix localMatrix(Node* node) {
    if (!isTransform(node))
        return MMatrix();
    MVector t = transformValue(node, Trs::Translate), r = transformValue(node, Trs::Rotate),
            s = transformValue(node, Trs::Scale);
    MMatrix result;
    for (int k = 0; k < 3; ++k)
        result[k][k] = s[static_cast<unsigned>(k)];
    // Row vectors: the first axis of the rotate order applies first.
    for (int axis : rotateOrder(node))
        result *= rotation(axis, r[static_cast<unsigned>(axis)]);
    result[3][0] = t.x;
    result[3][1] = t.y;
    result[3][2] = t.z;
    return result;
}

MStatus setLocalMatrix(UndoRecord& record, Node* transform, const MMatrix& matrix) {
    if (!isTransform(transform))
        return MS::kInvalidParameter;
    // Row k of the upper 3 x 3 is scale k times row k of the rotation; a mirror goes into the x scale.
    MVector rows[3], scale;
    for (unsigned int r = 0; r < 3; ++r) {
        rows[r] = MVector(matrix[r][0], matrix[r][1], matrix[r][2]);
        scale[r] = rows[r].length();
        if (!(scale[r] > 0.0) || !std::isfinite(scale[r]))
            return MS::kFailure;
    }
    if ((rows[0] ^ rows[1]) * rows[2] < 0.0)
        scale.x = -scale.x;
    MMatrix rotationRows;
    for (unsigned int r = 0; r < 3; ++r)
        for (unsigned int k = 0; k < 3; ++k)
            rotationRows[r][k] = rows[r][k] / scale[r];
    MStatus status = setTransformValue(record, transform, Trs::Scale, scale);
    if (status)
        status = setTransformValue(record, transform, Trs::Rotate,
                                   eulerAngles(rotationRows, rotateOrder(transform)));
    if (status)
        status = setTransformValue(record, transform, Trs::Translate,
                                   MVector(matrix[3][0], matrix[3][1], matrix[3][2]));
    if (!status)
        return status;
    // Rows that are not at right angles (a shear) cannot be rebuilt from the channels.
    const MMatrix rebuilt = localMatrix(transform);
    for (unsigned int r = 0; r < 4; ++r)
        for (unsigned int k = 0; k < 4; ++k)
            if (!(std::fabs(rebuilt[r][k] - matrix[r][k]) <= 1e-9 * (1.0 + std::fabs(matrix[r][k]))))
                return MS::kFailure;
    return MS::kSuccess;
}

MMatrix worldMatrix(Node* node) {
    MMatrix result;
    for (Node* n = node; n; n = n->parent)
        result *= localMatrix(n);
    return result;
}

void dirtyWorldSpace(Node* node) {
    if (!node)
        return;
    const Attribute* world = isTransform(node) ? raw(attrs.worldMatrix) : shapeAttributes(node).world;
    if (world) {
        PlugKey key{world, {-1}};
        Scene::instance().markDirty(node, key);
        Scene::instance().dirtyFrom(node, key);
    }
    for (Node* child : node->children)
        dirtyWorldSpace(child);
}

} // namespace khost
