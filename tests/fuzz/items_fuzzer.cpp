// The node's stored data on a live rig: every input line becomes `setAttr m.LINE` on a kivoMorph node
// deforming a plane and a circle (one target of the plane comes from a connected mesh), and both
// shapes are evaluated after each statement. Lines are meant as item arrays, weights and inbetween
// item indices, e.g. "it[0].itg[0].iti[5500].ipit -type Int32Array 2 0 4".
#include "FuzzHost.h"
#include "command/Script.h"
#include "dag/Dag.h"
#include <maya/MPointArray.h>
#include <sstream>

namespace {

const char* const kRig = "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base;"
                         "circle -r 1 -s 8 -nr 0 1 0 -n ring;"
                         "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n shape;"
                         "move -r 0 1 0 shape.vtx[4];"
                         "deformer -type kivoMorph -n m base ring;"
                         "connectAttr shapeShape.worldMesh[0] m.it[0].itg[1].iti[6000].igt;"
                         "setAttr m.weight[1] 0.5;";

// A line stays one setAttr statement on the rig: characters that could end it, start a string or a
// comment, or that no plug or value is written with, are dropped.
std::string statementOf(const std::string& line) {
    std::string words;
    for (char c : line)
        if (c >= ' ' && c <= '~' && c != ';' && c != '"' && c != '/')
            words += c;
    return "setAttr m." + words;
}

void evaluate(const char* name) {
    MPointArray points;
    khost::getShapePoints(khost::shapeOf(khost::Scene::instance().findNode(name)), points, MSpace::kWorld);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startHost(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::resetScene();
    if (!khost::executeStatement(kRig))
        fuzz::harnessFailure("the rig cannot be built");
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(lines, line);) {
        khost::executeStatement(statementOf(line));
        evaluate("base");
        evaluate("ring");
    }
    return 0;
}
