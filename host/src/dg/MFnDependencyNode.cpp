#include "dg/Scene.h"
#include <maya/MFnDependencyNode.h>

using khost::Node;

namespace {
Node* nodeOrFail(const MObject& object, MStatus* status) {
    Node* n = khost::nodeOf(object);
    if (status)
        *status = n ? MS::kSuccess : MS::kInvalidParameter;
    return n;
}
} // namespace

MFnDependencyNode::MFnDependencyNode(MObject& object, MStatus* s) {
    attach(object, s);
}
MFnDependencyNode::MFnDependencyNode(const MObject& object, MStatus* s) {
    attach(object, s);
}

MString MFnDependencyNode::name(MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    return n ? MString(n->name.c_str()) : MString();
}

MString MFnDependencyNode::typeName(MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    return n ? MString(n->cls->name.c_str()) : MString();
}

MTypeId MFnDependencyNode::typeId(MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    return n ? n->cls->id : MTypeId();
}

MString MFnDependencyNode::setName(const MString& name, bool, MStatus* s) {
    Node* n = nodeOrFail(fObject, s);
    if (!n)
        return MString();
    std::string given;
    MStatus status = khost::Scene::instance().rename(n, name.asChar(), &given);
    if (s)
        *s = status;
    return MString(n->name.c_str());
}

MObject MFnDependencyNode::attribute(const MString& attrName, MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    const khost::Attribute* a = n ? n->cls->find(attrName.asChar()) : nullptr;
    if (s && n && !a)
        *s = MS::kInvalidParameter;
    return a ? MObject(std::const_pointer_cast<khost::Object>(a->shared_from_this())) : MObject();
}

unsigned int MFnDependencyNode::attributeCount(MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    return n ? static_cast<unsigned>(n->cls->attributes.size()) : 0;
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    if (!n || index >= n->cls->attributes.size()) {
        if (s)
            *s = MS::kInvalidParameter;
        return MObject();
    }
    return MObject(n->cls->attributes[index]);
}

bool MFnDependencyNode::hasAttribute(const MString& attrName, MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    return n && n->cls->find(attrName.asChar());
}

MPlug MFnDependencyNode::findPlug(const MString& attrName, bool, MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    if (!n)
        return MPlug();
    for (const auto& alias : n->aliases)
        if (alias.first == attrName.asChar())
            return khost::plugFor(n, alias.second);
    khost::PlugKey key = n->keyOf(attrName.asChar());
    if (!key.attr) {
        if (s)
            *s = MS::kInvalidParameter;
        return MPlug();
    }
    return khost::plugFor(n, key);
}

MPlug MFnDependencyNode::findPlug(const MObject& attr, bool, MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    auto a = khost::attributeOf(attr);
    if (!n || !a || !n->cls->has(a.get())) {
        if (s)
            *s = MS::kInvalidParameter;
        return MPlug();
    }
    return MPlug(fObject, attr);
}

MPxNode* MFnDependencyNode::userNode(MStatus* s) const {
    Node* n = nodeOrFail(fObject, s);
    return n ? n->user.get() : nullptr;
}

bool MFnDependencyNode::getAliasList(MStringArray& strArray, MStatus* s) {
    strArray.clear();
    Node* n = nodeOrFail(fObject, s);
    if (!n)
        return false;
    for (const auto& alias : n->aliases) {
        strArray.append(MString(alias.first.c_str()));
        strArray.append(khost::plugFor(n, alias.second).partialName(false, false, false, false, false, true));
    }
    return strArray.length() > 0;
}

MString MFnDependencyNode::plugsAlias(const MPlug& plug, MStatus* s) {
    Node* n = nodeOrFail(fObject, s);
    if (!n)
        return MString();
    khost::PlugKey key = khost::keyFor(plug);
    for (const auto& alias : n->aliases)
        if (alias.second == key)
            return MString(alias.first.c_str());
    return MString();
}
