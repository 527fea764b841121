#pragma once
// Status reports of the kivoMorph node's sources.

#include "common/statusReport.h"

#define KIVO_MORPH_REPORT(status, message) KIVO_REPORT_STATUS("kivoMorph", status, message)

// Reports a failed status and returns it from the enclosing function.
#define KIVO_MORPH_CHECK(status, message)                                                                    \
    do {                                                                                                     \
        if (!(status)) {                                                                                     \
            KIVO_MORPH_REPORT(status, message);                                                              \
            return status;                                                                                   \
        }                                                                                                    \
    } while (false)
