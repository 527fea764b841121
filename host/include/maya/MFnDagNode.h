#pragma once
#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>

// A DAG node: its place in the hierarchy and the intermediate-object flag.
class MFnDagNode : public MFnDependencyNode {
public:
    MFnDagNode() = default;
    MFnDagNode(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnDagNode(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFnDagNode(const MDagPath& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kDagNode; }

    using MFnDependencyNode::setObject;
    MStatus setObject(const MDagPath& path);

    unsigned int parentCount(MStatus* ReturnStatus = nullptr) const;
    MObject parent(unsigned int i, MStatus* ReturnStatus = nullptr) const;
    unsigned int childCount(MStatus* ReturnStatus = nullptr) const;
    MObject child(unsigned int i, MStatus* ReturnStatus = nullptr) const;
    bool isIntermediateObject(MStatus* ReturnStatus = nullptr) const;
    MStatus setIntermediateObject(bool isIntermediate);
    MStatus getPath(MDagPath& path) const;
    MDagPath dagPath(MStatus* ReturnStatus = nullptr) const;
    MString fullPathName(MStatus* ReturnStatus = nullptr) const;
    MString partialPathName(MStatus* ReturnStatus = nullptr) const;
};
