#pragma once
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

namespace khost {
struct Value;
}

// A reference to one value of a node's data block.
class MDataHandle {
public:
    MDataHandle() = default;

    bool isNumeric() const;
    bool isGeneric(bool& isNumeric, bool& isNull) const;
    MFnNumericData::Type numericType() const;
    MFnData::Type type() const;
    MObject attribute();
    MObject data();
    MStatus set(const MObject& data);
    void setMObject(const MObject& data);
    void setClean();

    bool& asBool() const;
    int& asInt() const;
    float& asFloat() const;
    double& asDouble() const;
    MString asString() const;
    MObject asMesh() const;
    MObject asNurbsCurve() const;
    MObject asNurbsSurface() const;
    MObject asMeshTransformed() const;
    MObject asNurbsCurveTransformed() const;
    MObject asNurbsSurfaceTransformed() const;
    const MMatrix& geometryTransformMatrix() const;

    void setBool(bool value);
    void setInt(int value);
    void setFloat(float value);
    void setDouble(double value);
    void setString(const MString& value);
    MStatus copy(const MDataHandle& src);

    MDataHandle child(const MObject& attribute);

    // Host side only.
    explicit MDataHandle(khost::Value* value) : fValue(value) {}
    khost::Value* value() const { return fValue; }

private:
    khost::Value* fValue = nullptr;
};
