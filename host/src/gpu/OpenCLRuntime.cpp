#include "gpu/OpenCLRuntime.h"
#include <iostream>
#include <map>
#include <set>
#include <vector>

namespace khost::gpu {
namespace {

// A text property of an OpenCL object: get(size, value, sizeOut) is its clGet*Info call.
template <typename Get> std::string infoText(const Get& get) {
    size_t size = 0;
    if (get(0, nullptr, &size) != CL_SUCCESS || size == 0)
        return {};
    std::string text(size, '\0');
    if (get(size, text.data(), nullptr) != CL_SUCCESS)
        return {};
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
    return text;
}

std::string deviceText(cl_device_id device, cl_device_info what) {
    return infoText([&](size_t size, void* value, size_t* sizeOut) {
        return clGetDeviceInfo(device, what, size, value, sizeOut);
    });
}

std::string platformText(cl_platform_id platform, cl_platform_info what) {
    return infoText([&](size_t size, void* value, size_t* sizeOut) {
        return clGetPlatformInfo(platform, what, size, value, sizeOut);
    });
}

// The first device of the type on any platform.
bool findDevice(cl_device_type type, cl_platform_id& platform, cl_device_id& device) {
    cl_uint platformCount = 0;
    if (clGetPlatformIDs(0, nullptr, &platformCount) != CL_SUCCESS || platformCount == 0)
        return false;
    std::vector<cl_platform_id> platforms(platformCount);
    if (clGetPlatformIDs(platformCount, platforms.data(), nullptr) != CL_SUCCESS)
        return false;
    for (cl_platform_id candidate : platforms) {
        cl_uint count = 0;
        if (clGetDeviceIDs(candidate, type, 1, &device, &count) == CL_SUCCESS && count > 0) {
            platform = candidate;
            return true;
        }
    }
    return false;
}

Runtime open() {
    Runtime r;
    if (!findDevice(CL_DEVICE_TYPE_GPU, r.platform, r.device) &&
        !findDevice(CL_DEVICE_TYPE_ALL, r.platform, r.device)) {
        r.description = "no OpenCL device found";
        return r;
    }
    cl_int error = CL_SUCCESS;
    r.context = clCreateContext(nullptr, 1, &r.device, nullptr, nullptr, &error);
    if (error != CL_SUCCESS || !r.context) {
        r.context = nullptr;
        r.description = "the OpenCL context could not be created (error " + std::to_string(error) + ")";
        return r;
    }
    r.queue = clCreateCommandQueue(r.context, r.device, 0, &error);
    if (error != CL_SUCCESS || !r.queue) {
        clReleaseContext(r.context);
        r.context = nullptr;
        r.queue = nullptr;
        r.description = "the OpenCL command queue could not be created (error " + std::to_string(error) + ")";
        return r;
    }
    r.description = deviceText(r.device, CL_DEVICE_NAME) + " (" + platformText(r.platform, CL_PLATFORM_NAME) +
                    ", " + deviceText(r.device, CL_DEVICE_VERSION) + ")";
    return r;
}

std::set<cl_kernel>& handedOut() {
    static auto& kernels = *new std::set<cl_kernel>();
    return kernels;
}

bool& programBuildsFail() {
    static bool fail = false;
    return fail;
}

} // namespace

size_t kernelsHandedOut() {
    return handedOut().size();
}

void keepKernel(cl_kernel kernel) {
    if (handedOut().insert(kernel).second)
        clRetainKernel(kernel);
}

bool giveBackKernel(cl_kernel kernel) {
    if (handedOut().erase(kernel) == 0)
        return false;
    clReleaseKernel(kernel);
    return true;
}

const Runtime& runtime() {
    static const Runtime opened = open();
    return opened;
}

void failProgramBuilds(bool fail) {
    programBuildsFail() = fail;
}

cl_program programFor(const std::string& source) {
    if (programBuildsFail()) {
        std::cerr << "OpenCL program build failed (builds are made to fail)" << std::endl;
        return nullptr;
    }
    // Never destroyed, like the device: programs live as long as the process.
    static auto& programs = *new std::map<std::string, cl_program>();
    auto found = programs.find(source);
    if (found != programs.end())
        return found->second;
    const Runtime& r = runtime();
    if (!r.context)
        return nullptr;
    const char* text = source.c_str();
    const size_t length = source.size();
    cl_int error = CL_SUCCESS;
    cl_program program = clCreateProgramWithSource(r.context, 1, &text, &length, &error);
    if (error != CL_SUCCESS || !program)
        return nullptr;
    error = clBuildProgram(program, 1, &r.device, "", nullptr, nullptr);
    if (error != CL_SUCCESS) {
        size_t size = 0;
        std::string log;
        if (clGetProgramBuildInfo(program, r.device, CL_PROGRAM_BUILD_LOG, 0, nullptr, &size) == CL_SUCCESS &&
            size > 0) {
            log.resize(size);
            if (clGetProgramBuildInfo(program, r.device, CL_PROGRAM_BUILD_LOG, size, log.data(), nullptr) !=
                CL_SUCCESS)
                log.clear();
        }
        std::cerr << "OpenCL program build failed (error " << error << ")\n" << log << std::endl;
        clReleaseProgram(program);
        // Not kept: a later call builds again.
        return nullptr;
    }
    programs.emplace(source, program);
    return program;
}

} // namespace khost::gpu
