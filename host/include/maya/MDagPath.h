#pragma once
#include <maya/MFn.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <vector>

// A path from the world down to a DAG node: the node and its ancestors, root first.
// The host has no instancing, so every DAG node has exactly one path.
class MDagPath {
public:
    MDagPath() = default;
    MDagPath(const MDagPath& src) = default;
    MDagPath& operator=(const MDagPath& src) = default;
    virtual ~MDagPath() = default;

    static MStatus getAPathTo(const MObject& node, MDagPath& path);
    static MDagPath getAPathTo(const MObject& node, MStatus* ReturnStatus = nullptr);

    bool hasFn(MFn::Type type, MStatus* ReturnStatus = nullptr) const;
    MFn::Type apiType(MStatus* ReturnStatus = nullptr) const;
    bool isValid(MStatus* ReturnStatus = nullptr) const;
    MObject node(MStatus* ReturnStatus = nullptr) const;
    // The transform at the end of the path, or the shape's transform when the path ends at a shape.
    MObject transform(MStatus* ReturnStatus = nullptr) const;
    // Number of nodes on the path; the world is not counted.
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MString fullPathName(MStatus* ReturnStatus = nullptr) const;
    MString partialPathName(MStatus* ReturnStatus = nullptr) const;
    MStatus pop(unsigned int num = 1);
    // Extends the path by a DAG child of its last node.
    MStatus push(const MObject& child);
    unsigned int childCount(MStatus* ReturnStatus = nullptr) const;
    MObject child(unsigned int i, MStatus* ReturnStatus = nullptr) const;
    // From a transform, extends the path to its only non-intermediate shape.
    MStatus extendToShape();
    MMatrix inclusiveMatrix(MStatus* ReturnStatus = nullptr) const;
    MMatrix exclusiveMatrix(MStatus* ReturnStatus = nullptr) const;

    bool operator==(const MDagPath& other) const;
    bool operator!=(const MDagPath& other) const { return !(*this == other); }

private:
    std::vector<MObject> fNodes;
};
