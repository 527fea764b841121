#pragma once
// Tests that need an OpenCL device skip without one, except on CI (CI=true), whose machines have one
// (PoCL at least): there a missing device is a fault.
#include "gpu/OpenCLRuntime.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <maya/MOpenCLInfo.h>
#include <string>

#define REQUIRE_OPENCL_DEVICE()                                                                              \
    do {                                                                                                     \
        if (!MOpenCLInfo::getOpenCLContext()) {                                                              \
            const char* ci = std::getenv("CI");                                                              \
            if (ci && std::string(ci) == "true")                                                             \
                FAIL() << "no OpenCL device: " << khost::gpu::runtime().description;                         \
            GTEST_SKIP() << "no OpenCL device: " << khost::gpu::runtime().description;                       \
        }                                                                                                    \
    } while (0)
