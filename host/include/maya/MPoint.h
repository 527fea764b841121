#pragma once
// Double-precision homogeneous point (x, y, z, w).
#include <maya/MMatrix.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>

class MFloatPoint;

class MPoint {
public:
    MPoint() = default;
    constexpr MPoint(double xx, double yy, double zz = 0.0, double ww = 1.0) : x(xx), y(yy), z(zz), w(ww) {}
    MPoint(const MPoint& other) = default;
    MPoint(const MVector& src) : x(src.x), y(src.y), z(src.z) {}
    MPoint(const MFloatPoint& src);
    explicit MPoint(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    MPoint& operator=(const MPoint& other) = default;

    double operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
    double& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }

    MVector operator-(const MPoint& other) const { return {x - other.x, y - other.y, z - other.z}; }
    MPoint operator+(const MVector& other) const { return {x + other.x, y + other.y, z + other.z, w}; }
    MPoint operator-(const MVector& other) const { return {x - other.x, y - other.y, z - other.z, w}; }
    MPoint& operator+=(const MVector& other) {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    MPoint& operator-=(const MVector& other) {
        x -= other.x;
        y -= other.y;
        z -= other.z;
        return *this;
    }
    // Scales x, y and z; w is kept.
    MPoint operator*(double scale) const { return {x * scale, y * scale, z * scale, w}; }

    // Row vector times matrix, all four components; no division by w (it stays 1 for affine matrices).
    MPoint operator*(const MMatrix& m) const {
        const double(&a)[4][4] = m.matrix;
        return {x * a[0][0] + y * a[1][0] + z * a[2][0] + w * a[3][0],
                x * a[0][1] + y * a[1][1] + z * a[2][1] + w * a[3][1],
                x * a[0][2] + y * a[1][2] + z * a[2][2] + w * a[3][2],
                x * a[0][3] + y * a[1][3] + z * a[2][3] + w * a[3][3]};
    }
    MPoint& operator*=(const MMatrix& m) { return *this = *this * m; }

    // Euclidean distance of x, y, z (points are taken as already cartesian).
    double distanceTo(const MPoint& other) const { return (*this - other).length(); }
    // Divides x, y, z by w and sets w to 1; a point at infinity (w == 0) is left as is.
    MPoint& cartesianize();

    // Component-wise: true when each of x, y, z and w differs by at most tolerance.
    bool isEquivalent(const MPoint& other, double tolerance = 1.0e-10) const;
    bool operator==(const MPoint& other) const {
        return x == other.x && y == other.y && z == other.z && w == other.w;
    }
    bool operator!=(const MPoint& other) const { return !(*this == other); }

    static const MPoint origin;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};
