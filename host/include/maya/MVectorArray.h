#pragma once
// Array of double-precision vectors.
#include <maya/MVector.h>
#include <maya/internal/MArrayTemplate.h>

class MVectorArray : public MHostInternal::MArrayTemplate<MVector> {
public:
    using MArrayTemplate::MArrayTemplate;

    // Each vector as x, y, z.
    MStatus get(double dest[][3]) const;
};
