// The same scenes on the CPU and on the GPU deformer evaluator: every deforming scenario is built and
// stepped through its frames twice, and the points of every frame must agree within single precision.
// The GPU run switches the evaluator on before anything is built, so connected targets are encoded
// by the CPU when they need to be and blended by the GPU from then on.
#include "GpuScene.h"

namespace {

struct Scenario {
    const char* name;
    std::string setup;
    std::vector<std::string> frames;
    std::vector<std::string> shapes;
    // Deformer and geometry whose override must have blended the last frame on the GPU.
    std::vector<std::pair<std::string, unsigned int>> onGpu;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

// Two 9 x 9 planes' worth of targets on an 8 x 8 plane: "up" lifts a band of vertices, "side" pushes
// another sideways, overlapping it.
const char* const kPlaneTargets = "polyPlane -w 2 -h 2 -sx 8 -sy 8 -n base;"
                                  "duplicate -n up base; move -r 0 1 0 up.vtx[3:30];"
                                  "duplicate -n side base; move -r 0.5 0 0.25 side.vtx[20:60];";

std::string weights(const std::string& deformer, const std::vector<double>& values) {
    std::ostringstream out;
    for (size_t t = 0; t < values.size(); ++t)
        out << "setAttr " << deformer << ".weight[" << t << "] " << values[t] << ";";
    return out.str();
}

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> all{
        {"Plain",
         std::string(kPlaneTargets) + "select -r up side base; kivoMorph -name m; setAttr m.rebind 1;",
         {weights("m", {0.5, 0.25}), weights("m", {-0.3, 1.2}), weights("m", {1, 0})},
         {"base"},
         {{"m", 0}}},
        {"InbetweensOfEveryKind",
         "polyPlane -w 2 -h 2 -sx 4 -sy 4 -n base;"
         "duplicate -n full base; move -r 0 1 0 full.vtx[6:8];"
         "duplicate -n mid base; move -r 0.3 0.2 0 mid.vtx[7:12];"
         "duplicate -n low base; move -r 0 -0.5 0.1 low.vtx[2:7];"
         "duplicate -n lowest base; move -r 0 -1 0 lowest.vtx[7];"
         "select -r full base; kivoMorph -name m;"
         "kivoMorph -edit -inBetween true -target base 0 mid 0.5 m;"
         "kivoMorph -edit -inBetween true -target base 0 low -0.5 m;"
         "kivoMorph -edit -inBetween true -target base 0 lowest -1 m;"
         "setAttr m.rebind 1;",
         {weights("m", {0.25}), weights("m", {0.75}), weights("m", {1}), weights("m", {1.5}),
          weights("m", {-0.25}), weights("m", {-0.75}), weights("m", {-1.5})},
         {"base"},
         {{"m", 0}}},
        {"BezierThroughInbetweens",
         "polyPlane -w 2 -h 2 -sx 4 -sy 4 -n base;"
         "duplicate -n full base; move -r 0 1 0 full.vtx[6:13];"
         "duplicate -n a base; move -r 0.5 0.5 0 a.vtx[7:12];"
         "duplicate -n b base; move -r 0.2 0.9 0.3 b.vtx[8:16];"
         "select -r full base; kivoMorph -name m;"
         "kivoMorph -edit -inBetween true -target base 0 a 0.3 m;"
         "kivoMorph -edit -inBetween true -target base 0 b 0.7 m;"
         "setAttr m.it[0].itg[0].targetBlendBezier 1; setAttr m.it[0].itg[0].targetCurvature 0.35;"
         "setAttr m.rebind 1;",
         {weights("m", {0.2}), weights("m", {0.5}), "setAttr m.it[0].itg[0].tc 0.5;", weights("m", {0.9})},
         {"base"},
         {{"m", 0}}},
        {"UvAndBezierUv",
         "sphere -r 1 -n ball;"
         "polyPlane -w 0.4 -h 0.4 -sx 2 -sy 2 -ax 1 0 0 -n base; move -r 1.2 0.1 0.2 base.vtx[*];"
         "duplicate -n tgt base; move -r -0.5 0.3 0.6 tgt.vtx[*]; move -r 0 0.2 0 tgt.vtx[8];"
         "duplicate -n mid base; move -r -0.2 0.2 0.2 mid.vtx[*];"
         "duplicate -n tgt2 base; move -r 0 -0.4 0 tgt2.vtx[0:4];"
         "duplicate -n mid2 base; move -r 0 -0.1 0.1 mid2.vtx[0:4];"
         "select -r tgt tgt2 base; kivoMorph -name m;"
         "kivoMorph -edit -inBetween true -target base 1 mid2 0.5 m;"
         "connectAttr ballShape.worldSpace[0] m.ss[0].is;"
         "setAttr m.it[0].itg[0].tbuv 1; setAttr m.it[0].itg[1].tbuv 1; setAttr m.it[0].itg[1].tbb 1;"
         "setAttr m.it[0].itg[1].tc 0.4; setAttr m.it[0].itg[0].to 0.5; setAttr m.rebind 1;",
         {weights("m", {0.5, 0}), weights("m", {1, 0.3}), weights("m", {0.25, 0.8}),
          "setAttr m.it[0].itg[0].to 1;"},
         {"base"},
         {{"m", 0}}},
        {"LiveAndLiveUv",
         "nurbsPlane -w 4 -u 2 -v 2 -n ground;"
         "polyPlane -w 1 -h 1 -sx 2 -sy 2 -n base; move -r 0 0.5 0 base.vtx[*];"
         "duplicate -n live base; duplicate -n liveUv base;"
         "select -r live liveUv base; kivoMorph -name m;"
         "connectAttr groundShape.worldSpace[0] m.ss[0].is;"
         "setAttr m.it[0].itg[1].tbuv 1; setAttr m.it[0].itg[0].tbl 1; setAttr m.it[0].itg[1].tbl 1;"
         "setAttr m.rebind 1;" +
             weights("m", {1, 0.5}),
         {"move -r 0 0.3 0 live.vtx[4];", "move -r 0.4 0 0.2 liveUv.vtx[1:3];",
          "move -r 0 0.3 0.1 live.vtx[0:2]; move -r -0.2 0.1 0 liveUv.vtx[4];"},
         {"base"},
         {{"m", 0}}},
        {"PaintedAndDeformerWeightsAndEnvelope",
         std::string(kPlaneTargets) + "select -r up side base; kivoMorph -name m; setAttr m.rebind 1;"
                                      "setAttr m.it[0].itg[0].tw[5] 0.25; setAttr m.it[0].itg[0].tw[20] 0;"
                                      "setAttr m.it[0].bw[21] 0.5; setAttr m.weightList[0].weights[22] 0.3;",
         {weights("m", {0.8, 0.6}), "setAttr m.envelope 0.5;", "setAttr m.it[0].itg[1].tw[25] 0.7;",
          "setAttr m.weightList[0].weights[30] 0.1; setAttr m.envelope 1;"},
         {"base"},
         {{"m", 0}}},
        {"TwoGeometries",
         "polyPlane -w 2 -h 2 -sx 4 -sy 4 -n baseA; polyPlane -w 2 -h 2 -sx 2 -sy 2 -n baseB;"
         "deformer -type kivoMorph -n m baseA baseB;" +
             PluginScene::itemArrays("m.it[0].itg[0].iti[6000]", {1, 6, 12},
                                     {{0, 1, 0}, {0.5, 0, 0}, {0, 0, 2}}) +
             PluginScene::itemArrays("m.it[1].itg[0].iti[6000]", {0, 4, 8},
                                     {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}) +
             PluginScene::itemArrays("m.it[1].itg[1].iti[6000]", {4}, {{0, -2, 0}}),
         {weights("m", {0.5, 0.5}), weights("m", {1, -1}), weights("m", {0.25, 2})},
         {"baseA", "baseB"},
         {{"m", 0}, {"m", 1}}},
        {"WorldSpaceWithTransformedGeometry",
         "polyPlane -w 2 -h 2 -sx 4 -sy 4 -n base; rotate 0 30 45 base; scale 2 1 0.5 base; move 1 2 3 base;"
         "duplicate -n tgt base; move -r 0 1 0 tgt.vtx[6:9]; rotate 10 0 0 tgt;"
         "select -r tgt base; kivoMorph -name m; setAttr m.origin 0; setAttr m.rebind 1;",
         {weights("m", {0.5}), weights("m", {1}), "move -r 0 0 1 base;", weights("m", {0.75})},
         {"base"},
         {{"m", 0}}},
    };
    return all;
}

class GpuParity : public GpuScene, public ::testing::WithParamInterface<Scenario> {
protected:
    // Builds the scenario and reads every shape's points after each frame.
    // The override statuses after each frame, for every entry of the scenario's onGpu.
    std::vector<int> statuses;

    // The first entry per shape holds the points before the first frame.
    std::vector<MPointArray> play(const Scenario& scenario) {
        run(scenario.setup);
        std::vector<MPointArray> frames;
        for (const std::string& shape : scenario.shapes)
            frames.push_back(points(shape));
        for (const std::string& frame : scenario.frames) {
            run(frame);
            for (const std::string& shape : scenario.shapes)
                frames.push_back(points(shape));
            for (const auto& [deformer, geometry] : scenario.onGpu)
                statuses.push_back(gpuStatus(deformer, geometry));
        }
        return frames;
    }

    // Whether some frame moved some point from where it was before the first frame.
    static bool anyPointMoved(const std::vector<MPointArray>& frames, size_t shapes) {
        for (size_t f = shapes; f < frames.size(); ++f)
            for (unsigned int i = 0; i < frames[f].length(); ++i)
                if (frames[f][i].distanceTo(frames[f % shapes][i]) > 1e-3)
                    return true;
        return false;
    }
};

} // namespace

TEST_P(GpuParity, PointsAgreeWithTheCpuAtEveryFrame) {
    const Scenario& scenario = GetParam();
    const std::vector<MPointArray> cpu = play(scenario);
    ASSERT_TRUE(anyPointMoved(cpu, scenario.shapes.size()));
    run("file -new;");
    KIVO_REQUIRE_GPU();
    const std::vector<MPointArray> gpu = play(scenario);
    ASSERT_EQ(cpu.size(), gpu.size());
    for (size_t f = 0; f < cpu.size(); ++f) {
        ASSERT_EQ(cpu[f].length(), gpu[f].length());
        for (unsigned int i = 0; i < cpu[f].length(); ++i)
            for (unsigned int c = 0; c < 3; ++c)
                ASSERT_NEAR(gpu[f][i][c], cpu[f][i][c], 2e-5 * (1 + std::fabs(cpu[f][i][c])))
                    << "frame/shape " << f << " point " << i << " axis " << c;
    }
    // Every frame after the first (which may still find encoding for the CPU to do) blends on the GPU.
    const size_t perFrame = scenario.onGpu.size();
    const size_t cpuStatuses = statuses.size() / 2;
    for (size_t k = cpuStatuses + perFrame; k < statuses.size(); ++k)
        EXPECT_EQ(statuses[k], 0) << "frame " << (k - cpuStatuses) / perFrame;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GpuParity, ::testing::ValuesIn(scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });
