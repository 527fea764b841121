#pragma once
// Owning handles to OpenCL objects. A handle made with attach takes over the reference the creating
// call returned; copies retain the object, and the last handle to go releases it.
#include <CL/cl.h>
#include <vector>

namespace khost {

// The reference counting of one kind of OpenCL object.
template <typename T> struct CLReference;
template <> struct CLReference<cl_mem> {
    static void retain(cl_mem value);
    static void release(cl_mem value);
};
template <> struct CLReference<cl_kernel> {
    static void retain(cl_kernel value);
    static void release(cl_kernel value);
};
template <> struct CLReference<cl_event> {
    static void retain(cl_event value);
    static void release(cl_event value);
};

template <typename T> class CLHandle {
public:
    CLHandle() = default;
    ~CLHandle() { reset(); }
    CLHandle(const CLHandle& other) : fValue(other.fValue) {
        if (fValue)
            CLReference<T>::retain(fValue);
    }
    CLHandle(CLHandle&& other) noexcept : fValue(other.fValue) { other.fValue = nullptr; }
    CLHandle& operator=(const CLHandle& other) {
        if (this != &other) {
            if (other.fValue)
                CLReference<T>::retain(other.fValue);
            reset();
            fValue = other.fValue;
        }
        return *this;
    }
    CLHandle& operator=(CLHandle&& other) noexcept {
        T previous = fValue;
        fValue = other.fValue;
        other.fValue = previous;
        return *this;
    }

    // Takes over the reference held by value without retaining it.
    void attach(T value) {
        reset();
        fValue = value;
    }
    // Gives up the object without releasing it.
    T detach() {
        T value = fValue;
        fValue = nullptr;
        return value;
    }
    void reset() {
        if (fValue)
            CLReference<T>::release(fValue);
        fValue = nullptr;
    }
    T get() const { return fValue; }
    bool isNull() const { return fValue == nullptr; }
    // The address of the handle, for clSetKernelArg and wait lists.
    const T* getReadOnlyRef() const { return &fValue; }
    bool operator!() const { return fValue == nullptr; }
    bool operator==(const CLHandle& other) const { return fValue == other.fValue; }
    bool operator==(T other) const { return fValue == other; }

private:
    T fValue = nullptr;
};

} // namespace khost

class MAutoCLMem : public khost::CLHandle<cl_mem> {
public:
    using khost::CLHandle<cl_mem>::CLHandle;
};

class MAutoCLKernel : public khost::CLHandle<cl_kernel> {
public:
    using khost::CLHandle<cl_kernel>::CLHandle;
};

class MAutoCLEvent : public khost::CLHandle<cl_event> {
public:
    using khost::CLHandle<cl_event>::CLHandle;
};

// Events to wait on, kept alive while the list is; null events are left out.
class MAutoCLEventList {
public:
    void add(const MAutoCLEvent& event);
    unsigned int size() const { return static_cast<unsigned int>(fRaw.size()); }
    // The events as clEnqueue* takes them; null when the list is empty.
    const cl_event* array() const { return fRaw.empty() ? nullptr : fRaw.data(); }
    void clear();

private:
    std::vector<MAutoCLEvent> fEvents;
    std::vector<cl_event> fRaw;
};
