#include "core/Object.h"

const MObject MObject::kNullObj;

bool MObject::hasFn(MFn::Type fs) const {
    return fObject && fObject->alive() && fObject->hasFn(fs);
}
bool MObject::isNull() const {
    return !fObject || !fObject->alive();
}
MFn::Type MObject::apiType() const {
    return isNull() ? MFn::kInvalid : fObject->apiType();
}
