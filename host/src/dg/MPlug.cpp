#include "dg/DataTypes.h"
#include "dg/Scene.h"
#include <maya/MDataHandle.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>

using khost::Attribute;
using khost::Node;
using khost::PlugKey;
using khost::Scene;
using khost::Value;

namespace {

bool fail(MStatus* status, MStatus::MStatusCode code = MS::kInvalidParameter) {
    if (status)
        *status = code;
    return false;
}

bool succeed(MStatus* status) {
    if (status)
        *status = MS::kSuccess;
    return true;
}

std::string pathOf(const Node* node, const PlugKey& key, bool longNames, bool full) {
    std::vector<const Attribute*> chain = key.attr->chain();
    size_t first = chain.size() - 1;
    if (full) {
        first = 0;
    } else {
        for (size_t j = 0; j + 1 < chain.size(); ++j)
            if (chain[j]->array) {
                first = j;
                break;
            }
    }
    std::string text;
    size_t k = 0;
    for (size_t j = 0; j < chain.size(); ++j) {
        const Attribute* a = chain[j];
        int index = -2;
        if (a->array)
            index = k < key.indices.size() ? key.indices[k++] : -1;
        if (j < first)
            continue;
        if (!text.empty())
            text += '.';
        text += longNames ? a->name : a->shortName;
        if (index >= 0)
            text += "[" + std::to_string(index) + "]";
    }
    (void)node;
    return text;
}

std::unique_ptr<Value> scalar(const PlugKey& key, double v) {
    auto value = std::make_unique<Value>(key.attr, false);
    value->setNumeric(v);
    return value;
}

} // namespace

MPlug::MPlug(const MObject& node, const MObject& attribute) : fNode(node), fAttr(attribute) {
    if (auto a = khost::attributeOf(attribute))
        fIndices.assign(a->arrayDepth(), -1);
}

MObject MPlug::attribute(MStatus* s) const {
    isNull(s) ? fail(s) : succeed(s);
    return fAttr;
}

MObject MPlug::node(MStatus* s) const {
    isNull(s) ? fail(s) : succeed(s);
    return fNode;
}

MString MPlug::name(MStatus* s) const {
    if (isNull(s))
        return MString();
    return MString(
        (khost::nodeOf(fNode)->name + "." + pathOf(khost::nodeOf(fNode), khost::keyFor(*this), false, false))
            .c_str());
}

MString MPlug::partialName(bool includeNodeName, bool, bool, bool useAlias, bool useFullAttributePath,
                           bool useLongNames, MStatus* s) const {
    if (isNull(s))
        return MString();
    Node* n = khost::nodeOf(fNode);
    PlugKey key = khost::keyFor(*this);
    std::string text;
    if (useAlias)
        for (const auto& alias : n->aliases)
            if (alias.second == key)
                text = alias.first;
    if (text.empty())
        text = pathOf(n, key, useLongNames, useFullAttributePath);
    if (includeNodeName)
        text = n->name + "." + text;
    return MString(text.c_str());
}

MString MPlug::info(MStatus* s) const {
    if (isNull(s))
        return MString();
    Node* n = khost::nodeOf(fNode);
    return MString((n->name + "." + pathOf(n, khost::keyFor(*this), true, true)).c_str());
}

bool MPlug::isNull(MStatus* s) const {
    bool null = fNode.isNull() || fAttr.isNull() || !khost::nodeOf(fNode);
    null ? fail(s) : succeed(s);
    return null;
}

bool MPlug::isArray(MStatus* s) const {
    return !isNull(s) && khost::keyFor(*this).isArrayPlug();
}
bool MPlug::isElement(MStatus* s) const {
    return !isNull(s) && khost::keyFor(*this).isElement();
}
bool MPlug::isCompound(MStatus* s) const {
    return !isNull(s) && khost::attributeOf(fAttr)->kind == khost::AttrKind::Compound;
}
bool MPlug::isChild(MStatus* s) const {
    return !isNull(s) && khost::attributeOf(fAttr)->parent != nullptr;
}

bool MPlug::isLocked(MStatus* s) const {
    if (isNull(s))
        return false;
    PlugKey key = khost::keyFor(*this);
    for (const PlugKey& locked : khost::nodeOf(fNode)->locked)
        if (key.within(locked))
            return true;
    return false;
}

MStatus MPlug::setLocked(bool locked) {
    MStatus status;
    if (isNull(&status))
        return status;
    Node* n = khost::nodeOf(fNode);
    if (locked)
        n->locked.insert(khost::keyFor(*this));
    else
        n->locked.erase(khost::keyFor(*this));
    return MS::kSuccess;
}

bool MPlug::isConnected(MStatus* s) const {
    return isDestination(s) || isSource(s);
}

bool MPlug::isDestination(MStatus* s) const {
    return !isNull(s) && khost::nodeOf(fNode)->incoming.count(khost::keyFor(*this)) > 0;
}

bool MPlug::isSource(MStatus* s) const {
    return !isNull(s) && khost::nodeOf(fNode)->outgoing.count(khost::keyFor(*this)) > 0;
}

bool MPlug::isNetworked(MStatus* s) const {
    return isConnected(s);
}

unsigned int MPlug::logicalIndex(MStatus* s) const {
    if (!isElement(s))
        return fail(s), 0u;
    return static_cast<unsigned>(fIndices.back());
}

MPlug MPlug::elementByLogicalIndex(unsigned int logicalIndex, MStatus* s) const {
    if (!isArray(s))
        return fail(s), MPlug();
    MPlug element(*this);
    element.fIndices.back() = static_cast<int>(logicalIndex);
    succeed(s);
    return element;
}

MPlug MPlug::elementByPhysicalIndex(unsigned int physicalIndex, MStatus* s) const {
    if (!isArray(s))
        return fail(s), MPlug();
    Value* array = khost::nodeOf(fNode)->find(khost::keyFor(*this), false);
    if (!array || physicalIndex >= array->elements.size())
        return fail(s), MPlug();
    return elementByLogicalIndex(array->elements[physicalIndex].first, s);
}

unsigned int MPlug::numElements(MStatus* s) const {
    if (!isArray(s))
        return fail(s), 0u;
    Value* array = khost::nodeOf(fNode)->find(khost::keyFor(*this), false);
    return array ? static_cast<unsigned>(array->elements.size()) : 0u;
}

unsigned int MPlug::evaluateNumElements(MStatus* s) const {
    if (!isArray(s))
        return fail(s), 0u;
    Value* array = Scene::instance().evaluate(khost::nodeOf(fNode), khost::keyFor(*this));
    return array ? static_cast<unsigned>(array->elements.size()) : 0u;
}

unsigned int MPlug::getExistingArrayAttributeIndices(MIntArray& indices, MStatus* s) {
    indices.clear();
    if (!isArray(s))
        return fail(s), 0u;
    Value* array = Scene::instance().evaluate(khost::nodeOf(fNode), khost::keyFor(*this));
    if (array)
        for (const auto& e : array->elements)
            indices.append(static_cast<int>(e.first));
    return indices.length();
}

unsigned int MPlug::numChildren(MStatus* s) const {
    if (!isCompound(s))
        return fail(s), 0u;
    return static_cast<unsigned>(khost::attributeOf(fAttr)->children.size());
}

MPlug MPlug::child(const MObject& attr, MStatus* s) const {
    auto childAttr = khost::attributeOf(attr);
    if (!isCompound(s) || isArray() || !childAttr || childAttr->parent != khost::attributeOf(fAttr).get())
        return fail(s), MPlug();
    std::vector<int> indices = fIndices;
    if (childAttr->array)
        indices.push_back(-1);
    succeed(s);
    return MPlug(fNode, attr, indices);
}

MPlug MPlug::child(unsigned int index, MStatus* s) const {
    if (!isCompound(s) || index >= khost::attributeOf(fAttr)->children.size())
        return fail(s), MPlug();
    return child(MObject(khost::attributeOf(fAttr)->children[index]), s);
}

MPlug MPlug::parent(MStatus* s) const {
    if (isNull(s))
        return MPlug();
    Attribute* a = khost::attributeOf(fAttr).get();
    if (!a->parent)
        return fail(s), MPlug();
    std::vector<int> indices(fIndices.begin(), fIndices.begin() + static_cast<long>(a->parent->arrayDepth()));
    succeed(s);
    return MPlug(fNode, MObject(a->parent->shared_from_this()), indices);
}

MPlug MPlug::array(MStatus* s) const {
    if (!isElement(s))
        return fail(s), MPlug();
    MPlug result(*this);
    result.fIndices.back() = -1;
    return result;
}

MStatus MPlug::selectAncestorLogicalIndex(unsigned int index, const MObject& attribute) {
    MStatus status;
    if (isNull(&status))
        return status;
    auto own = khost::attributeOf(fAttr);
    const Attribute* target = attribute.isNull() ? own.get() : khost::attributeOf(attribute).get();
    if (!target || !target->array || (target != own.get() && !target->isAncestorOf(own.get())))
        return MS::kInvalidParameter;
    fIndices[target->arrayDepth() - 1] = static_cast<int>(index);
    return MS::kSuccess;
}

bool MPlug::connectedTo(MPlugArray& result, bool asDst, bool asSrc, MStatus* s) const {
    result.clear();
    if (isNull(s))
        return false;
    Node* n = khost::nodeOf(fNode);
    PlugKey key = khost::keyFor(*this);
    if (asDst) {
        auto it = n->incoming.find(key);
        if (it != n->incoming.end())
            result.append(khost::plugFor(it->second.node, it->second.key));
    }
    if (asSrc) {
        auto range = n->outgoing.equal_range(key);
        for (auto it = range.first; it != range.second; ++it)
            result.append(khost::plugFor(it->second.node, it->second.key));
    }
    return result.length() > 0;
}

MPlug MPlug::source(MStatus* s) const {
    MPlug src;
    if (isNull(s) || !Scene::instance().sourceOf(*this, src))
        return fail(s), MPlug();
    succeed(s);
    return src;
}

namespace {
std::unique_ptr<Value> read(const MPlug& plug, MStatus* s) {
    if (plug.isNull(s))
        return nullptr;
    return Scene::instance().getValue(plug, s);
}
} // namespace

bool MPlug::asBool(MStatus* s) const {
    auto v = read(*this, s);
    return v && v->numeric() != 0.0;
}
int MPlug::asInt(MStatus* s) const {
    auto v = read(*this, s);
    return v ? (v->syncNumeric(), v->i) : 0;
}
float MPlug::asFloat(MStatus* s) const {
    auto v = read(*this, s);
    return v ? static_cast<float>(v->numeric()) : 0.0f;
}
double MPlug::asDouble(MStatus* s) const {
    auto v = read(*this, s);
    return v ? v->numeric() : 0.0;
}
MString MPlug::asString(MStatus* s) const {
    auto v = read(*this, s);
    auto* str = v ? khost::objectAs<khost::StringData>(v->data) : nullptr;
    return str ? str->value : MString();
}
MObject MPlug::asMObject(MStatus* s) const {
    auto v = read(*this, s);
    return v ? v->data : MObject();
}

MDataHandle MPlug::asMDataHandle(MStatus* s) const {
    if (isNull(s))
        return MDataHandle();
    Value* v = Scene::instance().evaluate(khost::nodeOf(fNode), khost::keyFor(*this));
    v ? succeed(s) : fail(s);
    return MDataHandle(v);
}

namespace {
MStatus writeScalar(const MPlug& plug, double v) {
    MStatus status;
    if (plug.isNull(&status))
        return status;
    PlugKey key = khost::keyFor(plug);
    if (key.attr->kind != khost::AttrKind::Numeric || key.isArrayPlug())
        return MS::kInvalidParameter;
    return Scene::instance().setValue(plug, *scalar(key, v));
}
MStatus writeData(const MPlug& plug, const MObject& data) {
    MStatus status;
    if (plug.isNull(&status))
        return status;
    PlugKey key = khost::keyFor(plug);
    if (key.isArrayPlug() || (!data.isNull() && !key.attr->acceptsData(khost::dataTypeOf(data))))
        return MS::kInvalidParameter;
    Value value(key.attr, false);
    value.data = data;
    return Scene::instance().setValue(plug, value);
}
} // namespace

MStatus MPlug::setBool(bool value) {
    return writeScalar(*this, value ? 1.0 : 0.0);
}
MStatus MPlug::setInt(int value) {
    return writeScalar(*this, value);
}
MStatus MPlug::setFloat(float value) {
    return writeScalar(*this, value);
}
MStatus MPlug::setDouble(double value) {
    return writeScalar(*this, value);
}
MStatus MPlug::setMObject(const MObject& value) {
    return writeData(*this, value);
}

MStatus MPlug::setString(const MString& value) {
    auto data = std::make_shared<khost::StringData>();
    data->value = value;
    return writeData(*this, MObject(data));
}

MStatus MPlug::setMDataHandle(MDataHandle handle) {
    MStatus status;
    if (isNull(&status))
        return status;
    if (!handle.value())
        return MS::kInvalidParameter;
    return Scene::instance().setValue(*this, *handle.value());
}

bool MPlug::operator==(const MPlug& other) const {
    return fNode == other.fNode && fAttr == other.fAttr && khost::keyFor(*this) == khost::keyFor(other);
}

MStatus MPlugArray::append(const MPlug& element) {
    fItems.push_back(element);
    return MS::kSuccess;
}
MStatus MPlugArray::remove(unsigned int index) {
    if (index >= fItems.size())
        return MS::kInvalidParameter;
    fItems.erase(fItems.begin() + index);
    return MS::kSuccess;
}
MStatus MPlugArray::setLength(unsigned int length) {
    fItems.resize(length);
    return MS::kSuccess;
}
MStatus MPlugArray::clear() {
    fItems.clear();
    return MS::kSuccess;
}
