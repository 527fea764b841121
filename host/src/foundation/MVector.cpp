#include <cmath>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

const MVector MVector::zero(0.0, 0.0, 0.0);
const MVector MVector::xAxis(1.0, 0.0, 0.0);
const MVector MVector::yAxis(0.0, 1.0, 0.0);
const MVector MVector::zAxis(0.0, 0.0, 1.0);
const MFloatVector MFloatVector::zero(0.0f, 0.0f, 0.0f);

MVector::MVector(const MPoint& src) : x(src.x), y(src.y), z(src.z) {}
MVector::MVector(const MFloatVector& src) : x(src.x), y(src.y), z(src.z) {}
MVector::MVector(const MFloatPoint& src) : x(src.x), y(src.y), z(src.z) {}

MStatus MVector::normalize() {
    const double len = length();
    if (len > 0.0)
        *this /= len;
    return MS::kSuccess;
}

MVector MVector::normal() const {
    MVector result(*this);
    result.normalize();
    return result;
}

bool MVector::isEquivalent(const MVector& other, double tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance;
}

MFloatVector::MFloatVector(const MFloatPoint& src) : x(src.x), y(src.y), z(src.z) {}

MStatus MFloatVector::normalize() {
    const float len = length();
    if (len > 0.0f)
        *this = *this / len;
    return MS::kSuccess;
}

MFloatVector MFloatVector::normal() const {
    MFloatVector result(*this);
    result.normalize();
    return result;
}

bool MFloatVector::isEquivalent(const MFloatVector& other, float tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance;
}
