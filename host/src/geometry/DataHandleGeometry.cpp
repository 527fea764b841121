// MDataHandle's geometry access in world space: the geometry with the matrix it carries applied.
#include "dg/Value.h"
#include "geometry/GeometryData.h"
#include <maya/MDataHandle.h>

namespace {

MObject transformedCopy(const khost::Value* value, MFn::Type dataType) {
    auto* geometry = value ? khost::objectAs<khost::GeometryData>(value->data) : nullptr;
    if (!geometry || geometry->apiType() != dataType)
        return MObject();
    auto copy = std::static_pointer_cast<khost::GeometryData>(geometry->clone());
    for (MPoint& p : copy->points)
        p *= geometry->matrix;
    // The points now hold the transformation; carrying it as well would apply it twice.
    copy->matrix = MMatrix();
    return MObject(copy);
}

} // namespace

MObject MDataHandle::asMeshTransformed() const {
    return transformedCopy(fValue, MFn::kMeshData);
}
MObject MDataHandle::asNurbsCurveTransformed() const {
    return transformedCopy(fValue, MFn::kNurbsCurveData);
}
MObject MDataHandle::asNurbsSurfaceTransformed() const {
    return transformedCopy(fValue, MFn::kNurbsSurfaceData);
}

const MMatrix& MDataHandle::geometryTransformMatrix() const {
    auto* geometry = fValue ? khost::objectAs<khost::GeometryData>(fValue->data) : nullptr;
    return geometry ? geometry->matrix : MMatrix::identity;
}
