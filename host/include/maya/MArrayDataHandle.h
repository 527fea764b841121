#pragma once
#include <maya/MArrayDataBuilder.h>
#include <maya/MDataHandle.h>
#include <maya/MStatus.h>

// A cursor over the elements of an array value, in ascending logical index.
class MArrayDataHandle {
public:
    MArrayDataHandle(const MDataHandle& in, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle(const MArrayDataHandle& other) = default;
    MArrayDataHandle& operator=(const MArrayDataHandle& other) = default;

    MDataHandle inputValue(MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(MStatus* ReturnStatus = nullptr);
    MArrayDataHandle inputArrayValue(MStatus* ReturnStatus = nullptr);
    MArrayDataHandle outputArrayValue(MStatus* ReturnStatus = nullptr);
    MStatus next();
    unsigned int elementCount(MStatus* ReturnStatus = nullptr);
    unsigned int elementIndex(MStatus* ReturnStatus = nullptr);
    MStatus jumpToElement(unsigned int index);
    MStatus jumpToArrayElement(unsigned int position);
    MStatus setClean();
    MStatus setAllClean();
    MArrayDataBuilder builder(MStatus* ReturnStatus = nullptr);
    MStatus set(MArrayDataBuilder& builder);

    // Host side only.
    MArrayDataHandle() = default;
    explicit MArrayDataHandle(khost::Value* array) : fArray(array) {}

private:
    khost::Value* fArray = nullptr;
    unsigned int fPosition = 0;
};
