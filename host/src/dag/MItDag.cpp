#include "dag/Dag.h"
#include <deque>
#include <maya/MItDag.h>

using khost::Node;

MItDag::MItDag(TraversalType type, MFn::Type filter, MStatus* ReturnStatus) {
    fType = type;
    fFilter = filter;
    MStatus status = reset();
    if (ReturnStatus)
        *ReturnStatus = status;
}

MStatus MItDag::reset() {
    std::vector<MObject> roots;
    for (const auto& node : khost::Scene::instance().nodes())
        if (node->isDag() && !node->parent)
            roots.push_back(node->handle());
    return start(roots, fType, fFilter);
}

MStatus MItDag::reset(const MObject& object, TraversalType type, MFn::Type filter) {
    Node* n = khost::nodeOf(object);
    if (!n || !n->isDag())
        return MS::kInvalidParameter;
    return start({object}, type, filter);
}

MStatus MItDag::reset(const MDagPath& path, TraversalType type, MFn::Type filter) {
    return reset(path.node(), type, filter);
}

MStatus MItDag::start(const std::vector<MObject>& roots, TraversalType type, MFn::Type filter) {
    if (type != kDepthFirst && type != kBreadthFirst)
        return MS::kInvalidParameter;
    fType = type;
    fFilter = filter;
    fItems.clear();
    fPosition = 0;
    // The walk is taken when the iterator is reset: later edits of the scene do not disturb it.
    std::deque<Node*> pending;
    for (const MObject& root : roots)
        pending.push_back(khost::nodeOf(root));
    while (!pending.empty()) {
        Node* n = pending.front();
        pending.pop_front();
        if (filter == MFn::kInvalid || n->hasFn(filter))
            fItems.push_back(n->handle());
        if (type == kBreadthFirst)
            pending.insert(pending.end(), n->children.begin(), n->children.end());
        else
            pending.insert(pending.begin(), n->children.begin(), n->children.end());
    }
    return MS::kSuccess;
}

bool MItDag::isDone(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fPosition >= fItems.size();
}

MStatus MItDag::next() {
    if (isDone())
        return MS::kFailure;
    ++fPosition;
    return MS::kSuccess;
}

MObject MItDag::currentItem(MStatus* ReturnStatus) {
    bool ok = !isDone();
    if (ReturnStatus)
        *ReturnStatus = ok ? MS::kSuccess : MS::kFailure;
    return ok ? fItems[fPosition] : MObject();
}

MStatus MItDag::getPath(MDagPath& path) const {
    if (isDone())
        return MS::kFailure;
    return MDagPath::getAPathTo(fItems[fPosition], path);
}
