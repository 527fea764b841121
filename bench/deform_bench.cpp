// Throughput of the node's evaluation: one stored target moving every point of a plane, re-evaluated
// at a new weight each iteration. Next to it, in the same run, the plain loop that any blend shape has
// to do (output = input + weight x delta over the same points) as the baseline: the counter
// `vsBaseline` is the node's time per evaluation over the baseline's. `vsPassThrough` compares it with
// an evaluation whose envelope makes the node return at once, which is what the graph around the node
// (copying geometry in and out) costs by itself.
#include "command/Script.h"
#include "core/HostInit.h"
#include "core/Messages.h"
#include "dag/Dag.h"
#include "dg/Scene.h"
#include "plugin/PluginLoader.h"
#include <benchmark/benchmark.h>
#include <chrono>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <string>

namespace {

MPlug plugOf(const std::string& node, const std::string& attr) {
    return MFnDependencyNode(khost::Scene::instance().findNode(node)->handle()).findPlug(attr.c_str(), true);
}

// Seconds per pass of the baseline loop over n points.
double baselineSeconds(unsigned n, int passes) {
    MPointArray input(n, MPoint(1, 2, 3)), delta(n, MPoint(0.1, 0.2, 0.3)), output(n);
    auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        const double w = pass % 2 ? 0.3 : 0.7;
        for (unsigned i = 0; i < n; ++i)
            output[i] =
                MPoint(input[i].x + w * delta[i].x, input[i].y + w * delta[i].y, input[i].z + w * delta[i].z);
        benchmark::DoNotOptimize(output[n / 2]);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / passes;
}

void BM_StoredTargetEvaluation(benchmark::State& state) {
    khost::initializeHost();
    khost::Scene::instance().clear();
    if (!khost::loadPluginModule(KIVO_PLUGIN_DIR "/kivoMorph.so")) {
        state.SkipWithError("the kivoMorph module did not load");
        return;
    }
    const int side = static_cast<int>(state.range(0));
    khost::runScript("polyPlane -w 10 -h 10 -sx " + std::to_string(side) + " -sy " + std::to_string(side) +
                     " -n base; deformer -type kivoMorph -n morph base;");
    const unsigned n = static_cast<unsigned>((side + 1) * (side + 1));
    MIntArray indices;
    for (unsigned i = 0; i < n; ++i)
        indices.append(static_cast<int>(i));
    MPointArray deltas(n, MPoint(0.1, 0.2, 0.3));
    MFnIntArrayData indexData;
    MFnPointArrayData deltaData;
    const std::string item = "it[0].itg[0].iti[6000].";
    plugOf("morph", item + "ipit").setMObject(indexData.create(indices));
    plugOf("morph", item + "ipt").setMObject(deltaData.create(deltas));
    MPlug weight = plugOf("morph", "weight[0]");
    khost::Node* shape = khost::shapeOf(khost::Scene::instance().findNode("base"));

    int pass = 0;
    MPointArray points;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        weight.setDouble(++pass % 2 ? 0.3 : 0.7);
        khost::getShapePoints(shape, points, MSpace::kObject);
        benchmark::DoNotOptimize(points[n / 2]);
    }
    const double nodeSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / pass;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n);
    state.counters["vsBaseline"] = nodeSeconds / baselineSeconds(n, 20);

    plugOf("morph", "envelope").setDouble(0.0);
    const int passThroughPasses = 20;
    start = std::chrono::steady_clock::now();
    for (int k = 0; k < passThroughPasses; ++k) {
        weight.setDouble(k % 2 ? 0.3 : 0.7);
        khost::getShapePoints(shape, points, MSpace::kObject);
        benchmark::DoNotOptimize(points[n / 2]);
    }
    const double passThroughSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / passThroughPasses;
    state.counters["vsPassThrough"] = nodeSeconds / passThroughSeconds;
    khost::Scene::instance().clear();
}

} // namespace

BENCHMARK(BM_StoredTargetEvaluation)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
