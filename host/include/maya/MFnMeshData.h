#pragma once
#include <maya/MFnGeometryData.h>

class MFnMeshData : public MFnGeometryData {
public:
    MFnMeshData() = default;
    MFnMeshData(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnMeshData(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kMeshData; }

    // New empty mesh data, to be filled by MFnMesh::create with it as the owner.
    MObject create(MStatus* ReturnStatus = nullptr);
};
