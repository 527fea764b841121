#include "dg/DataTypes.h"
#include <cmath>

namespace khost {

bool allFinite(const MPointArray& points) {
    for (const MPoint& p : points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z) || !std::isfinite(p.w))
            return false;
    return true;
}

bool allFinite(const MDoubleArray& values) {
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool allFinite(const MMatrix& matrix) {
    for (unsigned int r = 0; r < 4; ++r)
        for (unsigned int c = 0; c < 4; ++c)
            if (!std::isfinite(matrix[r][c]))
                return false;
    return true;
}

} // namespace khost
