#pragma once
#include <maya/MFnData.h>
#include <maya/MMatrix.h>

// Geometry data (mesh, curve): the matrix it carries, identity unless it left a shape through
// worldMesh/worldSpace.
class MFnGeometryData : public MFnData {
public:
    MFnGeometryData() = default;
    MFnGeometryData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnGeometryData(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kGeometryData; }

    MStatus getMatrix(MMatrix& matrix) const;
    MStatus setMatrix(const MMatrix& matrix);
};
