#include "dg/Scene.h"
#include <maya/MDataBlock.h>

using khost::PlugKey;
using khost::Scene;

namespace {
PlugKey keyOfAttribute(const MObject& attribute) {
    PlugKey key;
    auto a = khost::attributeOf(attribute);
    key.attr = a.get();
    if (key.attr)
        key.indices.assign(key.attr->arrayDepth(), -1);
    return key;
}

khost::Value* input(khost::Node* node, const PlugKey& key, MStatus* status) {
    khost::Value* v =
        node && key.attr && node->cls->has(key.attr) ? Scene::instance().evaluate(node, key) : nullptr;
    if (status)
        *status = v ? MS::kSuccess : MS::kInvalidParameter;
    return v;
}

khost::Value* output(khost::Node* node, const PlugKey& key, MStatus* status) {
    khost::Value* v = node && key.attr && node->cls->has(key.attr) ? node->find(key, true) : nullptr;
    if (status)
        *status = v ? MS::kSuccess : MS::kInvalidParameter;
    return v;
}

MArrayDataHandle asArray(khost::Value* v, MStatus* status) {
    if (v && !v->isArray) {
        if (status)
            *status = MS::kInvalidParameter;
        return MArrayDataHandle();
    }
    return MArrayDataHandle(v);
}
} // namespace

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* s) {
    return MDataHandle(input(fNode, khost::keyFor(plug), s));
}
MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* s) {
    return MDataHandle(input(fNode, keyOfAttribute(attribute), s));
}
MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* s) {
    return MDataHandle(output(fNode, khost::keyFor(plug), s));
}
MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* s) {
    return MDataHandle(output(fNode, keyOfAttribute(attribute), s));
}
MArrayDataHandle MDataBlock::inputArrayValue(const MPlug& plug, MStatus* s) {
    return asArray(input(fNode, khost::keyFor(plug), s), s);
}
MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* s) {
    return asArray(input(fNode, keyOfAttribute(attribute), s), s);
}
MArrayDataHandle MDataBlock::outputArrayValue(const MPlug& plug, MStatus* s) {
    return asArray(output(fNode, khost::keyFor(plug), s), s);
}
MArrayDataHandle MDataBlock::outputArrayValue(const MObject& attribute, MStatus* s) {
    return asArray(output(fNode, keyOfAttribute(attribute), s), s);
}

MStatus MDataBlock::setClean(const MPlug& plug) {
    khost::Value* v = fNode ? fNode->find(khost::keyFor(plug), false) : nullptr;
    if (!v)
        return MS::kInvalidParameter;
    v->setDirtyTree(false);
    return MS::kSuccess;
}

MStatus MDataBlock::setClean(const MObject& attribute) {
    khost::Value* v = fNode ? fNode->find(keyOfAttribute(attribute), false) : nullptr;
    if (!v)
        return MS::kInvalidParameter;
    v->setDirtyTree(false);
    return MS::kSuccess;
}
