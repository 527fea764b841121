#pragma once
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <vector>

// Walks the dependency graph from a root node along connections, upstream (towards sources) or
// downstream, depth or breadth first, at node level: the root comes first and every node is
// visited once. With a filter only nodes of that type are visited (the walk still goes through
// the others).
class MItDependencyGraph {
public:
    enum Direction { kDownstream, kUpstream };
    enum Traversal { kDepthFirst, kBreadthFirst };
    enum Level { kNodeLevel, kPlugLevel };

    MItDependencyGraph(MObject& rootNode, MFn::Type filter = MFn::kInvalid, Direction direction = kDownstream,
                       Traversal traversal = kDepthFirst, Level level = kNodeLevel,
                       MStatus* ReturnStatus = nullptr);
    bool isDone(MStatus* ReturnStatus = nullptr);
    MStatus next();
    MObject currentItem(MStatus* ReturnStatus = nullptr);
    MObject thisNode(MStatus* ReturnStatus = nullptr);

private:
    std::vector<MObject> fItems;
    size_t fPosition = 0;
};
