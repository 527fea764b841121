#pragma once
// Makes MDGModifier refuse new plug values as Maya's does when memory runs out, so that tests can
// see how commands cope.
#include <cstddef>
#include <maya/MStatus.h>

namespace khost {

// MDGModifier's newPlugValue* calls accept `accepted` more values, then fail with `status` without
// queuing anything, until clearPlugValueFault().
void failPlugValuesAfter(std::size_t accepted, MStatus status);
void clearPlugValueFault();

} // namespace khost
