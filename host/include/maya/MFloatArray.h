#pragma once
// Array of float values.
#include <maya/internal/MArrayTemplate.h>

class MFloatArray : public MHostInternal::MArrayTemplate<float> {
public:
    using MArrayTemplate::MArrayTemplate;
};
