#pragma once
// The coordinate planes that mirroring reflects across, named as the commands' -mirrorMode names them.

#include <maya/MString.h>

// The coordinate a mirror negates: "YZ" x (0), "XZ" y (1), "XY" z (2); -1 for any other mode.
inline int mirrorAxis(const MString& mode) {
    if (mode == "YZ") {
        return 0;
    }
    if (mode == "XZ") {
        return 1;
    }
    if (mode == "XY") {
        return 2;
    }
    return -1;
}

// A point or vector with the coordinate on `axis` negated.
template <typename Coordinates> Coordinates reflected(Coordinates p, int axis) {
    p[static_cast<unsigned int>(axis)] = -p[static_cast<unsigned int>(axis)];
    return p;
}
