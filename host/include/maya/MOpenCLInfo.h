#pragma once
// Maya's OpenCL device, context and default command queue, and kernels compiled from program text.
#include <CL/cl.h>
#include <maya/MOpenCLAutoPtr.h>
#include <maya/MString.h>

class MOpenCLInfo {
public:
    // Null when no OpenCL device could be opened.
    static cl_context getOpenCLContext();
    static cl_command_queue getMayaDefaultOpenCLCommandQueue();
    static cl_device_id getOpenCLDeviceId();
    // Compiles programSource (once per text; later calls reuse the program) and creates a new kernel
    // for the entry kernelName. A null kernel when the program does not build or has no such entry.
    static MAutoCLKernel getOpenCLKernelFromString(const MString& programSource, const MString& programName,
                                                   const MString& kernelName);
    // Releases a kernel obtained from getOpenCLKernelFromString; false for a null kernel.
    static bool releaseOpenCLKernel(const MAutoCLKernel& kernel);
};
