// Scene files are scripts that the host runs while it reads a file: any bytes opened the way
// `file -open` opens them, with kivoMorph loaded so that its nodes can appear. A scene that opened
// must also save and open again as the same scene.
#include "FuzzHost.h"
#include "command/Script.h"
#include "io/SceneWriter.h"
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startHost(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::resetScene();
    const std::string path = fuzz::writeFile("input.ma", data, size);
    if (!khost::executeStatement("file -open \"" + path + "\""))
        return 0;
    std::string saved, reopened, problem;
    // A scene that holds a number that is not finite is refused by the writer, with its reason.
    if (!khost::writeScene(saved, problem))
        return 0;
    const std::string again =
        fuzz::writeFile("saved.ma", reinterpret_cast<const uint8_t*>(saved.data()), saved.size());
    fuzz::resetScene();
    if (!khost::executeStatement("file -open \"" + again + "\"") || !khost::writeScene(reopened, problem) ||
        reopened != saved) {
        std::fprintf(stderr, "the saved scene does not open as itself:\n%s\n", saved.c_str());
        __builtin_trap();
    }
    return 0;
}
