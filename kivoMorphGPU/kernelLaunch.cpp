// Loading the three kernels, zero fills and launches. Launches are one-dimensional over a count of work
// items; every kernel bounds its work by the count it is given, so the global size may exceed it.

#include "kivoMorphGPU/gpuReport.h"
#include "kivoMorphGPU/kernelSource.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MGlobal.h>
#include <maya/MOpenCLInfo.h>

namespace {

// The local size when the kernel's work-group size cannot be queried.
constexpr std::size_t kFallbackLocalSize = 64;

// Loads the kernel from the program's entry unless it is loaded already; false (after the message)
// when it cannot be.
bool loadKernel(MAutoCLKernel& kernel, const char* entry, const char* failure) {
    if (kernel.isNull()) {
        const std::string& source = kivoMorphKernelSource();
        kernel = MOpenCLInfo::getOpenCLKernelFromString(
            MString(source.c_str(), static_cast<int>(source.size())), "kivoMorph", entry);
    }
    if (kernel.isNull()) {
        MGlobal::displayError(failure);
        return false;
    }
    return true;
}

} // namespace

MStatus KivoMorphGPU::loadKernels() {
    if (!loadKernel(objectToWorldSpaceKernel, "kivoMorph_toWorldSpace",
                    " Unable to compile objectToWorldSpace kernel! ") ||
        !loadKernel(blendTargetItemKernel, "kivoMorph_blendTargetItem",
                    " Unable to compile blendTargetItemKernel kernel! ") ||
        !loadKernel(blendDeltaFinalKernel, "kivoMorph_blendDelta",
                    " Unable to compile blendDeltaFinalKernel kernel!!! ")) {
        return MS::kFailure;
    }
    if (dummyBuffer.buffer().isNull() && dummyBuffer.ensureBufferSize(4) != CL_SUCCESS) {
        MGlobal::displayError("KivoMorph: Failed to create dummy buffer.");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

cl_int KivoMorphGPU::fillZero(MOpenCLBuffer& buffer, std::size_t floats, MAutoCLEvent& event) {
    event.reset();
    const std::size_t bytes = floats * sizeof(float);
    cl_int error = KIVO_CL_CHECK(buffer.ensureBufferSize(bytes));
    if (error != CL_SUCCESS) {
        return error;
    }
    const float zero = 0.0f;
    cl_event filled = nullptr;
    error = KIVO_CL_CHECK(clEnqueueFillBuffer(MOpenCLInfo::getMayaDefaultOpenCLCommandQueue(),
                                              buffer.buffer().get(), &zero, sizeof(zero), 0, bytes, 0,
                                              nullptr, &filled));
    if (error == CL_SUCCESS) {
        event.attach(filled);
    }
    return error;
}

cl_int KivoMorphGPU::launch(const MAutoCLKernel& kernel, unsigned int count, const MAutoCLEventList& waits,
                            MAutoCLEvent& event) {
    std::size_t local = 0;
    if (KIVO_CL_CHECK(clGetKernelWorkGroupInfo(kernel.get(), MOpenCLInfo::getOpenCLDeviceId(),
                                               CL_KERNEL_WORK_GROUP_SIZE, sizeof(local), &local, nullptr)) !=
        CL_SUCCESS) {
        local = kFallbackLocalSize;
    } else if (local == 0) {
        local = 256;
    }
    const std::size_t global = count - count % local + local;
    cl_event launched = nullptr;
    const cl_int error = KIVO_CL_CHECK(clEnqueueNDRangeKernel(MOpenCLInfo::getMayaDefaultOpenCLCommandQueue(),
                                                              kernel.get(), 1, nullptr, &global, &local,
                                                              waits.size(), waits.array(), &launched));
    if (error == CL_SUCCESS) {
        event.attach(launched);
    }
    return error;
}
