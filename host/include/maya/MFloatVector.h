#pragma once
// Single-precision 3D direction.
#include <cmath>
#include <maya/MStatus.h>
#include <maya/MVector.h>

class MFloatPoint;

class MFloatVector {
public:
    MFloatVector() = default;
    constexpr MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    MFloatVector(const MFloatVector& other) = default;
    MFloatVector(const MVector& src)
        : x(static_cast<float>(src.x)), y(static_cast<float>(src.y)), z(static_cast<float>(src.z)) {}
    MFloatVector(const MFloatPoint& src);
    MFloatVector& operator=(const MFloatVector& other) = default;

    float operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    float& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }

    MFloatVector operator+(const MFloatVector& other) const {
        return {x + other.x, y + other.y, z + other.z};
    }
    MFloatVector operator-(const MFloatVector& other) const {
        return {x - other.x, y - other.y, z - other.z};
    }
    MFloatVector operator-() const { return {-x, -y, -z}; }
    MFloatVector operator*(float scale) const { return {x * scale, y * scale, z * scale}; }
    MFloatVector operator/(float scale) const { return {x / scale, y / scale, z / scale}; }
    MFloatVector& operator+=(const MFloatVector& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    MFloatVector& operator-=(const MFloatVector& other) {
        x -= other.x;
        y -= other.y;
        z -= other.z;
        return *this;
    }
    MFloatVector& operator*=(float scale) {
        x *= scale;
        y *= scale;
        z *= scale;
        return *this;
    }
    // Dot product.
    float operator*(const MFloatVector& right) const { return x * right.x + y * right.y + z * right.z; }
    // Cross product.
    MFloatVector operator^(const MFloatVector& right) const {
        return {y * right.z - z * right.y, z * right.x - x * right.z, x * right.y - y * right.x};
    }

    float length() const { return std::sqrt(x * x + y * y + z * z); }
    // A zero vector stays zero.
    MStatus normalize();
    MFloatVector normal() const;

    // True when each component differs by at most tolerance.
    bool isEquivalent(const MFloatVector& other, float tolerance = 1.0e-5f) const;
    bool operator==(const MFloatVector& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const MFloatVector& other) const { return !(*this == other); }

    static const MFloatVector zero;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline MFloatVector operator*(float scale, const MFloatVector& v) {
    return v * scale;
}
