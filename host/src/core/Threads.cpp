#include "core/Threads.h"
#include <cstdlib>
#include <maya/MGlobal.h>
#include <memory>
#include <string>
#include <tbb/global_control.h>

namespace khost {

namespace {
std::unique_ptr<tbb::global_control>& limit() {
    static std::unique_ptr<tbb::global_control> control;
    return control;
}
} // namespace

bool setThreadCount(int count) {
    if (count < 0)
        return false;
    limit().reset();
    if (count > 0)
        limit() = std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism,
                                                        static_cast<size_t>(count));
    return true;
}

int threadCount() {
    return static_cast<int>(tbb::global_control::active_value(tbb::global_control::max_allowed_parallelism));
}

bool applyThreadCountFromEnvironment() {
    const char* text = std::getenv("KIVO_THREADS");
    if (!text || !*text)
        return true;
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (*end != '\0' || count < 1 || count > 4096) {
        MGlobal::displayWarning(MString(("KIVO_THREADS must be a positive number of threads, not \"" +
                                         std::string(text) + "\"; all threads are used.")
                                            .c_str()));
        setThreadCount(0);
        return false;
    }
    return setThreadCount(static_cast<int>(count));
}

} // namespace khost
