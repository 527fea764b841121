#pragma once
// A host vector mirrored by an OpenCL buffer: uploaded whole on request, reallocated only when its
// element count changes, its bytes booked with Maya's GPU memory accounting while the buffer exists.

#include <CL/cl.h>
#include <maya/MOpenCLAutoPtr.h>
#include <maya/MOpenCLInfo.h>
#include <maya/MViewport2Renderer.h>

#include <cstdint>
#include <utility>
#include <vector>

template <typename C> class GPUDataContainer {
public:
    using Element = typename C::value_type;

    GPUDataContainer() = default;
    GPUDataContainer(const GPUDataContainer&) = delete;
    GPUDataContainer& operator=(const GPUDataContainer&) = delete;
    GPUDataContainer(GPUDataContainer&& other) noexcept
        : deviceCount(other.deviceCount), buffer(std::move(other.buffer)),
          writeEvent(std::move(other.writeEvent)), data(std::move(other.data)) {
        other.deviceCount = 0;
    }
    GPUDataContainer& operator=(GPUDataContainer&& other) noexcept {
        if (this != &other) {
            waitForWrite();
            release();
            deviceCount = other.deviceCount;
            buffer = std::move(other.buffer);
            writeEvent = std::move(other.writeEvent);
            data = std::move(other.data);
            other.deviceCount = 0;
        }
        return *this;
    }
    // A pending upload still reads the host vector.
    virtual ~GPUDataContainer() {
        waitForWrite();
        release();
    }

    virtual std::size_t size() const = 0;
    virtual void resize(std::size_t n) = 0;

    // Makes the buffer hold the host vector; the write is asynchronous (writeEvent), so the vector
    // must stay as it is until that event completes. Returns the OpenCL status.
    cl_int upload() {
        const std::size_t n = size();
        if (n == 0) {
            release();
            return CL_SUCCESS;
        }
        const std::size_t bytes = n * sizeof(Element);
        if (n != deviceCount || buffer.isNull()) {
            release();
            cl_int error = CL_SUCCESS;
            cl_mem created =
                clCreateBuffer(MOpenCLInfo::getOpenCLContext(), CL_MEM_READ_WRITE, bytes, nullptr, &error);
            if (error != CL_SUCCESS || created == nullptr) {
                return error != CL_SUCCESS ? error : CL_MEM_OBJECT_ALLOCATION_FAILURE;
            }
            buffer.attach(created);
            MHWRender::MRenderer::theRenderer(true)->holdGPUMemory(bytes);
            deviceCount = n;
        }
        MAutoCLEventList waits;
        waits.add(writeEvent);
        cl_event written = nullptr;
        const cl_int error =
            clEnqueueWriteBuffer(MOpenCLInfo::getMayaDefaultOpenCLCommandQueue(), buffer.get(), CL_FALSE, 0,
                                 bytes, data.data(), waits.size(), waits.array(), &written);
        if (error == CL_SUCCESS) {
            writeEvent.attach(written);
        }
        return error;
    }

    // Replaces the host vector once the last upload has read it.
    void assign(C&& values) {
        waitForWrite();
        data = std::move(values);
    }

    // Drops the host copy (keeping its capacity) once the last upload has read it; the buffer stays
    // bindable.
    void clearHostCopy() {
        waitForWrite();
        data.clear();
    }

    // Unbooks the bytes and lets the buffer and the event go.
    void release() {
        if (deviceCount > 0) {
            MHWRender::MRenderer::theRenderer(true)->releaseGPUMemory(deviceCount * sizeof(Element));
        }
        buffer.reset();
        deviceCount = 0;
        writeEvent.reset();
    }

    // Blocks until the last upload has reached the buffer; the OpenCL status.
    cl_int waitForWrite() const {
        return writeEvent.isNull() ? CL_SUCCESS : clWaitForEvents(1, writeEvent.getReadOnlyRef());
    }

    std::uint64_t deviceCount = 0;
    MAutoCLMem buffer;
    MAutoCLEvent writeEvent;
    C data;
};

template <typename T, template <typename...> class Container = std::vector>
class GPUDataVector : public GPUDataContainer<Container<T>> {
public:
    std::size_t size() const override { return this->data.size(); }
    void resize(std::size_t n) override { this->data.resize(n); }
};
