#pragma once
// 4x4 double matrix. Maya's row-vector convention: p' = p * M, translation in row 3 (matrix[3][0..2]).
#include <maya/MStatus.h>

class MMatrix {
public:
    constexpr MMatrix() : matrix{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}
    MMatrix(const MMatrix& other) = default;
    MMatrix(const double m[4][4]);
    MMatrix& operator=(const MMatrix& other) = default;

    double operator()(unsigned int row, unsigned int col) const { return matrix[row][col]; }
    double& operator()(unsigned int row, unsigned int col) { return matrix[row][col]; }
    const double* operator[](unsigned int row) const { return matrix[row]; }
    double* operator[](unsigned int row) { return matrix[row]; }

    MStatus get(double dest[4][4]) const;
    MMatrix& setToIdentity();

    MMatrix operator*(const MMatrix& right) const;
    MMatrix& operator*=(const MMatrix& right);
    // A singular matrix has no inverse: the result is then non-finite (division by a zero determinant).
    MMatrix inverse() const;
    MMatrix transpose() const;
    double det3x3() const;
    double det4x4() const;

    // True when every element differs by at most tolerance.
    bool isEquivalent(const MMatrix& other, double tolerance = 1.0e-10) const;
    bool operator==(const MMatrix& other) const;
    bool operator!=(const MMatrix& other) const { return !(*this == other); }

    static const MMatrix identity;

    double matrix[4][4];
};
