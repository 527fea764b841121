#include "geometry/GeometryData.h"
#include <maya/MFnMeshData.h>
#include <maya/MFnNurbsCurveData.h>

using khost::GeometryData;

MFnGeometryData::MFnGeometryData(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnGeometryData::MFnGeometryData(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

MStatus MFnGeometryData::getMatrix(MMatrix& matrix) const {
    auto* geometry = khost::objectAs<GeometryData>(fObject);
    if (!geometry)
        return MS::kInvalidParameter;
    matrix = geometry->matrix;
    return MS::kSuccess;
}

MStatus MFnGeometryData::setMatrix(const MMatrix& matrix) {
    auto* geometry = khost::objectAs<GeometryData>(fObject);
    if (!geometry)
        return MS::kInvalidParameter;
    geometry->matrix = matrix;
    return MS::kSuccess;
}

MFnMeshData::MFnMeshData(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnMeshData::MFnMeshData(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

MObject MFnMeshData::create(MStatus* ReturnStatus) {
    fObject = MObject(std::make_shared<khost::MeshData>());
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fObject;
}

MFnNurbsCurveData::MFnNurbsCurveData(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnNurbsCurveData::MFnNurbsCurveData(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

MObject MFnNurbsCurveData::create(MStatus* ReturnStatus) {
    fObject = MObject(std::make_shared<khost::NurbsCurveData>());
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fObject;
}
