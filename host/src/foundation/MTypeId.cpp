#include <maya/MTypeId.h>

unsigned int MTypeId::id(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fId;
}
