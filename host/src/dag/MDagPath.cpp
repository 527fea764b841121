#include "dag/Dag.h"
#include <maya/MDagPath.h>

using khost::Node;

namespace {

MStatus report(MStatus* status, MStatus::MStatusCode code) {
    if (status)
        *status = code;
    return code;
}

} // namespace

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path) {
    Node* n = khost::nodeOf(node);
    path.fNodes.clear();
    if (!n || !n->isDag())
        return MS::kInvalidParameter;
    for (; n; n = n->parent)
        path.fNodes.insert(path.fNodes.begin(), n->handle());
    return MS::kSuccess;
}

MDagPath MDagPath::getAPathTo(const MObject& node, MStatus* ReturnStatus) {
    MDagPath path;
    MStatus status = getAPathTo(node, path);
    report(ReturnStatus, status.statusCode());
    return path;
}

bool MDagPath::isValid(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    if (fNodes.empty())
        return false;
    // Every node must still exist and still sit under the one before it.
    Node* above = nullptr;
    for (const MObject& object : fNodes) {
        Node* n = khost::nodeOf(object);
        if (!n || n->parent != above)
            return false;
        above = n;
    }
    return true;
}

bool MDagPath::hasFn(MFn::Type type, MStatus* ReturnStatus) const {
    MObject end = node(ReturnStatus);
    return !end.isNull() && end.hasFn(type);
}

MFn::Type MDagPath::apiType(MStatus* ReturnStatus) const {
    MObject end = node(ReturnStatus);
    return end.isNull() ? MFn::kInvalid : end.apiType();
}

MObject MDagPath::node(MStatus* ReturnStatus) const {
    if (!isValid()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    report(ReturnStatus, MS::kSuccess);
    return fNodes.back();
}

MObject MDagPath::transform(MStatus* ReturnStatus) const {
    if (!isValid()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    for (auto it = fNodes.rbegin(); it != fNodes.rend(); ++it)
        if (khost::isTransform(khost::nodeOf(*it))) {
            report(ReturnStatus, MS::kSuccess);
            return *it;
        }
    report(ReturnStatus, MS::kInvalidParameter);
    return MObject();
}

unsigned int MDagPath::length(MStatus* ReturnStatus) const {
    bool valid = isValid();
    report(ReturnStatus, valid ? MS::kSuccess : MS::kInvalidParameter);
    return valid ? static_cast<unsigned>(fNodes.size()) : 0;
}

MString MDagPath::fullPathName(MStatus* ReturnStatus) const {
    if (!isValid()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MString();
    }
    std::string text;
    for (const MObject& object : fNodes)
        text += "|" + khost::nodeOf(object)->name;
    report(ReturnStatus, MS::kSuccess);
    return MString(text.c_str());
}

// Node names are unique in the host's scene, so the node's own name is already unambiguous.
MString MDagPath::partialPathName(MStatus* ReturnStatus) const {
    MObject end = node(ReturnStatus);
    return end.isNull() ? MString() : MString(khost::nodeOf(end)->name.c_str());
}

MStatus MDagPath::pop(unsigned int num) {
    if (!isValid() || num > fNodes.size())
        return MS::kInvalidParameter;
    fNodes.resize(fNodes.size() - num);
    return MS::kSuccess;
}

MStatus MDagPath::push(const MObject& child) {
    Node* n = khost::nodeOf(child);
    Node* end = isValid() ? khost::nodeOf(fNodes.back()) : nullptr;
    if (!n || !end || n->parent != end)
        return MS::kInvalidParameter;
    fNodes.push_back(child);
    return MS::kSuccess;
}

unsigned int MDagPath::childCount(MStatus* ReturnStatus) const {
    MObject end = node(ReturnStatus);
    return end.isNull() ? 0 : static_cast<unsigned>(khost::nodeOf(end)->children.size());
}

MObject MDagPath::child(unsigned int i, MStatus* ReturnStatus) const {
    MObject end = node(ReturnStatus);
    Node* n = khost::nodeOf(end);
    if (!n || i >= n->children.size()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MObject();
    }
    return n->children[i]->handle();
}

MStatus MDagPath::extendToShape() {
    MStatus status;
    Node* end = khost::nodeOf(node(&status));
    if (!end)
        return status;
    if (khost::isShape(end))
        return MS::kSuccess;
    Node* found = nullptr;
    for (Node* child : end->children)
        if (khost::isShape(child) && !khost::isIntermediate(child)) {
            if (found)
                return MS::kInvalidParameter;
            found = child;
        }
    if (!found)
        return MS::kInvalidParameter;
    fNodes.push_back(found->handle());
    return MS::kSuccess;
}

MMatrix MDagPath::inclusiveMatrix(MStatus* ReturnStatus) const {
    Node* end = khost::nodeOf(node(ReturnStatus));
    return end ? khost::worldMatrix(end) : MMatrix();
}

MMatrix MDagPath::exclusiveMatrix(MStatus* ReturnStatus) const {
    Node* end = khost::nodeOf(node(ReturnStatus));
    return end && end->parent ? khost::worldMatrix(end->parent) : MMatrix();
}

bool MDagPath::operator==(const MDagPath& other) const {
    return fNodes == other.fNodes;
}
