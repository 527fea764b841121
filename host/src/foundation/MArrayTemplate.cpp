// The storage of the value arrays, allocated here only (see MArrayTemplate.h).
#include <maya/MDoubleArray.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <maya/MStringArray.h>
#include <maya/MUintArray.h>
#include <maya/MVectorArray.h>

namespace MHostInternal {

template <typename T>
MArrayTemplate<T>::MArrayTemplate(unsigned int initialSize, const T& initialValue)
    : fData(std::make_shared<std::vector<T>>(initialSize, initialValue)) {}

template <typename T>
MArrayTemplate<T>::MArrayTemplate(const T* src, unsigned int count)
    : fData(std::make_shared<std::vector<T>>(src, src + count)) {}

template <typename T> std::vector<T>& MArrayTemplate<T>::detach() {
    fData = fData ? std::make_shared<std::vector<T>>(*fData) : std::make_shared<std::vector<T>>();
    return *fData;
}

template class MArrayTemplate<double>;
template class MArrayTemplate<float>;
template class MArrayTemplate<MFloatPoint>;
template class MArrayTemplate<int>;
template class MArrayTemplate<MPoint>;
template class MArrayTemplate<MString>;
template class MArrayTemplate<unsigned int>;
template class MArrayTemplate<MVector>;

} // namespace MHostInternal
