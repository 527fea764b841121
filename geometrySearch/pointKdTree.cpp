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

} // namespace

struct PointKdTree::Search {
    const MPoint& q;
    SideFilter side;
    int axis;
    int& bestIndex;
    double& bestDistance;
    double bestSquared;
};

PointKdTree::PointKdTree(const MPointArray& points) : fPoints(points) {
    const unsigned int count = points.length();
    fIndices.reserve(count);
    for (unsigned int i = 0; i < count; ++i) {
        const MPoint& p = points[i];
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) {
            fIndices.push_back(i);
        }
    }
    if (fIndices.empty()) {
        return;
    }
    fNodes.reserve(2 * fIndices.size() / kLeafSize + 2);
    build(0, static_cast<uint32_t>(fIndices.size()), 0);
    fLeafPoints.resize(3 * fIndices.size());
    for (size_t k = 0; k < fIndices.size(); ++k) {
        const MPoint& p = points[fIndices[k]];
        fLeafPoints[3 * k] = p.x;
        fLeafPoints[3 * k + 1] = p.y;
        fLeafPoints[3 * k + 2] = p.z;
    }
}

int PointKdTree::build(uint32_t begin, uint32_t end, int depth) {
    if (begin == end) {
        return -1;
    }
    const int index = static_cast<int>(fNodes.size());
    fNodes.emplace_back();
    Node node;
    for (unsigned int k = 0; k < 3; ++k) {
        node.lo[k] = std::numeric_limits<double>::infinity();
        node.hi[k] = -std::numeric_limits<double>::infinity();
    }
    for (uint32_t i = begin; i < end; ++i) {
        const MPoint& p = fPoints[fIndices[i]];
        for (unsigned int k = 0; k < 3; ++k) {
            node.lo[k] = std::min(node.lo[k], p[k]);
            node.hi[k] = std::max(node.hi[k], p[k]);
        }
    }
    if (end - begin > kLeafSize) {
        const unsigned int axis = static_cast<unsigned int>(depth % 3);
        const uint32_t mid = begin + (end - begin) / 2;
        std::nth_element(
            fIndices.begin() + begin, fIndices.begin() + mid, fIndices.begin() + end,
            [this, axis](uint32_t a, uint32_t b) { return fPoints[a][axis] < fPoints[b][axis]; });
        node.left = build(begin, mid, depth + 1);
        node.right = build(mid, end, depth + 1);
    } else {
        node.first = begin;
        node.count = end - begin;
    }
    fNodes[static_cast<size_t>(index)] = node;
    return index;
}

double PointKdTree::boxDistanceSquared(const Node& node, const MPoint& q) const {
    double sum = 0.0;
    for (unsigned int k = 0; k < 3; ++k) {
        const double below = node.lo[k] - q[k];
        const double above = q[k] - node.hi[k];
        const double gap = below > 0.0 ? below : (above > 0.0 ? above : 0.0);
        sum += gap * gap;
    }
    return sum;
}

void PointKdTree::search(const MPoint& q, SideFilter side, int axis, int& bestIndex,
                         double& bestDistance) const {
    if (fNodes.empty() || axis < 0 || axis > 2) {
        return;
    }
    Search state{q, side, axis, bestIndex, bestDistance, bestDistance * bestDistance};
    visit(0, boxDistanceSquared(fNodes[0], q), state);
}

void PointKdTree::visit(int index, double boxSquared, Search& s) const {
    const Node& node = fNodes[static_cast<size_t>(index)];
    // A box wholly on the rejected side holds nothing the search may take.
    const unsigned int axis = static_cast<unsigned int>(s.axis);
    if (rootNotLess(boxSquared, s.bestSquared) ||
        (s.side == SideFilter::kPositive && node.hi[axis] < kSideTolerance) ||
        (s.side == SideFilter::kNegative && node.lo[axis] > -kSideTolerance)) {
        return;
    }
    if (node.left >= 0 || node.right >= 0) {
        const double left = node.left >= 0 ? boxDistanceSquared(fNodes[static_cast<size_t>(node.left)], s.q)
                                           : std::numeric_limits<double>::infinity();
        const double right = node.right >= 0
                                 ? boxDistanceSquared(fNodes[static_cast<size_t>(node.right)], s.q)
                                 : std::numeric_limits<double>::infinity();
        const bool rightFirst = rootNotLess(left, right);
        const int first = rightFirst ? node.right : node.left;
        const int second = rightFirst ? node.left : node.right;
        if (first >= 0) {
            visit(first, rightFirst ? right : left, s);
        }
        if (second >= 0) {
            visit(second, rightFirst ? left : right, s);
        }
        return;
    }
    const double* p = &fLeafPoints[3 * static_cast<size_t>(node.first)];
    for (uint32_t k = 0; k < node.count; ++k, p += 3) {
        if (!passes(s.side, p[axis])) {
            continue;
        }
        const double dx = p[0] - s.q.x, dy = p[1] - s.q.y, dz = p[2] - s.q.z;
        const double squared = dx * dx + dy * dy + dz * dz;
        if (rootNotLess(squared, s.bestSquared)) {
            continue;
        }
        const double distance = std::sqrt(squared);
        if (distance < s.bestDistance) {
            s.bestDistance = distance;
            s.bestSquared = squared;
            s.bestIndex = static_cast<int>(fIndices[node.first + k]);
        }
    }
}
