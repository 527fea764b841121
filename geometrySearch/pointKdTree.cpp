#include "geometrySearch/pointKdTree.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr uint32_t kLeafSize = 8;

// sqrt(a) >= sqrt(b) for squared distances, taking square roots only where rounding could tell the
// two comparisons apart: the tree compares distances, as its contract says, at the price of squares.
bool rootNotLess(double a, double b) {
    if (a >= b) {
        return true;
    }
    if (a < b * (1.0 - 1e-15)) {
        return false;
    }
    return std::sqrt(a) >= std::sqrt(b);
}

bool passes(SideFilter side, double coordinate) {
    switch (side) {
    case SideFilter::kPositive:
        return coordinate >= kSideTolerance;
    case SideFilter::kNegative:
        return coordinate <= -kSideTolerance;
    case SideFilter::kNone:
        break;
    }
    return true;
}

template <typename Box> double boxDistanceSquared(const Box& box, const double q[3]) {
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) {
        const double below = box.lo[k] - q[k];
        const double above = q[k] - box.hi[k];
        const double gap = below > 0.0 ? below : (above > 0.0 ? above : 0.0);
        sum += gap * gap;
    }
    return sum;
}

} // namespace

struct PointKdTree::Search {
    double q[3];
    SideFilter side;
    int axis;
    int& bestIndex;
    double& bestDistance;
    double bestSquared;
};

PointKdTree::PointKdTree(const MPointArray& points) {
    const unsigned int count = points.length();
    fEntries.reserve(count);
    for (unsigned int i = 0; i < count; ++i) {
        const MPoint& p = points[i];
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) {
            fEntries.push_back(Entry{{p.x, p.y, p.z}, i});
        }
    }
    if (!fEntries.empty()) {
        fNodes.reserve(4 * fEntries.size() / kLeafSize + 2);
        fNodes.resize(1);
        build(0, 0, static_cast<uint32_t>(fEntries.size()), 0);
    }
}

// Fills the node at `index` over fEntries[begin, end). Children take two adjacent new slots, so a
// search reads both of their boxes together. A node's box is the box of its points: a leaf measures
// them, a parent joins its children's boxes.
void PointKdTree::build(int index, uint32_t begin, uint32_t end, int depth) {
    Node node;
    for (int k = 0; k < 3; ++k) {
        node.lo[k] = std::numeric_limits<double>::infinity();
        node.hi[k] = -std::numeric_limits<double>::infinity();
    }
    if (end - begin > kLeafSize) {
        const int axis = depth % 3;
        const uint32_t mid = begin + (end - begin) / 2;
        std::nth_element(fEntries.begin() + begin, fEntries.begin() + mid, fEntries.begin() + end,
                         [axis](const Entry& a, const Entry& b) { return a.p[axis] < b.p[axis]; });
        node.left = static_cast<int>(fNodes.size());
        node.right = node.left + 1;
        fNodes.resize(fNodes.size() + 2);
        build(node.left, begin, mid, depth + 1);
        build(node.right, mid, end, depth + 1);
        for (const int child : {node.left, node.right}) {
            const Node& part = fNodes[static_cast<size_t>(child)];
            for (int k = 0; k < 3; ++k) {
                node.lo[k] = std::min(node.lo[k], part.lo[k]);
                node.hi[k] = std::max(node.hi[k], part.hi[k]);
            }
        }
    } else {
        node.first = begin;
        node.count = end - begin;
        for (uint32_t i = begin; i < end; ++i) {
            for (int k = 0; k < 3; ++k) {
                node.lo[k] = std::min(node.lo[k], fEntries[i].p[k]);
                node.hi[k] = std::max(node.hi[k], fEntries[i].p[k]);
            }
        }
    }
    fNodes[static_cast<size_t>(index)] = node;
}

void PointKdTree::search(const MPoint& q, SideFilter side, int axis, int& bestIndex,
                         double& bestDistance) const {
    if (fNodes.empty() || axis < 0 || axis > 2) {
        return;
    }
    Search state{{q.x, q.y, q.z}, side, axis, bestIndex, bestDistance, bestDistance * bestDistance};
    visit(0, boxDistanceSquared(fNodes[0], state.q), state);
}

// Visits the nearer child first, then goes on with the farther one here (no call for it), each time
// only while its box is closer than the best point and not wholly on the rejected side.
void PointKdTree::visit(int index, double boxSquared, Search& s) const {
    for (;;) {
        const Node& node = fNodes[static_cast<size_t>(index)];
        if (rootNotLess(boxSquared, s.bestSquared) ||
            (s.side == SideFilter::kPositive && node.hi[s.axis] < kSideTolerance) ||
            (s.side == SideFilter::kNegative && node.lo[s.axis] > -kSideTolerance)) {
            return;
        }
        if (node.left < 0) {
            visitLeaf(node, s);
            return;
        }
        const double left = boxDistanceSquared(fNodes[static_cast<size_t>(node.left)], s.q);
        const double right = boxDistanceSquared(fNodes[static_cast<size_t>(node.right)], s.q);
        if (rootNotLess(left, right)) {
            visit(node.right, right, s);
            index = node.left;
            boxSquared = left;
        } else {
            visit(node.left, left, s);
            index = node.right;
            boxSquared = right;
        }
    }
}

void PointKdTree::visitLeaf(const Node& node, Search& s) const {
    const int axis = s.axis;
    const double qx = s.q[0], qy = s.q[1], qz = s.q[2];
    for (uint32_t k = node.first; k < node.first + node.count; ++k) {
        const Entry& entry = fEntries[k];
        if (!passes(s.side, entry.p[axis])) {
            continue;
        }
        const double dx = entry.p[0] - qx, dy = entry.p[1] - qy, dz = entry.p[2] - qz;
        const double squared = dx * dx + dy * dy + dz * dz;
        if (rootNotLess(squared, s.bestSquared)) {
            continue;
        }
        const double distance = std::sqrt(squared);
        if (distance < s.bestDistance) {
            s.bestDistance = distance;
            s.bestSquared = squared;
            s.bestIndex = static_cast<int>(entry.index);
        }
    }
}
