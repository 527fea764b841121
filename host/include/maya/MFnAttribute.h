#pragma once
#include <maya/MFnBase.h>
#include <maya/MFnData.h>
#include <maya/MString.h>

class MFnAttribute : public MFnBase {
public:
    enum DisconnectBehavior { kDelete, kReset, kNothing };
    MFnAttribute() = default;
    MFnAttribute(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnAttribute(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kAttribute; }

    MString name() const;
    MString shortName() const;
    bool isReadable(MStatus* ReturnStatus = nullptr) const;
    bool isWritable(MStatus* ReturnStatus = nullptr) const;
    bool isConnectable(MStatus* ReturnStatus = nullptr) const;
    bool isStorable(MStatus* ReturnStatus = nullptr) const;
    bool isKeyable(MStatus* ReturnStatus = nullptr) const;
    bool isHidden(MStatus* ReturnStatus = nullptr) const;
    bool isArray(MStatus* ReturnStatus = nullptr) const;
    bool internal(MStatus* ReturnStatus = nullptr) const;
    bool usesArrayDataBuilder(MStatus* ReturnStatus = nullptr) const;
    DisconnectBehavior disconnectBehavior(MStatus* ReturnStatus = nullptr) const;
    bool accepts(MFnData::Type type, MStatus* ReturnStatus = nullptr) const;
    MObject parent(MStatus* ReturnStatus = nullptr) const;

    MStatus setReadable(bool state);
    MStatus setWritable(bool state);
    MStatus setConnectable(bool state);
    MStatus setStorable(bool state);
    MStatus setKeyable(bool state);
    MStatus setHidden(bool state);
    MStatus setArray(bool state);
    MStatus setInternal(bool state);
    MStatus setUsesArrayDataBuilder(bool state);
    MStatus setCached(bool state);
    MStatus setDisconnectBehavior(DisconnectBehavior behavior);
};
