#include "geometry/GeometryAccess.h"
#include "geometry/NurbsClosestPoint.h"
#include "geometry/NurbsEvaluation.h"
#include <cmath>
#include <limits>
#include <maya/MFnNurbsSurface.h>

using khost::GeometryAccess;
using khost::NurbsSurfaceData;

namespace {

const NurbsSurfaceData* surfaceOf(const MObject& object, MStatus* status) {
    const NurbsSurfaceData* surface = GeometryAccess(object, MFn::kNurbsSurface).as<NurbsSurfaceData>();
    if (status)
        *status = surface ? MS::kSuccess : MS::kInvalidParameter;
    return surface;
}

bool finite(const MVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

MFnNurbsSurface::MFnNurbsSurface(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnNurbsSurface::MFnNurbsSurface(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnNurbsSurface::MFnNurbsSurface(const MDagPath& object, MStatus* ReturnStatus) {
    attach(object.node(), ReturnStatus);
}

int MFnNurbsSurface::numCVsInU(MStatus* ReturnStatus) const {
    const NurbsSurfaceData* surface = surfaceOf(fObject, ReturnStatus);
    return surface ? surface->numCVsU() : 0;
}

int MFnNurbsSurface::numCVsInV(MStatus* ReturnStatus) const {
    const NurbsSurfaceData* surface = surfaceOf(fObject, ReturnStatus);
    return surface ? surface->numCVsV() : 0;
}

int MFnNurbsSurface::degreeU(MStatus* ReturnStatus) const {
    const NurbsSurfaceData* surface = surfaceOf(fObject, ReturnStatus);
    return surface ? surface->degreeU : 0;
}

int MFnNurbsSurface::degreeV(MStatus* ReturnStatus) const {
    const NurbsSurfaceData* surface = surfaceOf(fObject, ReturnStatus);
    return surface ? surface->degreeV : 0;
}

MFnNurbsSurface::Form MFnNurbsSurface::formInU(MStatus* ReturnStatus) const {
    const NurbsSurfaceData* surface = surfaceOf(fObject, ReturnStatus);
    return surface ? surface->formU : kInvalid;
}

MFnNurbsSurface::Form MFnNurbsSurface::formInV(MStatus* ReturnStatus) const {
    const NurbsSurfaceData* surface = surfaceOf(fObject, ReturnStatus);
    return surface ? surface->formV : kInvalid;
}

MStatus MFnNurbsSurface::getCVs(MPointArray& array, MSpace::Space space) const {
    return GeometryAccess(fObject, MFn::kNurbsSurface).getPoints(array, space);
}

MStatus MFnNurbsSurface::getKnotsInU(MDoubleArray& array) const {
    MStatus status;
    if (const NurbsSurfaceData* surface = surfaceOf(fObject, &status))
        array = surface->knotsU;
    return status;
}

MStatus MFnNurbsSurface::getKnotsInV(MDoubleArray& array) const {
    MStatus status;
    if (const NurbsSurfaceData* surface = surfaceOf(fObject, &status))
        array = surface->knotsV;
    return status;
}

MStatus MFnNurbsSurface::getKnotDomain(double& startU, double& endU, double& startV, double& endV) const {
    MStatus status;
    const NurbsSurfaceData* surface = surfaceOf(fObject, &status);
    if (!surface)
        return status;
    if (!surface->isConsistent())
        return MS::kFailure;
    const khost::SurfaceEvaluator evaluator(*surface);
    startU = evaluator.u().start();
    endU = evaluator.u().end();
    startV = evaluator.v().start();
    endV = evaluator.v().end();
    return MS::kSuccess;
}

MStatus MFnNurbsSurface::getDerivativesAtParm(double uParm, double vParm, MPoint& pos, MVector& dU,
                                              MVector& dV, MSpace::Space space, MVector* dUU, MVector* dVV,
                                              MVector* dUV) const {
    GeometryAccess access(fObject, MFn::kNurbsSurface);
    const auto* surface = access.as<NurbsSurfaceData>();
    if (!surface)
        return MS::kInvalidParameter;
    if (!surface->isConsistent())
        return MS::kFailure;
    const khost::SurfaceEvaluator evaluator(*surface);
    if (!evaluator.u().place(uParm) || !evaluator.v().place(vParm))
        return MS::kInvalidParameter;
    const bool second = dUU || dVV || dUV;
    khost::SurfaceSample sample;
    evaluator.evaluate(uParm, vParm, second ? 2 : 1, sample);
    if (space == MSpace::kWorld) {
        const MMatrix matrix = access.matrix();
        sample.point *= matrix;
        for (MVector* v : {&sample.du, &sample.dv, &sample.duu, &sample.duv, &sample.dvv})
            *v *= matrix;
    }
    // CVs that are not finite, or so large that their sums overflow, give no surface to evaluate.
    if (!std::isfinite(sample.point.x) || !std::isfinite(sample.point.y) || !std::isfinite(sample.point.z) ||
        !finite(sample.du) || !finite(sample.dv) || !finite(sample.duu) || !finite(sample.duv) ||
        !finite(sample.dvv))
        return MS::kFailure;
    pos = sample.point;
    dU = sample.du;
    dV = sample.dv;
    if (dUU)
        *dUU = sample.duu;
    if (dVV)
        *dVV = sample.dvv;
    if (dUV)
        *dUV = sample.duv;
    return MS::kSuccess;
}

MStatus MFnNurbsSurface::getTangents(double uParm, double vParm, MVector& uTangent, MVector& vTangent,
                                     MSpace::Space space) const {
    MPoint point;
    MVector du, dv;
    MStatus status = getDerivativesAtParm(uParm, vParm, point, du, dv, space);
    if (!status)
        return status;
    if (!(du.length() > 0.0) || !(dv.length() > 0.0))
        return MS::kFailure;
    uTangent = du.normal();
    vTangent = dv.normal();
    return MS::kSuccess;
}

MPoint MFnNurbsSurface::closestPoint(const MPoint& toThisPoint, double* paramU, double* paramV, bool, double,
                                     MSpace::Space space, MStatus* ReturnStatus) const {
    GeometryAccess access(fObject, MFn::kNurbsSurface);
    const auto* surface = access.as<NurbsSurfaceData>();
    MStatus status = surface ? MStatus(MS::kSuccess) : MStatus(MS::kInvalidParameter);
    khost::SurfaceProjector::Result result;
    if (surface) {
        const khost::SurfaceProjector projector(*surface,
                                                space == MSpace::kWorld ? access.matrix() : MMatrix());
        status = projector.valid()
                     ? projector.closestPoint(toThisPoint, std::numeric_limits<double>::max(), result)
                     : MStatus(MS::kFailure);
    }
    if (ReturnStatus)
        *ReturnStatus = status;
    if (!status)
        return MPoint();
    if (paramU)
        *paramU = result.u;
    if (paramV)
        *paramV = result.v;
    return result.point;
}
