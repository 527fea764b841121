// The node's evaluation on production-size generated rigs, with counters measured in the same run:
//
//   vsPlainLoop  node evaluation on one thread / the plain sparse loop over the same indices and
//                deltas (output += weight x delta), the least any blend shape has to do
//   vsCopy       node evaluation / an evaluation whose envelope makes the node return at once, that
//                is copying the points into and out of the graph
//   eta          the evaluation's minimal memory traffic / its time / the bandwidth of a triad
//   speedup      node evaluation on one thread / on all threads
//
// S1  1M points, 20 cached targets each moving a random 30% of the points, every weight changing
// S2  100k points, 200 cached targets of which 10 have a weight (vsActiveOnly: over a rig with just
//     those 10)
// S3  S1 with every weight 0
// S4  S1's stored arrays on a fresh node, as a reopened scene deforms from them (vsCached: over S1)
// S5  rebind (full encode) of 200 targets x 100k points
#include "Baselines.h"
#include "BenchRig.h"

#include <benchmark/benchmark.h>
#include <tbb/global_control.h>
#include <tbb/info.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using bench::evaluate;
using bench::plugOf;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int allThreads() {
    return tbb::info::default_concurrency();
}

template <class F> double withThreads(int threads, F measure) {
    const tbb::global_control limit(tbb::global_control::max_allowed_parallelism,
                                    static_cast<size_t>(threads));
    return measure();
}

// A new weight for every active target at every pass, so that nothing can be reused but the caches.
double weightAt(unsigned int target, int pass) {
    return 0.2 + 0.1 * static_cast<double>((target + static_cast<unsigned int>(pass)) % 7);
}

void setWeights(const std::vector<unsigned int>& active, int pass) {
    for (unsigned int t : active)
        plugOf("morph", "weight[" + std::to_string(t) + "]").setDouble(weightAt(t, pass));
}

double evaluationSeconds(const std::vector<unsigned int>& active, int passes) {
    setWeights(active, -1);
    evaluate();
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        setWeights(active, pass);
        benchmark::DoNotOptimize(evaluate()[0]);
    }
    return secondsSince(start) / passes;
}

double copySeconds(const std::vector<unsigned int>& active, int passes) {
    MPlug envelope = plugOf("morph", "envelope");
    envelope.setDouble(0.0);
    const double seconds = evaluationSeconds(active, passes);
    envelope.setDouble(1.0);
    return seconds;
}

std::vector<unsigned int> firstTargets(unsigned int count) {
    std::vector<unsigned int> targets(count);
    for (unsigned int t = 0; t < count; ++t)
        targets[t] = t;
    return targets;
}

std::vector<bench::SparseTarget> sparseTargets(const std::vector<unsigned int>& active) {
    std::vector<bench::SparseTarget> targets;
    for (unsigned int t : active)
        targets.push_back({bench::storedIndices(t), bench::storedDeltas(t), weightAt(t, 0)});
    return targets;
}

// Runs the evaluations the benchmark times at all threads, then fills the counters.
void measureEvaluation(benchmark::State& state, const std::vector<unsigned int>& active,
                       unsigned int points) {
    int pass = 0;
    for (auto _ : state) {
        setWeights(active, pass++);
        benchmark::DoNotOptimize(evaluate()[0]);
    }
    const int passes = 5;
    const double all = withThreads(allThreads(), [&] { return evaluationSeconds(active, passes); });
    const double one = withThreads(1, [&] { return evaluationSeconds(active, passes); });
    const std::vector<bench::SparseTarget> sparse = sparseTargets(active);
    state.counters["vsPlainLoop"] = one / bench::plainLoopSeconds(sparse, evaluate(), passes);
    state.counters["vsCopy"] = all / copySeconds(active, passes);
    state.counters["eta"] = bench::minimalTrafficBytes(sparse, points) / all / bench::triadBytesPerSecond();
    state.counters["speedup"] = one / all;
    state.counters["points"] = points;
}

void BM_S1_ManyTargetsAllActive(benchmark::State& state) {
    if (!bench::freshScene())
        return state.SkipWithError("the kivoMorph module did not load");
    const unsigned int points = bench::buildRig({999, 20, 0.3, true, 1});
    const std::vector<unsigned int> active = firstTargets(20);
    measureEvaluation(state, active, points);
    double sparseBytes = 0.0;
    for (const bench::SparseTarget& target : sparseTargets(active))
        sparseBytes += target.indices.length() * (sizeof(int) + sizeof(MPoint));
    state.counters["sparseMB"] = sparseBytes / 1e6;
    state.counters["peakRssMB"] = bench::peakResidentBytes() / 1e6;
}

void BM_S2_FewActiveAmongMany(benchmark::State& state) {
    if (!bench::freshScene())
        return state.SkipWithError("the kivoMorph module did not load");
    const unsigned int points = bench::buildRig({315, 200, 0.3, true, 2});
    std::vector<unsigned int> active;
    for (unsigned int t = 0; t < 200; t += 20)
        active.push_back(t);
    measureEvaluation(state, active, points);
    const double withAll = evaluationSeconds(active, 20);
    bench::freshScene();
    bench::buildRig({315, 10, 0.3, true, 2});
    state.counters["vsActiveOnly"] = withAll / evaluationSeconds(firstTargets(10), 20);
}

void BM_S3_EveryWeightZero(benchmark::State& state) {
    if (!bench::freshScene())
        return state.SkipWithError("the kivoMorph module did not load");
    bench::buildRig({999, 20, 0.3, true, 1});
    for (auto _ : state) {
        // A weight that stays 0 still dirties the output, as keyed animation does.
        plugOf("morph", "weight[0]").setDouble(0.0);
        benchmark::DoNotOptimize(evaluate()[0]);
    }
    const std::vector<unsigned int> none{0};
    auto zero = [&](int passes) {
        const auto start = std::chrono::steady_clock::now();
        for (int pass = 0; pass < passes; ++pass) {
            plugOf("morph", "weight[0]").setDouble(0.0);
            benchmark::DoNotOptimize(evaluate()[0]);
        }
        return secondsSince(start) / passes;
    };
    const double node = zero(10);
    plugOf("morph", "envelope").setDouble(0.0);
    state.counters["vsCopy"] = node / zero(10);
}

void BM_S4_StoredArraysAfterOpening(benchmark::State& state) {
    if (!bench::freshScene())
        return state.SkipWithError("the kivoMorph module did not load");
    const unsigned int points = bench::buildRig({999, 20, 0.3, true, 1});
    const std::vector<unsigned int> active = firstTargets(20);
    const double cached = evaluationSeconds(active, 5);
    const std::vector<bench::SparseTarget> sparse = sparseTargets(active);
    bench::freshScene();
    bench::buildRig({999, 0, 0.3, true, 1});
    for (unsigned int t = 0; t < sparse.size(); ++t)
        bench::setStoredArrays(t, sparse[t].indices, sparse[t].deltas);
    measureEvaluation(state, active, points);
    state.counters["vsCached"] = evaluationSeconds(active, 5) / cached;
}

void BM_S5_RebindManyTargets(benchmark::State& state) {
    if (!bench::freshScene())
        return state.SkipWithError("the kivoMorph module did not load");
    bench::buildRig({315, 200, 0.3, true, 3});
    MPlug rebind = plugOf("morph", "rebind");
    auto rebindSeconds = [&] {
        const auto start = std::chrono::steady_clock::now();
        rebind.setBool(true);
        benchmark::DoNotOptimize(evaluate()[0]);
        return secondsSince(start);
    };
    for (auto _ : state)
        rebindSeconds();
    const double all = withThreads(allThreads(), rebindSeconds);
    state.counters["seconds"] = all;
    state.counters["speedup"] = withThreads(1, rebindSeconds) / all;
}

} // namespace

BENCHMARK(BM_S1_ManyTargetsAllActive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_S2_FewActiveAmongMany)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_S3_EveryWeightZero)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_S4_StoredArraysAfterOpening)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_S5_RebindManyTargets)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_MAIN();
