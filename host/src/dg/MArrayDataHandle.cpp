#include "dg/Node.h"
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>

using khost::Value;

MArrayDataHandle::MArrayDataHandle(const MDataHandle& in, MStatus* ReturnStatus) {
    Value* v = in.value();
    bool ok = v && v->isArray;
    fArray = ok ? v : nullptr;
    if (ReturnStatus)
        *ReturnStatus = ok ? MS::kSuccess : MS::kInvalidParameter;
}

namespace {
Value* current(Value* array, unsigned position) {
    return array && position < array->elements.size() ? array->elements[position].second.get() : nullptr;
}
} // namespace

MDataHandle MArrayDataHandle::inputValue(MStatus* ReturnStatus) {
    Value* v = current(fArray, fPosition);
    if (ReturnStatus)
        *ReturnStatus = v ? MS::kSuccess : MS::kInvalidParameter;
    return MDataHandle(v);
}

MDataHandle MArrayDataHandle::outputValue(MStatus* ReturnStatus) {
    return inputValue(ReturnStatus);
}

MArrayDataHandle MArrayDataHandle::inputArrayValue(MStatus* ReturnStatus) {
    return MArrayDataHandle(inputValue(nullptr), ReturnStatus);
}

MArrayDataHandle MArrayDataHandle::outputArrayValue(MStatus* ReturnStatus) {
    return inputArrayValue(ReturnStatus);
}

MStatus MArrayDataHandle::next() {
    if (!fArray || fPosition + 1 >= fArray->elements.size()) {
        if (fArray)
            fPosition = static_cast<unsigned>(fArray->elements.size());
        return MS::kFailure;
    }
    ++fPosition;
    return MS::kSuccess;
}

unsigned int MArrayDataHandle::elementCount(MStatus* ReturnStatus) {
    if (ReturnStatus)
        *ReturnStatus = fArray ? MS::kSuccess : MS::kInvalidParameter;
    return fArray ? static_cast<unsigned>(fArray->elements.size()) : 0;
}

unsigned int MArrayDataHandle::elementIndex(MStatus* ReturnStatus) {
    bool ok = current(fArray, fPosition) != nullptr;
    if (ReturnStatus)
        *ReturnStatus = ok ? MS::kSuccess : MS::kFailure;
    return ok ? fArray->elements[fPosition].first : 0;
}

MStatus MArrayDataHandle::jumpToElement(unsigned int index) {
    int position = fArray ? fArray->positionOf(index) : -1;
    if (position < 0)
        return MS::kInvalidParameter;
    fPosition = static_cast<unsigned>(position);
    return MS::kSuccess;
}

MStatus MArrayDataHandle::jumpToArrayElement(unsigned int position) {
    if (!fArray || position >= fArray->elements.size())
        return MS::kInvalidParameter;
    fPosition = position;
    return MS::kSuccess;
}

MStatus MArrayDataHandle::setClean() {
    if (Value* v = current(fArray, fPosition))
        v->dirty = false;
    return fArray ? MS::kSuccess : MS::kInvalidParameter;
}

MStatus MArrayDataHandle::setAllClean() {
    if (!fArray)
        return MS::kInvalidParameter;
    fArray->setDirtyTree(false);
    return MS::kSuccess;
}

MArrayDataBuilder MArrayDataHandle::builder(MStatus* ReturnStatus) {
    if (!fArray) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return MArrayDataBuilder(nullptr);
    }
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return MArrayDataBuilder(std::shared_ptr<Value>(fArray->clone()));
}

MStatus MArrayDataHandle::set(MArrayDataBuilder& builder) {
    const auto& staging = builder.staging();
    if (!fArray || !staging || staging->attr != fArray->attr)
        return MS::kInvalidParameter;
    // Elements move over as they are, so handles the builder gave out stay valid.
    fArray->elements = std::move(staging->elements);
    staging->elements.clear();
    fPosition = 0;
    return MS::kSuccess;
}

MArrayDataBuilder::MArrayDataBuilder(MDataBlock*, const MObject& attribute, unsigned int,
                                     MStatus* ReturnStatus) {
    auto a = khost::attributeOf(attribute);
    if (a && a->array)
        fStaging = std::make_shared<Value>(a.get(), true);
    if (ReturnStatus)
        *ReturnStatus = fStaging ? MS::kSuccess : MS::kInvalidParameter;
}

MDataHandle MArrayDataBuilder::addElement(unsigned int index, MStatus* ReturnStatus) {
    if (ReturnStatus)
        *ReturnStatus = fStaging ? MS::kSuccess : MS::kInvalidParameter;
    return MDataHandle(fStaging ? fStaging->addElement(index) : nullptr);
}

MDataHandle MArrayDataBuilder::addLast(MStatus* ReturnStatus) {
    unsigned next = fStaging && !fStaging->elements.empty() ? fStaging->elements.back().first + 1 : 0;
    return addElement(next, ReturnStatus);
}

MStatus MArrayDataBuilder::removeElement(unsigned int index) {
    return fStaging && fStaging->removeElement(index) ? MS::kSuccess : MS::kInvalidParameter;
}

unsigned int MArrayDataBuilder::elementCount(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = fStaging ? MS::kSuccess : MS::kInvalidParameter;
    return fStaging ? static_cast<unsigned>(fStaging->elements.size()) : 0;
}
