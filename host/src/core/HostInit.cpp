#include "core/HostInit.h"

namespace khost {

void initializeHost() {
    static bool done = false;
    if (done)
        return;
    done = true;
    registerDagNodeTypes();
    registerBuiltinCommands();
}

} // namespace khost
