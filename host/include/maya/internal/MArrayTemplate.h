#pragma once
// Shared body of the value array classes (MDoubleArray, MPointArray, MStringArray...).
//
// Copies share their elements until one of them is changed (copy on write), as Maya's own arrays
// avoid copying what they hand out: reading a geometry's points or an attribute's array data costs
// nothing until the reader edits it. A reference obtained through the non-const operator[] or a
// non-const iterator belongs to the array it came from only until that array is copied.
//
// Storage is only ever allocated by the host library (the members declared here and defined there):
// a plug-in module may be unloaded while the host still holds arrays it handed over, so nothing that
// releases them may live in the module's code.
#include <algorithm>
#include <maya/MStatus.h>
#include <memory>
#include <vector>

namespace MHostInternal {

template <typename T> class MArrayTemplate {
public:
    using value_type = T;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    MArrayTemplate() = default;
    MArrayTemplate(const MArrayTemplate& other) = default;
    MArrayTemplate(MArrayTemplate&& other) noexcept = default;
    MArrayTemplate(unsigned int initialSize, const T& initialValue = T());
    MArrayTemplate(const T* src, unsigned int count);
    MArrayTemplate& operator=(const MArrayTemplate& other) = default;
    MArrayTemplate& operator=(MArrayTemplate&& other) noexcept = default;

    const T& operator[](unsigned int index) const { return view()[index]; }
    T& operator[](unsigned int index) { return own()[index]; }

    unsigned int length() const { return static_cast<unsigned int>(view().size()); }

    // New entries are value-initialised: 0 for numbers, the origin for points, empty for strings.
    MStatus setLength(unsigned int length) {
        if (length != this->length())
            own().resize(length);
        return MS::kSuccess;
    }
    MStatus append(const T& element) {
        own().push_back(element);
        return MS::kSuccess;
    }
    MStatus set(const T& element, unsigned int index) {
        if (index >= length())
            return MS::kFailure;
        own()[index] = element;
        return MS::kSuccess;
    }
    // index == length() appends.
    MStatus insert(const T& element, unsigned int index) {
        if (index > length())
            return MS::kFailure;
        std::vector<T>& data = own();
        data.insert(data.begin() + index, element);
        return MS::kSuccess;
    }
    MStatus remove(unsigned int index) {
        if (index >= length())
            return MS::kFailure;
        std::vector<T>& data = own();
        // A plain loop: GCC 12 flags erase()/std::move on the inlined empty case with a false bound.
        for (size_t k = size_t(index) + 1; k < data.size(); ++k)
            data[k - 1] = std::move(data[k]);
        data.pop_back();
        return MS::kSuccess;
    }
    MStatus clear() {
        fData.reset();
        return MS::kSuccess;
    }
    MStatus copy(const MArrayTemplate& source) {
        fData = source.fData;
        return MS::kSuccess;
    }
    MStatus get(T dest[]) const {
        std::copy(view().begin(), view().end(), dest);
        return MS::kSuccess;
    }

    // Growth hint: room for that many more elements is reserved now.
    void setSizeIncrement(unsigned int newIncrement) {
        fSizeIncrement = newIncrement;
        std::vector<T>& data = own();
        data.reserve(data.size() + newIncrement);
    }
    unsigned int sizeIncrement() const { return fSizeIncrement; }

    iterator begin() { return own().begin(); }
    iterator end() { return own().end(); }
    const_iterator begin() const { return view().begin(); }
    const_iterator end() const { return view().end(); }
    const_iterator cbegin() const { return view().cbegin(); }
    const_iterator cend() const { return view().cend(); }

    bool operator==(const MArrayTemplate& other) const {
        return fData == other.fData || view() == other.view();
    }
    bool operator!=(const MArrayTemplate& other) const { return !(*this == other); }

private:
    const std::vector<T>& view() const {
        static const std::vector<T> empty;
        return fData ? *fData : empty;
    }
    // The elements, made this array's own first when they are shared (or absent).
    std::vector<T>& own() { return fData && fData.use_count() == 1 ? *fData : detach(); }
    std::vector<T>& detach();

    std::shared_ptr<std::vector<T>> fData;
    unsigned int fSizeIncrement = 0;
};

} // namespace MHostInternal
