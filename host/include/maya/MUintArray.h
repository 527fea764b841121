#pragma once
// Array of unsigned int values.
#include <maya/internal/MArrayTemplate.h>

class MUintArray : public MHostInternal::MArrayTemplate<unsigned int> {
public:
    using MArrayTemplate::MArrayTemplate;
};
