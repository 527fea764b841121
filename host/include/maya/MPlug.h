#pragma once
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <vector>

class MPlugArray;
class MIntArray;
class MDataHandle;

// A plug: a node, one of its attributes and the logical indices of the array attributes
// on the way from the top-level attribute down to it (-1 where an index is not given).
class MPlug {
public:
    MPlug() = default;
    MPlug(const MPlug& in) = default;
    MPlug(const MObject& node, const MObject& attribute);
    MPlug& operator=(const MPlug& other) = default;

    MObject attribute(MStatus* ReturnStatus = nullptr) const;
    MObject node(MStatus* ReturnStatus = nullptr) const;
    MString name(MStatus* ReturnStatus = nullptr) const;
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* ReturnStatus = nullptr) const;
    MString info(MStatus* ReturnStatus = nullptr) const;
    bool isNull(MStatus* ReturnStatus = nullptr) const;
    bool isArray(MStatus* ReturnStatus = nullptr) const;
    bool isElement(MStatus* ReturnStatus = nullptr) const;
    bool isCompound(MStatus* ReturnStatus = nullptr) const;
    bool isChild(MStatus* ReturnStatus = nullptr) const;
    bool isLocked(MStatus* ReturnStatus = nullptr) const;
    MStatus setLocked(bool locked);
    bool isConnected(MStatus* ReturnStatus = nullptr) const;
    bool isDestination(MStatus* ReturnStatus = nullptr) const;
    bool isSource(MStatus* ReturnStatus = nullptr) const;
    bool isNetworked(MStatus* ReturnStatus = nullptr) const;

    unsigned int logicalIndex(MStatus* ReturnStatus = nullptr) const;
    MPlug elementByLogicalIndex(unsigned int logicalIndex, MStatus* ReturnStatus = nullptr) const;
    MPlug elementByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus = nullptr) const;
    unsigned int numElements(MStatus* ReturnStatus = nullptr) const;
    unsigned int evaluateNumElements(MStatus* ReturnStatus = nullptr) const;
    unsigned int getExistingArrayAttributeIndices(MIntArray& indices, MStatus* ReturnStatus = nullptr);
    unsigned int numChildren(MStatus* ReturnStatus = nullptr) const;
    MPlug child(const MObject& attr, MStatus* ReturnStatus = nullptr) const;
    MPlug child(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    MPlug parent(MStatus* ReturnStatus = nullptr) const;
    MPlug array(MStatus* ReturnStatus = nullptr) const;
    MStatus selectAncestorLogicalIndex(unsigned int index, const MObject& attribute = MObject::kNullObj);
    bool connectedTo(MPlugArray& array, bool asDst, bool asSrc, MStatus* ReturnStatus = nullptr) const;
    MPlug source(MStatus* ReturnStatus = nullptr) const;

    bool asBool(MStatus* ReturnStatus = nullptr) const;
    int asInt(MStatus* ReturnStatus = nullptr) const;
    float asFloat(MStatus* ReturnStatus = nullptr) const;
    double asDouble(MStatus* ReturnStatus = nullptr) const;
    MString asString(MStatus* ReturnStatus = nullptr) const;
    MObject asMObject(MStatus* ReturnStatus = nullptr) const;
    MDataHandle asMDataHandle(MStatus* ReturnStatus = nullptr) const;

    MStatus setBool(bool value);
    MStatus setInt(int value);
    MStatus setFloat(float value);
    MStatus setDouble(double value);
    MStatus setString(const MString& value);
    MStatus setMObject(const MObject& value);
    MStatus setMDataHandle(MDataHandle handle);

    bool operator==(const MPlug& other) const;
    bool operator!=(const MPlug& other) const { return !(*this == other); }

    // Host side only.
    MPlug(const MObject& node, const MObject& attribute, std::vector<int> indices)
        : fNode(node), fAttr(attribute), fIndices(std::move(indices)) {}
    const std::vector<int>& indices() const { return fIndices; }

private:
    MObject fNode;
    MObject fAttr;
    std::vector<int> fIndices;
};
