#pragma once
// Reports of the GPU override's sources: failed Maya statuses through the shared status report, failed
// OpenCL calls through the OpenCL error report, both naming this source.

#include "common/statusReport.h"

#include <string>

#define KIVO_GPU_REPORT(status) KIVO_REPORT_STATUS("kivoMorphGPU", status, MString())

// Prints a failed Maya status with this source and line (MStatus::perror); evaluation goes on.
#define KIVO_GPU_PERROR(status)                                                                              \
    (status).perror(MString("kivoMorphGPU:") + MString(std::to_string(__LINE__).c_str()))

// Reports a failed OpenCL status (evaluation goes on); evaluates to the status.
#define KIVO_CL_CHECK(call)                                                                                  \
    [&](cl_int kivoError, int kivoLine) {                                                                    \
        if (kivoError != CL_SUCCESS) {                                                                       \
            reportOpenCLError(kivoError, kivoLine);                                                          \
        }                                                                                                    \
        return kivoError;                                                                                    \
    }((call), __LINE__)

// Binds a buffer (MAutoCLMem) or a value to a kernel argument, reporting a failure.
#define KIVO_SET_BUFFER(kernel, index, mem)                                                                  \
    KIVO_CL_CHECK(clSetKernelArg((kernel).get(), (index), sizeof(cl_mem), (mem).getReadOnlyRef()))
#define KIVO_SET_VALUE(kernel, index, value)                                                                 \
    KIVO_CL_CHECK(clSetKernelArg((kernel).get(), (index), sizeof(value), &(value)))
