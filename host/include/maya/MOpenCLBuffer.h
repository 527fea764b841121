#pragma once
// A device buffer that books its bytes with the renderer's GPU memory accounting while it exists.
#include <CL/cl.h>
#include <cstddef>
#include <maya/MOpenCLAutoPtr.h>

class MOpenCLBuffer {
public:
    MOpenCLBuffer() = default;
    MOpenCLBuffer(MOpenCLBuffer&& other) noexcept;
    MOpenCLBuffer& operator=(MOpenCLBuffer&& other) noexcept;
    MOpenCLBuffer(const MOpenCLBuffer&) = delete;
    MOpenCLBuffer& operator=(const MOpenCLBuffer&) = delete;
    ~MOpenCLBuffer();

    // Releases the buffer and unbooks its bytes.
    void reset();
    // Makes the buffer hold at least size bytes, reallocating only to grow; CL_SUCCESS or the error of
    // the allocation (the buffer is then gone).
    cl_int ensureBufferSize(size_t size);
    const MAutoCLMem& buffer() const { return fBuffer; }
    MAutoCLMem& buffer() { return fBuffer; }

private:
    MAutoCLMem fBuffer;
    size_t fSize = 0;
};
