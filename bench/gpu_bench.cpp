// The node's evaluation through its GPU override against the CPU deformer, on the same generated rig in
// the same run: 20 cached targets each moving a random 30% of the points, every weight changing at each
// evaluation. An evaluation includes the host evaluator's upload of the input points and the read-back of
// the deformed points into the shape, as in Maya.
//
//   vsCPU        GPU evaluation time / CPU evaluation time (all threads), measured one after the other
//   gpuPoints/s  points deformed per second through the override
//   cpuMs gpuMs  the two evaluation times behind vsCPU
//   maxDiff      largest coordinate difference between the two paths' output for the same weights
#include "BenchRig.h"

#include "command/Script.h"
#include "dg/Scene.h"
#include "gpu/DeformerEvaluator.h"
#include "gpu/OpenCLRuntime.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

namespace {

using bench::evaluate;
using bench::plugOf;

constexpr unsigned int targetCount = 20;

// A new weight for every target at every pass, so that nothing can be reused but the caches.
double weightAt(unsigned int target, int pass) {
    return 0.2 + 0.1 * static_cast<double>((target + static_cast<unsigned int>(pass)) % 7);
}

void setWeights(int pass) {
    for (unsigned int t = 0; t < targetCount; ++t)
        plugOf("morph", "weight[" + std::to_string(t) + "]").setDouble(weightAt(t, pass));
}

double evaluationSeconds(int passes) {
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        setWeights(pass);
        benchmark::DoNotOptimize(evaluate()[0]);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / passes;
}

bool setEvaluator(bool enabled) {
    return khost::executeStatement(std::string("evaluator -n \"deformer\" -en ") +
                                   (enabled ? "true" : "false"));
}

khost::gpu::OverrideState overrideOfMorph() {
    return khost::gpu::overrideState(khost::Scene::instance().findNode("morph"), 0);
}

double largestDifference(const MPointArray& a, const MPointArray& b) {
    if (a.length() != b.length())
        return INFINITY;
    double largest = 0.0;
    for (unsigned int i = 0; i < a.length(); ++i)
        largest = std::max(
            {largest, std::abs(a[i].x - b[i].x), std::abs(a[i].y - b[i].y), std::abs(a[i].z - b[i].z)});
    return largest;
}

// The benchmark's own iterations time the GPU path; the counters come from fixed runs of both paths.
void BM_GPUvsCPU(benchmark::State& state) {
    if (!bench::freshScene())
        return state.SkipWithError("the kivoMorph module did not load");
    const unsigned int points =
        bench::buildRig({static_cast<unsigned int>(state.range(0)), targetCount, 0.3, true, 1});
    const int passes = 10;

    setEvaluator(false);
    setWeights(-1);
    evaluate();
    const double cpu = evaluationSeconds(passes);
    setWeights(7);
    const MPointArray cpuOutput = evaluate();

    if (!setEvaluator(true))
        return state.SkipWithError(("no deformer evaluator: " + khost::gpu::runtime().description).c_str());
    // The first evaluations after enabling run on the CPU while the override encodes.
    for (int pass = 0; pass < 3; ++pass) {
        setWeights(100 + pass);
        evaluate();
    }
    const unsigned int before = overrideOfMorph().evaluations;
    setWeights(7);
    const MPointArray gpuOutput = evaluate();
    const khost::gpu::OverrideState after = overrideOfMorph();
    if (after.cpuOnly || after.lastStatus != 0 || after.evaluations != before + 1)
        return state.SkipWithError(("the GPU path is not taken: status " + std::to_string(after.lastStatus) +
                                    (after.cpuOnly ? ", CPU only" : "") + " on " +
                                    khost::gpu::runtime().description)
                                       .c_str());

    int pass = 0;
    for (auto _ : state) {
        setWeights(pass++);
        benchmark::DoNotOptimize(evaluate()[0]);
    }
    const double gpu = evaluationSeconds(passes);
    if (overrideOfMorph().lastStatus != 0)
        return state.SkipWithError("the GPU path left the GPU while timed");
    setEvaluator(false);

    state.counters["vsCPU"] = gpu / cpu;
    state.counters["gpuPoints/s"] = points / gpu;
    state.counters["cpuMs"] = cpu * 1e3;
    state.counters["gpuMs"] = gpu * 1e3;
    state.counters["maxDiff"] = largestDifference(cpuOutput, gpuOutput);
    state.counters["points"] = points;
    state.SetLabel(khost::gpu::runtime().description);
}

} // namespace

// Sides 315 and 999: about 100k and 1M points.
BENCHMARK(BM_GPUvsCPU)->Arg(315)->Arg(999)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK_MAIN();
