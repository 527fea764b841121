#pragma once
// The shared report for a failed Maya status: shown in Maya's script editor and written to
// the standard error stream, with the source file and line of the failing call.

#include <maya/MStatus.h>
#include <maya/MString.h>

void reportStatus(const MStatus& status, const char* sourceFile, int line, const MString& message,
                  const MString& prefix);

// Reports a failed status from the caller's line, with an empty prefix.
#define KIVO_REPORT_STATUS(sourceFile, status, message)                                                      \
    reportStatus((status), (sourceFile), __LINE__, (message), MString())

// The twin for a failed OpenCL call of the GPU override: shows "Some Error Occurred" with the source
// `kivoMorphGPU`, the line and the OpenCL status code, and writes it to the standard error stream.
void reportOpenCLError(int code, int line);
