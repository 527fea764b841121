#pragma once
// Status reports of the copyKivoWeights command's sources.

#include "common/statusReport.h"

#define COPY_KIVO_REPORT(status) KIVO_REPORT_STATUS("copyKivoWeights", status, "")

// Reports a failed status and returns it from the enclosing function.
#define COPY_KIVO_CHECK(status)                                                                              \
    do {                                                                                                     \
        if (!(status)) {                                                                                     \
            COPY_KIVO_REPORT(status);                                                                        \
            return status;                                                                                   \
        }                                                                                                    \
    } while (false)
