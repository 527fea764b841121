#pragma once
#include <maya/MDagPath.h>
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <vector>

// Walks DAG nodes depth or breadth first. Without a root it walks every top-level DAG node and its
// descendants (the host has no world node to visit); with a root the root comes first.
class MItDag {
public:
    enum TraversalType { kInvalidType, kDepthFirst, kBreadthFirst };

    MItDag(TraversalType type = kDepthFirst, MFn::Type filter = MFn::kInvalid,
           MStatus* ReturnStatus = nullptr);
    MStatus reset();
    MStatus reset(const MObject& object, TraversalType type = kDepthFirst, MFn::Type filter = MFn::kInvalid);
    MStatus reset(const MDagPath& path, TraversalType type = kDepthFirst, MFn::Type filter = MFn::kInvalid);
    bool isDone(MStatus* ReturnStatus = nullptr) const;
    MStatus next();
    MObject currentItem(MStatus* ReturnStatus = nullptr);
    MStatus getPath(MDagPath& path) const;

private:
    MStatus start(const std::vector<MObject>& roots, TraversalType type, MFn::Type filter);

    std::vector<MObject> fItems;
    size_t fPosition = 0;
    TraversalType fType = kDepthFirst;
    MFn::Type fFilter = MFn::kInvalid;
};
