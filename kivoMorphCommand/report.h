#pragma once
// Status reports of the kivoMorph command's sources.

#include "common/statusReport.h"

#define KIVO_COMMAND_REPORT(status, message) KIVO_REPORT_STATUS("kivoMorphCommand", status, message)

// Reports a failed status and returns it from the enclosing function.
#define KIVO_COMMAND_CHECK(status)                                                                           \
    do {                                                                                                     \
        if (!(status)) {                                                                                     \
            KIVO_COMMAND_REPORT(status, "");                                                                 \
            return status;                                                                                   \
        }                                                                                                    \
    } while (false)
