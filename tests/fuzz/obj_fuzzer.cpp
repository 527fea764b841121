// OBJ import on any file; whatever it makes must export again.
#include "FuzzHost.h"
#include "dag/Dag.h"
#include "io/ObjIO.h"
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startHost(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::resetScene();
    const std::string path = fuzz::writeFile("input.obj", data, size);
    khost::UndoRecord record;
    std::vector<std::string> created;
    std::string problem;
    if (!khost::importObj(record, path, created, problem))
        return 0;
    std::vector<khost::Node*> shapes;
    for (const std::string& name : created)
        shapes.push_back(khost::shapeOf(khost::Scene::instance().findNode(name)));
    if (!khost::exportObj(fuzz::filePath("export.obj"), shapes, problem)) {
        std::fprintf(stderr, "an imported mesh does not export: %s\n", problem.c_str());
        __builtin_trap();
    }
    return 0;
}
