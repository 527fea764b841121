#pragma once
// The host's one OpenCL device, its context and default queue, opened on first use, and the programs
// built on it.
#include <CL/cl.h>
#include <string>

namespace khost::gpu {

struct Runtime {
    cl_platform_id platform = nullptr;
    cl_device_id device = nullptr;
    cl_context context = nullptr;
    cl_command_queue queue = nullptr;
    // "device name (platform name, OpenCL version)", or why no device could be opened.
    std::string description;
};

// Opens the device on first use: the first GPU of any platform, else the first device of any kind.
// The context is null when none could be opened.
const Runtime& runtime();

// The program built from this text, built once per text; null when it does not build (the build log
// is written to the standard error stream). Kept until the process ends.
cl_program programFor(const std::string& source);

// For tests: while set, every program fails to build, as on a device whose compiler refuses it.
void failProgramBuilds(bool fail);

// Kernels handed out by MOpenCLInfo::getOpenCLKernelFromString and not yet given back with
// releaseOpenCLKernel; the host holds a reference to each.
size_t kernelsHandedOut();
void keepKernel(cl_kernel kernel);
// False when the kernel was not handed out (or was given back already).
bool giveBackKernel(cl_kernel kernel);

} // namespace khost::gpu
