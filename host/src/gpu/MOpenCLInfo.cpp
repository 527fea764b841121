#include "gpu/OpenCLRuntime.h"
#include <maya/MOpenCLInfo.h>

cl_context MOpenCLInfo::getOpenCLContext() {
    return khost::gpu::runtime().context;
}

cl_command_queue MOpenCLInfo::getMayaDefaultOpenCLCommandQueue() {
    return khost::gpu::runtime().queue;
}

cl_device_id MOpenCLInfo::getOpenCLDeviceId() {
    return khost::gpu::runtime().context ? khost::gpu::runtime().device : nullptr;
}

MAutoCLKernel MOpenCLInfo::getOpenCLKernelFromString(const MString& programSource, const MString&,
                                                     const MString& kernelName) {
    MAutoCLKernel kernel;
    cl_program program = khost::gpu::programFor(std::string(programSource.asChar(), programSource.length()));
    if (!program)
        return kernel;
    cl_int error = CL_SUCCESS;
    cl_kernel created = clCreateKernel(program, kernelName.asChar(), &error);
    if (error == CL_SUCCESS && created) {
        kernel.attach(created);
        khost::gpu::keepKernel(created);
    }
    return kernel;
}

bool MOpenCLInfo::releaseOpenCLKernel(const MAutoCLKernel& kernel) {
    return !kernel.isNull() && khost::gpu::giveBackKernel(kernel.get());
}
