#include "core/HostInit.h"
#include "core/Threads.h"
#include <malloc.h>

namespace khost {

void initializeHost() {
    static bool done = false;
    if (done)
        return;
    done = true;
    // Maya's allocator keeps freed memory for reuse. glibc by default hands every large block (a
    // geometry's points, copied several times per evaluation) back to the system on free, so each
    // evaluation would fault its pages in anew, which costs far more than the deformation itself.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    applyThreadCountFromEnvironment();
    registerDagNodeTypes();
    registerDeformerTypes();
    registerBuiltinCommands();
}

} // namespace khost
