#include "dg/Scene.h"
#include <maya/MPxNode.h>

MStatus MPxNode::compute(const MPlug&, MDataBlock&) {
    return MS::kUnknownParameter;
}
bool MPxNode::getInternalValue(const MPlug&, MDataHandle&) {
    return false;
}
bool MPxNode::setInternalValue(const MPlug&, const MDataHandle&) {
    return false;
}
MStatus MPxNode::setDependentsDirty(const MPlug&, MPlugArray&) {
    return MS::kSuccess;
}

MObject MPxNode::thisMObject() const {
    return fHostNode ? fHostNode->handle() : MObject();
}
MString MPxNode::name() const {
    return fHostNode ? MString(fHostNode->name.c_str()) : MString();
}
MString MPxNode::typeName() const {
    return fHostNode ? MString(fHostNode->cls->name.c_str()) : MString();
}
MTypeId MPxNode::typeId() const {
    return fHostNode ? fHostNode->cls->id : MTypeId();
}
MDataBlock MPxNode::forceCache() {
    return MDataBlock(fHostNode);
}

MStatus MPxNode::addAttribute(const MObject& attr) {
    auto a = khost::attributeOf(attr);
    khost::NodeClass* cls = khost::ClassRegistry::instance().initializing;
    if (!a || !cls)
        return MS::kInvalidParameter;
    if (cls->has(a.get()) && !a->parent)
        return MS::kFailure;
    cls->addAttribute(a);
    return MS::kSuccess;
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
    auto from = khost::attributeOf(whenChanges);
    auto to = khost::attributeOf(isAffected);
    khost::NodeClass* cls = khost::ClassRegistry::instance().initializing;
    if (!from || !to || !cls)
        return MS::kInvalidParameter;
    cls->addAffects(from.get(), to.get());
    return MS::kSuccess;
}
