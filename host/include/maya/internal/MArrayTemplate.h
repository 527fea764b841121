#pragma once
// Shared body of the value array classes (MDoubleArray, MPointArray, MStringArray...).
#include <algorithm>
#include <maya/MStatus.h>
#include <vector>

namespace MHostInternal {

template <typename T> class MArrayTemplate {
public:
    using value_type = T;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    MArrayTemplate() = default;
    MArrayTemplate(const MArrayTemplate& other) = default;
    MArrayTemplate(unsigned int initialSize, const T& initialValue = T())
        : fData(initialSize, initialValue) {}
    MArrayTemplate(const T* src, unsigned int count) : fData(src, src + count) {}
    MArrayTemplate& operator=(const MArrayTemplate& other) = default;

    const T& operator[](unsigned int index) const { return fData[index]; }
    T& operator[](unsigned int index) { return fData[index]; }

    unsigned int length() const { return static_cast<unsigned int>(fData.size()); }

    // New entries are value-initialised: 0 for numbers, the origin for points, empty for strings.
    MStatus setLength(unsigned int length) {
        fData.resize(length);
        return MS::kSuccess;
    }
    MStatus append(const T& element) {
        fData.push_back(element);
        return MS::kSuccess;
    }
    MStatus set(const T& element, unsigned int index) {
        if (index >= fData.size())
            return MS::kFailure;
        fData[index] = element;
        return MS::kSuccess;
    }
    // index == length() appends.
    MStatus insert(const T& element, unsigned int index) {
        if (index > fData.size())
            return MS::kFailure;
        fData.insert(fData.begin() + index, element);
        return MS::kSuccess;
    }
    MStatus remove(unsigned int index) {
        if (index >= fData.size())
            return MS::kFailure;
        // A plain loop: GCC 12 flags erase()/std::move on the inlined empty case with a false bound.
        for (size_t k = size_t(index) + 1; k < fData.size(); ++k)
            fData[k - 1] = std::move(fData[k]);
        fData.pop_back();
        return MS::kSuccess;
    }
    MStatus clear() {
        fData.clear();
        return MS::kSuccess;
    }
    MStatus copy(const MArrayTemplate& source) {
        fData = source.fData;
        return MS::kSuccess;
    }
    MStatus get(T dest[]) const {
        std::copy(fData.begin(), fData.end(), dest);
        return MS::kSuccess;
    }

    // Growth hint: room for that many more elements is reserved now.
    void setSizeIncrement(unsigned int newIncrement) {
        fSizeIncrement = newIncrement;
        fData.reserve(fData.size() + newIncrement);
    }
    unsigned int sizeIncrement() const { return fSizeIncrement; }

    iterator begin() { return fData.begin(); }
    iterator end() { return fData.end(); }
    const_iterator begin() const { return fData.begin(); }
    const_iterator end() const { return fData.end(); }
    const_iterator cbegin() const { return fData.cbegin(); }
    const_iterator cend() const { return fData.cend(); }

    bool operator==(const MArrayTemplate& other) const { return fData == other.fData; }
    bool operator!=(const MArrayTemplate& other) const { return fData != other.fData; }

private:
    std::vector<T> fData;
    unsigned int fSizeIncrement = 0;
};

} // namespace MHostInternal
