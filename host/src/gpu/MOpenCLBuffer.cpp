#include "gpu/OpenCLRuntime.h"
#include <maya/MOpenCLBuffer.h>
#include <maya/MViewport2Renderer.h>
#include <utility>

MOpenCLBuffer::MOpenCLBuffer(MOpenCLBuffer&& other) noexcept
    : fBuffer(std::move(other.fBuffer)), fSize(other.fSize) {
    other.fSize = 0;
}

MOpenCLBuffer& MOpenCLBuffer::operator=(MOpenCLBuffer&& other) noexcept {
    if (this != &other) {
        reset();
        fBuffer = std::move(other.fBuffer);
        fSize = other.fSize;
        other.fSize = 0;
    }
    return *this;
}

MOpenCLBuffer::~MOpenCLBuffer() {
    reset();
}

void MOpenCLBuffer::reset() {
    if (fSize > 0)
        MHWRender::MRenderer::theRenderer()->releaseGPUMemory(fSize);
    fBuffer.reset();
    fSize = 0;
}

cl_int MOpenCLBuffer::ensureBufferSize(size_t size) {
    if (!fBuffer.isNull() && fSize >= size)
        return CL_SUCCESS;
    reset();
    cl_context context = khost::gpu::runtime().context;
    if (!context)
        return CL_INVALID_CONTEXT;
    cl_int error = CL_SUCCESS;
    cl_mem created = clCreateBuffer(context, CL_MEM_READ_WRITE, size, nullptr, &error);
    if (error != CL_SUCCESS || !created)
        return error != CL_SUCCESS ? error : CL_MEM_OBJECT_ALLOCATION_FAILURE;
    fBuffer.attach(created);
    fSize = size;
    MHWRender::MRenderer::theRenderer()->holdGPUMemory(fSize);
    return CL_SUCCESS;
}
