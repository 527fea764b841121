#pragma once
// Status reports of the kivoMorphEdit command's sources.

#include "common/statusReport.h"

#define KIVO_EDIT_REPORT(status) KIVO_REPORT_STATUS("kivoMorphEdit", status, "")

// Reports a failed status and returns it from the enclosing function.
#define KIVO_EDIT_CHECK(status)                                                                              \
    do {                                                                                                     \
        if (!(status)) {                                                                                     \
            KIVO_EDIT_REPORT(status);                                                                        \
            return status;                                                                                   \
        }                                                                                                    \
    } while (false)
