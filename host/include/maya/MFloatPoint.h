#pragma once
// Single-precision homogeneous point (x, y, z, w).
#include <maya/MFloatVector.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>

class MFloatPoint {
public:
    MFloatPoint() = default;
    constexpr MFloatPoint(float xx, float yy, float zz = 0.0f, float ww = 1.0f)
        : x(xx), y(yy), z(zz), w(ww) {}
    MFloatPoint(const MFloatPoint& other) = default;
    MFloatPoint(const MFloatVector& src) : x(src.x), y(src.y), z(src.z) {}
    MFloatPoint(const MPoint& src)
        : x(static_cast<float>(src.x)), y(static_cast<float>(src.y)), z(static_cast<float>(src.z)),
          w(static_cast<float>(src.w)) {}
    MFloatPoint& operator=(const MFloatPoint& other) = default;

    // Converting assignment from double precision.
    MStatus setCast(const MPoint& src) {
        *this = MFloatPoint(src);
        return MS::kSuccess;
    }

    float operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
    float& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }

    MFloatVector operator-(const MFloatPoint& other) const { return {x - other.x, y - other.y, z - other.z}; }
    MFloatPoint operator+(const MFloatVector& other) const {
        return {x + other.x, y + other.y, z + other.z, w};
    }
    MFloatPoint operator-(const MFloatVector& other) const {
        return {x - other.x, y - other.y, z - other.z, w};
    }
    MFloatPoint& operator+=(const MFloatVector& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    MFloatPoint& operator-=(const MFloatVector& other) {
        x -= other.x;
        y -= other.y;
        z -= other.z;
        return *this;
    }

    float distanceTo(const MFloatPoint& other) const { return (*this - other).length(); }

    // Component-wise, like MPoint::isEquivalent.
    bool isEquivalent(const MFloatPoint& other, float tolerance = 1.0e-5f) const;
    bool operator==(const MFloatPoint& other) const {
        return x == other.x && y == other.y && z == other.z && w == other.w;
    }
    bool operator!=(const MFloatPoint& other) const { return !(*this == other); }

    static const MFloatPoint origin;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};
