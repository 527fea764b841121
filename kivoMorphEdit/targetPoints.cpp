#include "kivoMorphEdit/targetPoints.h"

#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>

namespace {

MStatus unsupported() {
    MGlobal::displayError("Unsupported geometry. Only meshes and NURBS curves are supported.");
    return MS::kFailure;
}

} // namespace

MStatus readPoints(const MDagPath& path, MPointArray& points) {
    MStatus status;
    if (path.hasFn(MFn::kMesh)) {
        const MFnMesh mesh(path, &status);
        return status ? mesh.getPoints(points, MSpace::kObject) : status;
    }
    if (path.hasFn(MFn::kNurbsCurve)) {
        const MFnNurbsCurve curve(path, &status);
        return status ? curve.getCVs(points, MSpace::kObject) : status;
    }
    return unsupported();
}

MStatus writePoints(const MDagPath& path, const MPointArray& points) {
    MStatus status;
    if (path.hasFn(MFn::kMesh)) {
        MFnMesh mesh(path, &status);
        if (!status) {
            return status;
        }
        MFloatPointArray floats(points.length());
        for (unsigned int i = 0; i < points.length(); ++i) {
            floats[i] = MFloatPoint(points[i]);
        }
        return mesh.setPoints(floats, MSpace::kObject);
    }
    if (path.hasFn(MFn::kNurbsCurve)) {
        MFnNurbsCurve curve(path, &status);
        if (!status) {
            return status;
        }
        status = curve.setCVs(points, MSpace::kObject);
        return status ? curve.updateCurve() : status;
    }
    return unsupported();
}
