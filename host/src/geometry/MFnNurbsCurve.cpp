#include "dag/Dag.h"
#include "geometry/CurveEvaluation.h"
#include "geometry/GeometryAccess.h"
#include <maya/MFnNurbsCurve.h>

using khost::GeometryAccess;
using khost::NurbsCurveData;

namespace {

const NurbsCurveData* curveOf(const MObject& object, MStatus* status) {
    const NurbsCurveData* curve = GeometryAccess(object, MFn::kNurbsCurve).as<NurbsCurveData>();
    if (status)
        *status = curve ? MS::kSuccess : MS::kInvalidParameter;
    return curve;
}

} // namespace

MFnNurbsCurve::MFnNurbsCurve(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnNurbsCurve::MFnNurbsCurve(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnNurbsCurve::MFnNurbsCurve(const MDagPath& object, MStatus* ReturnStatus) {
    attach(object.node(), ReturnStatus);
}

MObject MFnNurbsCurve::create(const MPointArray& controlVertices, const MDoubleArray& knotSequences,
                              unsigned int degree, Form form, bool, bool createRational,
                              const MObject& parentOrOwner, MStatus* ReturnStatus) {
    auto fail = [&]() {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return MObject();
    };
    auto curve = std::make_shared<NurbsCurveData>();
    curve->points = controlVertices;
    curve->knots = knotSequences;
    curve->degree = static_cast<int>(degree);
    curve->form = form;
    // Rational curves (weighted CVs) are not modelled.
    if (createRational || form == kInvalid || form == kLast || !curve->isConsistent())
        return fail();
    return khost::placeCreatedGeometry(curve, parentOrOwner, "nurbsCurve", "curve#", fObject, ReturnStatus);
}

int MFnNurbsCurve::numCVs(MStatus* ReturnStatus) const {
    const NurbsCurveData* curve = curveOf(fObject, ReturnStatus);
    return curve ? static_cast<int>(curve->points.length()) : 0;
}

int MFnNurbsCurve::numSpans(MStatus* ReturnStatus) const {
    const NurbsCurveData* curve = curveOf(fObject, ReturnStatus);
    return curve ? static_cast<int>(curve->points.length()) - curve->degree : 0;
}

int MFnNurbsCurve::numKnots(MStatus* ReturnStatus) const {
    const NurbsCurveData* curve = curveOf(fObject, ReturnStatus);
    return curve ? static_cast<int>(curve->knots.length()) : 0;
}

int MFnNurbsCurve::degree(MStatus* ReturnStatus) const {
    const NurbsCurveData* curve = curveOf(fObject, ReturnStatus);
    return curve ? curve->degree : 0;
}

MFnNurbsCurve::Form MFnNurbsCurve::form(MStatus* ReturnStatus) const {
    const NurbsCurveData* curve = curveOf(fObject, ReturnStatus);
    return curve ? curve->form : kInvalid;
}

MStatus MFnNurbsCurve::getCVs(MPointArray& array, MSpace::Space space) const {
    return GeometryAccess(fObject, MFn::kNurbsCurve).getPoints(array, space);
}

MStatus MFnNurbsCurve::setCVs(const MPointArray& array, MSpace::Space space) {
    GeometryAccess access(fObject, MFn::kNurbsCurve);
    return access.setPoints(array, space);
}

MStatus MFnNurbsCurve::getKnots(MDoubleArray& array) const {
    MStatus status;
    const NurbsCurveData* curve = curveOf(fObject, &status);
    if (curve)
        array = curve->knots;
    return status;
}

MStatus MFnNurbsCurve::getKnotDomain(double& start, double& end) const {
    MStatus status;
    const NurbsCurveData* curve = curveOf(fObject, &status);
    if (!curve)
        return status;
    if (!curve->isConsistent())
        return MS::kFailure;
    start = curve->knots[static_cast<unsigned>(curve->degree - 1)];
    end = curve->knots[curve->points.length() - 1];
    return MS::kSuccess;
}

MPoint MFnNurbsCurve::closestPoint(const MPoint& toThisPoint, double* param, double, MSpace::Space space,
                                   MStatus* ReturnStatus) const {
    MStatus status;
    const NurbsCurveData* curve = curveOf(fObject, &status);
    MPointArray cvs;
    if (curve && !curve->isConsistent())
        status = MS::kFailure;
    if (status)
        status = GeometryAccess(fObject, MFn::kNurbsCurve).getPoints(cvs, space);
    MPoint closest;
    double t = 0.0;
    if (status && !khost::closestPointOnCurve(khost::CurveEvaluator(*curve, cvs), toThisPoint, closest, t))
        status = MS::kInvalidParameter;
    if (ReturnStatus)
        *ReturnStatus = status;
    if (!status)
        return MPoint();
    if (param)
        *param = t;
    return closest;
}

MStatus MFnNurbsCurve::updateCurve() {
    GeometryAccess access(fObject, MFn::kNurbsCurve);
    return access.touch();
}
