#pragma once
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <memory>

class MDataBlock;

// Stages new contents for an array value; MArrayDataHandle::set puts them in place.
class MArrayDataBuilder {
public:
    MArrayDataBuilder(MDataBlock* block, const MObject& attribute, unsigned int numElements,
                      MStatus* ReturnStatus = nullptr);
    MArrayDataBuilder(const MArrayDataBuilder& other) = default;
    MArrayDataBuilder& operator=(const MArrayDataBuilder& other) = default;
    ~MArrayDataBuilder() = default;

    MDataHandle addLast(MStatus* ReturnStatus = nullptr);
    MDataHandle addElement(unsigned int index, MStatus* ReturnStatus = nullptr);
    MStatus removeElement(unsigned int index);
    unsigned int elementCount(MStatus* ReturnStatus = nullptr) const;

    // Host side only.
    explicit MArrayDataBuilder(std::shared_ptr<khost::Value> staging) : fStaging(std::move(staging)) {}
    const std::shared_ptr<khost::Value>& staging() const { return fStaging; }

private:
    std::shared_ptr<khost::Value> fStaging;
};
