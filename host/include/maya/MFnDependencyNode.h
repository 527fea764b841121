#pragma once
#include <maya/MFnBase.h>
#include <maya/MPlug.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MTypeId.h>

class MPxNode;

class MFnDependencyNode : public MFnBase {
public:
    enum MAttrClass { kLocalDynamicAttr = 1, kNormalAttr, kExtensionAttr, kInvalidAttr };
    MFnDependencyNode() = default;
    MFnDependencyNode(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnDependencyNode(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kDependencyNode; }

    MString name(MStatus* ReturnStatus = nullptr) const;
    MString typeName(MStatus* ReturnStatus = nullptr) const;
    MTypeId typeId(MStatus* ReturnStatus = nullptr) const;
    MString setName(const MString& name, bool createNamespace = false, MStatus* ReturnStatus = nullptr);
    MObject attribute(const MString& attrName, MStatus* ReturnStatus = nullptr) const;
    unsigned int attributeCount(MStatus* ReturnStatus = nullptr) const;
    MObject attribute(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    bool hasAttribute(const MString& name, MStatus* ReturnStatus = nullptr) const;
    MPlug findPlug(const MString& attrName, bool wantNetworkedPlug, MStatus* ReturnStatus = nullptr) const;
    MPlug findPlug(const MObject& attr, bool wantNetworkedPlug, MStatus* ReturnStatus = nullptr) const;
    MPxNode* userNode(MStatus* ReturnStatus = nullptr) const;
    bool getAliasList(MStringArray& strArray, MStatus* ReturnStatus = nullptr);
    MString plugsAlias(const MPlug& plug, MStatus* ReturnStatus = nullptr);
};
