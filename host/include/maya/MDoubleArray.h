#pragma once
// Array of double values.
#include <maya/internal/MArrayTemplate.h>

class MDoubleArray : public MHostInternal::MArrayTemplate<double> {
public:
    using MArrayTemplate::MArrayTemplate;
};
