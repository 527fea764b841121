// The node's stored data on a live rig. The input picks setAttr statements on a kivoMorph node that
// deforms a plane and a circle (target 1 of the plane is a connected mesh, blended in UV space once a
// surface is connected): item arrays of any length and content (UV deltas included), inbetween item
// indices, weights, surface choices and spaces, and the settings that change how items blend; and
// connections of a NURBS sphere or plane to the node's surfaces, which cost an input a binding of every
// point only when it asks for one. Both shapes are evaluated after each statement. Indices are mostly
// those of the rig or of items, and sometimes any int, so that the node also meets sparse and huge
// logical indices. Built as fuzz_items_gpu, the same runs with the GPU deformer evaluator on.
#include "FuzzHost.h"
#include "command/Script.h"
#include "dag/Dag.h"
#include <fuzzer/FuzzedDataProvider.h>
#include <maya/MPointArray.h>
#include <sstream>

namespace {

const char* const kRig = "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base;"
                         "circle -r 1 -s 8 -nr 0 1 0 -n ring;"
                         "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n shape;"
                         "move -r 0 1 0 shape.vtx[4];"
                         "deformer -type kivoMorph -n m base ring;"
                         "connectAttr shapeShape.worldMesh[0] m.it[0].itg[1].iti[6000].igt;"
                         "sphere -r 1 -s 4 -nsp 2 -n ball; move 0 -2 0 ball; nurbsPlane -w 3 -n ground;"
                         "setAttr m.it[0].itg[1].tbuv 1;"
                         "setAttr m.weight[1] 0.5;";
// Keeps an input's evaluations within libFuzzer's timeout.
constexpr int kMaxStatements = 64;

// Geometry, target and point indices: the rig's (9 plane points, 8 circle CVs, one past) or any int.
int index(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange(0, 7) ? in.ConsumeIntegralInRange(0, 9) : in.ConsumeIntegral<int>();
}

// Item indices: the rest item 5000 to the full-weight item 6000 and a little beyond, or any int.
int itemIndex(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange(0, 7) ? in.ConsumeIntegralInRange(4990, 6010)
                                           : in.ConsumeIntegral<int>();
}

double number(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeFloatingPointInRange(-2.0, 2.0) : in.ConsumeFloatingPoint<double>();
}

// Text is built with << throughout: unlike +, it consumes the input in the order written.
std::string group(FuzzedDataProvider& in) {
    std::ostringstream out;
    out << "m.it[" << index(in) << "].itg[" << index(in) << "]";
    return out.str();
}

std::string item(FuzzedDataProvider& in) {
    std::ostringstream out;
    out << group(in) << ".iti[" << itemIndex(in) << "]";
    return out.str();
}

// An array value, "N w1 w2 ...", whose stated N is now and then not the number of elements given.
template <typename Word> std::string array(FuzzedDataProvider& in, int wordsPerElement, Word word) {
    const int count = in.ConsumeIntegralInRange(0, 16);
    std::ostringstream out;
    out.precision(17);
    out << (in.ConsumeIntegralInRange(0, 7) ? count : in.ConsumeIntegralInRange(0, 20));
    for (int i = 0; i < count * wordsPerElement; ++i)
        out << " " << word(in);
    return out.str();
}

std::string statement(FuzzedDataProvider& in) {
    static const char* const kGroupFlags[] = {"tbb", "tbl", "tbuv", "twn", "twl", "trb"};
    static const char* const kGroupNumbers[] = {"to", "tc", "tp", "tsi"};
    static const char* const kNodeNumbers[] = {"envelope", "precision", "rebind", "origin"};
    static const char* const kSurfaces[] = {"ballShape", "groundShape"};
    std::ostringstream out;
    out.precision(17);
    if (in.ConsumeIntegralInRange(0, 63) == 0) {
        out << "connectAttr -f " << in.PickValueInArray(kSurfaces) << ".worldSpace[0] m.ss[" << index(in)
            << "].is";
        return out.str();
    }
    out << "setAttr ";
    switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
        out << item(in) << ".ipit -type \"Int32Array\" " << array(in, 1, index);
        break;
    case 1:
        out << item(in) << ".ipt -type \"pointArray\" " << array(in, 4, number);
        break;
    case 2:
        out << item(in) << ".iuvt -type \"doubleArray\" " << array(in, 1, number);
        break;
    case 3:
        out << "m.weight[" << index(in) << "] " << number(in);
        break;
    case 4:
        out << group(in) << ".tw[" << index(in) << "] " << number(in);
        break;
    case 5:
        out << "m.it[" << index(in) << "].bw[" << index(in) << "] " << number(in);
        break;
    case 6:
        out << group(in) << "." << in.PickValueInArray(kGroupFlags) << " " << in.ConsumeBool();
        break;
    case 7:
        out << group(in) << "." << in.PickValueInArray(kGroupNumbers) << " " << number(in);
        break;
    case 8:
        out << "m.ss[" << index(in) << "].iso " << number(in);
        break;
    default:
        out << "m." << in.PickValueInArray(kNodeNumbers) << " " << number(in);
        break;
    }
    return out.str();
}

void evaluate(const char* name) {
    MPointArray points;
    khost::getShapePoints(khost::shapeOf(khost::Scene::instance().findNode(name)), points, MSpace::kWorld);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startHost(true);
#ifdef KIVO_FUZZ_GPU
    if (!khost::executeStatement("evaluator -n \"deformer\" -en true"))
        fuzz::harnessFailure("the GPU deformer evaluator needs an OpenCL device");
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::resetScene();
    if (!khost::executeStatement(kRig))
        fuzz::harnessFailure("the rig cannot be built");
    FuzzedDataProvider in(data, size);
    for (int n = 0; n < kMaxStatements && in.remaining_bytes() > 0; ++n) {
        khost::executeStatement(statement(in));
        evaluate("base");
        evaluate("ring");
    }
    return 0;
}
