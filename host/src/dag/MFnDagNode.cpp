#include "dag/Dag.h"
#include <maya/MFnDagNode.h>

using khost::Node;

namespace {

Node* dagNode(const MObject& object, MStatus* status) {
    Node* n = khost::nodeOf(object);
    bool ok = n && n->isDag();
    if (status)
        *status = ok ? MS::kSuccess : MS::kInvalidParameter;
    return ok ? n : nullptr;
}

} // namespace

MFnDagNode::MFnDagNode(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnDagNode::MFnDagNode(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnDagNode::MFnDagNode(const MDagPath& object, MStatus* ReturnStatus) {
    attach(object.node(), ReturnStatus);
}

MStatus MFnDagNode::setObject(const MDagPath& path) {
    return attach(path.node(), nullptr);
}

unsigned int MFnDagNode::parentCount(MStatus* ReturnStatus) const {
    Node* n = dagNode(fObject, ReturnStatus);
    return n && n->parent ? 1 : 0;
}

MObject MFnDagNode::parent(unsigned int i, MStatus* ReturnStatus) const {
    Node* n = dagNode(fObject, ReturnStatus);
    if (!n || !n->parent || i != 0) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return MObject();
    }
    return n->parent->handle();
}

unsigned int MFnDagNode::childCount(MStatus* ReturnStatus) const {
    Node* n = dagNode(fObject, ReturnStatus);
    return n ? static_cast<unsigned>(n->children.size()) : 0;
}

MObject MFnDagNode::child(unsigned int i, MStatus* ReturnStatus) const {
    Node* n = dagNode(fObject, ReturnStatus);
    if (!n || i >= n->children.size()) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return MObject();
    }
    return n->children[i]->handle();
}

bool MFnDagNode::isIntermediateObject(MStatus* ReturnStatus) const {
    Node* n = dagNode(fObject, ReturnStatus);
    return n && khost::isIntermediate(n);
}

MStatus MFnDagNode::setIntermediateObject(bool isIntermediate) {
    MStatus status;
    Node* n = dagNode(fObject, &status);
    if (!n)
        return status;
    const khost::Attribute* flag = khost::shapeAttributes(n).intermediate;
    if (!flag)
        return MS::kInvalidParameter;
    return khost::plugFor(n, khost::PlugKey{flag, {}}).setBool(isIntermediate);
}

MStatus MFnDagNode::getPath(MDagPath& path) const {
    return MDagPath::getAPathTo(fObject, path);
}

MDagPath MFnDagNode::dagPath(MStatus* ReturnStatus) const {
    return MDagPath::getAPathTo(fObject, ReturnStatus);
}

MString MFnDagNode::fullPathName(MStatus* ReturnStatus) const {
    return dagPath().fullPathName(ReturnStatus);
}

MString MFnDagNode::partialPathName(MStatus* ReturnStatus) const {
    return dagPath().partialPathName(ReturnStatus);
}
