#pragma once
// Unique identifier of a node or data type.
#include <maya/MStatus.h>

class MTypeId {
public:
    MTypeId() = default;
    MTypeId(unsigned int id) : fId(id) {}
    MTypeId(const MTypeId& other) = default;
    MTypeId& operator=(const MTypeId& other) = default;

    unsigned int id(MStatus* ReturnStatus = nullptr) const;
    bool operator==(const MTypeId& other) const { return fId == other.fId; }
    bool operator!=(const MTypeId& other) const { return fId != other.fId; }

private:
    unsigned int fId = 0;
};
