#include <cmath>
#include <maya/MMatrix.h>

namespace {
// Determinant of the 3x3 minor left after removing row r and column c.
double minor3(const double (&m)[4][4], int r, int c) {
    int rows[3], cols[3];
    for (int i = 0, k = 0; i < 4; ++i)
        if (i != r)
            rows[k++] = i;
    for (int i = 0, k = 0; i < 4; ++i)
        if (i != c)
            cols[k++] = i;
    auto e = [&](int i, int j) { return m[rows[i]][cols[j]]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
           e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}
} // namespace

const MMatrix MMatrix::identity;

MMatrix::MMatrix(const double m[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            matrix[r][c] = m[r][c];
}

MStatus MMatrix::get(double dest[4][4]) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            dest[r][c] = matrix[r][c];
    return MS::kSuccess;
}

MMatrix& MMatrix::setToIdentity() {
    return *this = MMatrix();
}

MMatrix MMatrix::operator*(const MMatrix& right) const {
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += matrix[r][k] * right.matrix[k][c];
            result.matrix[r][c] = sum;
        }
    return result;
}

MMatrix& MMatrix::operator*=(const MMatrix& right) {
    return *this = *this * right;
}

MMatrix MMatrix::inverse() const {
    // Adjugate over determinant: exact enough for 4x4 and free of pivoting choices.
    const double det = det4x4();
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const double sign = ((r + c) % 2 == 0) ? 1.0 : -1.0;
            result.matrix[c][r] = sign * minor3(matrix, r, c) / det;
        }
    return result;
}

MMatrix MMatrix::transpose() const {
    MMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.matrix[r][c] = matrix[c][r];
    return result;
}

double MMatrix::det3x3() const {
    return minor3(matrix, 3, 3);
}

double MMatrix::det4x4() const {
    double det = 0.0;
    for (int c = 0; c < 4; ++c)
        det += ((c % 2 == 0) ? 1.0 : -1.0) * matrix[0][c] * minor3(matrix, 0, c);
    return det;
}

bool MMatrix::isEquivalent(const MMatrix& other, double tolerance) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(matrix[r][c] - other.matrix[r][c]) <= tolerance))
                return false;
    return true;
}

bool MMatrix::operator==(const MMatrix& other) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (matrix[r][c] != other.matrix[r][c])
                return false;
    return true;
}
