// copyKivoWeights' searches on production-size meshes, against nanoflann's k-d tree doing the same
// nearest-point work in the same run:
//
//   vsNanoflann  our time / nanoflann's tree build plus one nearest-point query per point (lower is
//                better; at most 1 wanted)
//   seconds      our time
//
// M1  mirror (closestComponent) of a sphere of 1M vertices, symmetric across YZ: tree build, one
//     side-filtered search per vertex left of the plane, the new weights
// C1  copy by closest point between two meshes of 250k vertices: the source's triangle hierarchy, one
//     closest-point query per destination vertex, the barycentric blends
#include "copyKivoWeights/weightMapping.h"
#include "geometry/Generators.h"
#include "geometrySearch/mirrorPlane.h"

#include <maya/MFnMesh.h>
#include <maya/MMeshIntersector.h>

#include <benchmark/benchmark.h>
#include <nanoflann.hpp>

#include <chrono>
#include <memory>
#include <random>
#include <vector>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Cloud {
    const MPointArray& points;
    size_t kdtree_get_point_count() const { return points.length(); }
    double kdtree_get_pt(size_t index, size_t dimension) const {
        return points[static_cast<unsigned int>(index)][static_cast<unsigned int>(dimension)];
    }
    template <class Box> bool kdtree_get_bbox(Box&) const { return false; }
};
using NanoTree =
    nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Cloud>, Cloud, 3, uint32_t>;

// nanoflann's build over `points` and its nearest point to each query, in seconds.
double nanoflannSeconds(const MPointArray& points, const std::vector<MPoint>& queries) {
    const auto start = std::chrono::steady_clock::now();
    const Cloud cloud{points};
    NanoTree tree(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(8));
    uint32_t index = 0;
    double squared = 0.0;
    for (const MPoint& q : queries) {
        const double xyz[3] = {q.x, q.y, q.z};
        tree.knnSearch(xyz, 1, &index, &squared);
        benchmark::DoNotOptimize(index);
    }
    return secondsSince(start);
}

std::vector<double> randomWeights(unsigned int count) {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> weight(0.0, 1.0);
    std::vector<double> weights(count);
    for (double& w : weights)
        w = weight(random);
    return weights;
}

void BM_M1_MirrorComponentOneMillion(benchmark::State& state) {
    const khost::MeshData mesh = khost::makeSphere(5, 1000, 1000);
    const std::vector<double> weights = randomWeights(mesh.points.length());
    MirrorSettings settings;
    settings.closestPoint = false;
    std::vector<MPoint> queries;
    for (const MPoint& p : mesh.points)
        if (p.x < -1e-6)
            queries.push_back(reflected(p, 0));
    double ours = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const NewWeights mirrored = mirrorMeshByComponent(mesh.points, weights, settings);
        ours = secondsSince(start);
        benchmark::DoNotOptimize(mirrored.values.data());
    }
    state.counters["seconds"] = ours;
    state.counters["vsNanoflann"] = ours / nanoflannSeconds(mesh.points, queries);
    state.counters["points"] = mesh.points.length();
}

void BM_C1_CopyClosestPointQuarterMillion(benchmark::State& state) {
    auto source = std::make_shared<khost::MeshData>(khost::makePlane(10, 10, 499, 499, 1));
    std::mt19937 random(2);
    std::uniform_real_distribution<double> bump(-0.01, 0.01);
    for (MPoint& p : source->points)
        p.y += bump(random);
    khost::MeshData destination = khost::makePlane(9.5, 9.5, 501, 497, 1);
    for (MPoint& p : destination.points)
        p.y += 0.05;
    const std::vector<double> weights = randomWeights(source->points.length());
    MObject sourceObject(source);
    const MFnMesh sourceMesh(sourceObject);
    const std::vector<MPoint> queries(destination.points.begin(), destination.points.end());
    double ours = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        MMeshIntersector intersector;
        intersector.create(sourceObject, MMatrix::identity);
        std::vector<MeshSample> samples(destination.points.length());
        for (unsigned int i = 0; i < destination.points.length(); ++i)
            samples[i] = sampleMesh(intersector, sourceMesh, destination.points[i]);
        const NewWeights copied = copyFromSamples(samples, weights);
        ours = secondsSince(start);
        benchmark::DoNotOptimize(copied.values.data());
    }
    state.counters["seconds"] = ours;
    state.counters["vsNanoflann"] = ours / nanoflannSeconds(source->points, queries);
    state.counters["points"] = destination.points.length();
}

} // namespace

BENCHMARK(BM_M1_MirrorComponentOneMillion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_C1_CopyClosestPointQuarterMillion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
