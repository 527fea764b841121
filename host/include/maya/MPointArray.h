#pragma once
// Array of double-precision points.
#include <maya/MPoint.h>
#include <maya/internal/MArrayTemplate.h>

class MPointArray : public MHostInternal::MArrayTemplate<MPoint> {
public:
    using MArrayTemplate::append;
    using MArrayTemplate::MArrayTemplate;
    using MArrayTemplate::set;

    MStatus set(unsigned int index, double x, double y, double z = 0, double w = 1) {
        return set(MPoint(x, y, z, w), index);
    }
    MStatus append(double x, double y, double z = 0, double w = 1) { return append(MPoint(x, y, z, w)); }
    // Each point as x, y, z, w.
    MStatus get(double dest[][4]) const;
};
