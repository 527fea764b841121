// The python command's small interpreter (maya.cmds calls) on any code, with kivoMorph loaded so that
// the calls can reach its node.
#include "FuzzHost.h"
#include "command/Python.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startHost(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::resetScene();
    khost::CommandResult result;
    khost::runPython(std::string(reinterpret_cast<const char*>(data), size), result, true);
    return 0;
}
