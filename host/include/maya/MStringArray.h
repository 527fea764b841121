#pragma once
// Array of strings.
#include <maya/MString.h>
#include <maya/internal/MArrayTemplate.h>

class MStringArray : public MHostInternal::MArrayTemplate<MString> {
public:
    using MArrayTemplate::MArrayTemplate;

    // Position of the first element equal to element, -1 when absent.
    int indexOf(const MString& element) const;
};
