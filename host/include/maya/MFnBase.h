#pragma once
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

class MFnBase {
public:
    MFnBase() = default;
    virtual ~MFnBase() = default;
    virtual MFn::Type type() const { return MFn::kBase; }
    bool hasObj(MFn::Type type) const;
    bool hasObj(const MObject& object) const;
    MObject object(MStatus* ReturnStatus = nullptr) const;
    virtual MStatus setObject(MObject& object);
    virtual MStatus setObject(const MObject& object);
    static bool isValid(MFn::Type type);

protected:
    // Attaches when the object supports this set's type; leaves the set empty otherwise.
    MStatus attach(const MObject& object, MStatus* ReturnStatus);
    MObject fObject;
};
