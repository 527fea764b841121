#pragma once
// Double-precision 3D direction.
#include <cmath>
#include <maya/MMatrix.h>
#include <maya/MStatus.h>

class MPoint;
class MFloatVector;
class MFloatPoint;

class MVector {
public:
    MVector() = default;
    constexpr MVector(double xx, double yy, double zz = 0.0) : x(xx), y(yy), z(zz) {}
    MVector(const MVector& other) = default;
    MVector(const MPoint& src);
    MVector(const MFloatVector& src);
    MVector(const MFloatPoint& src);
    explicit MVector(const double d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    MVector& operator=(const MVector& other) = default;

    double operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    double& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }

    MVector operator+(const MVector& other) const { return {x + other.x, y + other.y, z + other.z}; }
    MVector operator-(const MVector& other) const { return {x - other.x, y - other.y, z - other.z}; }
    MVector operator-() const { return {-x, -y, -z}; }
    MVector operator*(double scale) const { return {x * scale, y * scale, z * scale}; }
    MVector operator/(double scale) const { return {x / scale, y / scale, z / scale}; }
    MVector& operator+=(const MVector& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    MVector& operator-=(const MVector& other) {
        x -= other.x;
        y -= other.y;
        z -= other.z;
        return *this;
    }
    MVector& operator*=(double scale) {
        x *= scale;
        y *= scale;
        z *= scale;
        return *this;
    }
    MVector& operator/=(double scale) {
        x /= scale;
        y /= scale;
        z /= scale;
        return *this;
    }
    // Dot product.
    double operator*(const MVector& right) const { return x * right.x + y * right.y + z * right.z; }
    // Cross product.
    MVector operator^(const MVector& right) const {
        return {y * right.z - z * right.y, z * right.x - x * right.z, x * right.y - y * right.x};
    }
    // A direction: only the upper 3x3 applies, translation is ignored.
    MVector operator*(const MMatrix& m) const {
        return {x * m.matrix[0][0] + y * m.matrix[1][0] + z * m.matrix[2][0],
                x * m.matrix[0][1] + y * m.matrix[1][1] + z * m.matrix[2][1],
                x * m.matrix[0][2] + y * m.matrix[1][2] + z * m.matrix[2][2]};
    }
    MVector& operator*=(const MMatrix& m) { return *this = *this * m; }

    double length() const { return std::sqrt(x * x + y * y + z * z); }
    // A zero vector stays zero.
    MStatus normalize();
    MVector normal() const;

    // True when each component differs by at most tolerance.
    bool isEquivalent(const MVector& other, double tolerance = 1.0e-10) const;
    bool operator==(const MVector& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const MVector& other) const { return !(*this == other); }

    static const MVector zero;
    static const MVector xAxis;
    static const MVector yAxis;
    static const MVector zAxis;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline MVector operator*(double scale, const MVector& v) {
    return v * scale;
}
