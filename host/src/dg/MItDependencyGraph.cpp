#include "dg/Scene.h"
#include <algorithm>
#include <deque>
#include <maya/MItDependencyGraph.h>
#include <set>

using khost::Node;

namespace {

// The nodes one connection away, in the order of the node's attributes (then of their indices), so
// that every walk of the same graph visits the same nodes first.
std::vector<Node*> neighbours(const Node* node, MItDependencyGraph::Direction direction) {
    std::vector<std::pair<const khost::PlugKey*, Node*>> links;
    if (direction == MItDependencyGraph::kUpstream) {
        for (const auto& in : node->incoming)
            links.emplace_back(&in.first, in.second.node);
    } else {
        for (const auto& out : node->outgoing)
            links.emplace_back(&out.first, out.second.node);
    }
    const auto rank = [node](const khost::PlugKey* key) {
        return std::make_pair(node->cls->positionOf(key->attr), key->indices);
    };
    std::stable_sort(links.begin(), links.end(),
                     [&rank](const auto& a, const auto& b) { return rank(a.first) < rank(b.first); });
    std::vector<Node*> result;
    for (const auto& link : links)
        result.push_back(link.second);
    return result;
}

} // namespace

MItDependencyGraph::MItDependencyGraph(MObject& rootNode, MFn::Type filter, Direction direction,
                                       Traversal traversal, Level level, MStatus* ReturnStatus) {
    Node* root = khost::nodeOf(rootNode);
    const bool valid = root && (direction == kUpstream || direction == kDownstream) &&
                       (traversal == kDepthFirst || traversal == kBreadthFirst) &&
                       (level == kNodeLevel || level == kPlugLevel);
    if (ReturnStatus)
        *ReturnStatus = valid ? MS::kSuccess : MS::kInvalidParameter;
    if (!valid)
        return;
    // A node counts as seen when it is visited (depth first: preorder) or queued (breadth first).
    std::set<const Node*> seen;
    std::deque<Node*> pending{root};
    if (traversal == kBreadthFirst)
        seen.insert(root);
    while (!pending.empty()) {
        Node* node = traversal == kDepthFirst ? pending.back() : pending.front();
        if (traversal == kDepthFirst) {
            pending.pop_back();
            if (!seen.insert(node).second)
                continue;
        } else {
            pending.pop_front();
        }
        if (filter == MFn::kInvalid || node->hasFn(filter))
            fItems.push_back(node->handle());
        std::vector<Node*> next = neighbours(node, direction);
        // Depth first takes the first neighbour next, so it goes on the stack last.
        if (traversal == kDepthFirst)
            std::reverse(next.begin(), next.end());
        for (Node* n : next) {
            if (!n || !n->isAlive || seen.count(n))
                continue;
            if (traversal == kBreadthFirst)
                seen.insert(n);
            pending.push_back(n);
        }
    }
}

bool MItDependencyGraph::isDone(MStatus* ReturnStatus) {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fPosition >= fItems.size();
}

MStatus MItDependencyGraph::next() {
    if (fPosition >= fItems.size())
        return MS::kFailure;
    ++fPosition;
    return MS::kSuccess;
}

MObject MItDependencyGraph::currentItem(MStatus* ReturnStatus) {
    const bool valid = fPosition < fItems.size();
    if (ReturnStatus)
        *ReturnStatus = valid ? MS::kSuccess : MS::kFailure;
    return valid ? fItems[fPosition] : MObject();
}

MObject MItDependencyGraph::thisNode(MStatus* ReturnStatus) {
    return currentItem(ReturnStatus);
}
