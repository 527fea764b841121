#pragma once
// Array of int values.
#include <maya/internal/MArrayTemplate.h>

class MIntArray : public MHostInternal::MArrayTemplate<int> {
public:
    using MArrayTemplate::MArrayTemplate;
};
