#pragma once
// Array of single-precision points.
#include <maya/MFloatPoint.h>
#include <maya/internal/MArrayTemplate.h>

class MFloatPointArray : public MHostInternal::MArrayTemplate<MFloatPoint> {
public:
    using MArrayTemplate::append;
    using MArrayTemplate::MArrayTemplate;
    using MArrayTemplate::set;

    MStatus set(unsigned int index, float x, float y, float z = 0, float w = 1) {
        return set(MFloatPoint(x, y, z, w), index);
    }
    MStatus append(float x, float y, float z = 0, float w = 1) { return append(MFloatPoint(x, y, z, w)); }
    // Each point as x, y, z, w.
    MStatus get(float dest[][4]) const;
};
