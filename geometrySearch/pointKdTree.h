#pragma once
// A k-d tree over points for nearest-point searches that may take points from one side of a
// coordinate plane only. Boxes split at the median of their points along x, y, z in turn; leaves
// hold at most 8 points; a search visits the nearer child first and only boxes closer than the
// best point found so far.

#include <maya/MPoint.h>
#include <maya/MPointArray.h>

#include <cfloat>
#include <cstdint>
#include <vector>

// Which points a search may return, by their coordinate on the search's axis.
enum class SideFilter { kNone = 0, kPositive = 1, kNegative = 2 };

// Coordinates within this of the plane belong to neither side.
inline constexpr double kSideTolerance = 1e-6;

class PointKdTree {
public:
    // Over every point of the array (copied). Points that are not finite are left out: no search
    // could find them nearest.
    explicit PointKdTree(const MPointArray& points);

    // Starting from bestIndex and bestDistance (-1 and the largest double for a fresh search), keeps
    // the point that passes the filter on `axis` and lies strictly closer to q than the best so far;
    // of equal distances the point met first stays.
    void search(const MPoint& q, SideFilter side, int axis, int& bestIndex, double& bestDistance) const;

private:
    struct Node {
        double lo[3], hi[3];
        // Children's positions in fNodes, both or none (-1, a leaf: its points are
        // fEntries[first, first + count)).
        int left = -1, right = -1;
        uint32_t first = 0, count = 0;
    };
    // A point and its index: the tree reorders these, so that a leaf reads one stretch of memory.
    struct Entry {
        double p[3];
        uint32_t index;
    };
    struct Search;

    void build(int index, uint32_t begin, uint32_t end, int depth);
    void visit(int node, double boxDistanceSquared, Search& search) const;
    void visitLeaf(const Node& leaf, Search& search) const;

    std::vector<Entry> fEntries;
    std::vector<Node> fNodes;
};
