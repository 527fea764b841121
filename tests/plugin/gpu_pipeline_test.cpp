// The GPU override's own decisions: when it passes a geometry through, asks for the CPU, blends
// inbetweens, refreshes what changed, sizes its launches, and gives back every booked byte.
#include "GpuScene.h"
#include "gpu/GPUMemory.h"
#include "gpu/OpenCLRuntime.h"
#include <maya/MPxGPUDeformer.h>

namespace {

class GpuPipeline : public GpuScene {
protected:
    // A 3 x 3 plane under a kivoMorph with target 0 holding stored items.
    void storedRig(const std::string& items) {
        run("polyPlane -w 2 -h 2 -sx 2 -sy 2 -n base; deformer -type kivoMorph -n m base;" + items);
    }
    // Points after the evaluations a fresh override needs (the first one runs on the CPU while the
    // node builds its caches).
    MPointArray settled(const std::string& shape = "base") {
        points(shape);
        run("setAttr m.envelope 1;");
        return points(shape);
    }
};

} // namespace

TEST_F(GpuPipeline, NothingToBlendPassesTheGeometryThrough) {
    KIVO_REQUIRE_GPU();
    storedRig(itemArrays("m.it[0].itg[0].iti[6000]", {4}, {{0, 1, 0}}));
    const MPointArray rest = points("base");
    // No weight element at all, then every weight 0: nothing is launched.
    EXPECT_EQ(settled()[4], rest[4]);
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerPassThrough);
    run("setAttr m.weight[0] 0;");
    EXPECT_EQ(settled()[4], rest[4]);
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerPassThrough);
    run("setAttr m.weight[0] 0.5;");
    EXPECT_POINT_NEAR(points("base")[4], rest[4].x, rest[4].y + 0.5, rest[4].z);
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess);
}

TEST_F(GpuPipeline, InbetweenFactorsFollowTheCpuRule) {
    KIVO_REQUIRE_GPU();
    // A lone item follows the target weight whatever its position; the 0.5 / 1.0 pair follows the
    // inbetween rule, extrapolating past 1.
    storedRig(itemArrays("m.it[0].itg[0].iti[5500]", {0}, {{1, 0, 0}}) +
              itemArrays("m.it[0].itg[1].iti[5500]", {4}, {{0, 1, 0}}) +
              itemArrays("m.it[0].itg[1].iti[6000]", {4}, {{0, 0, 1}}));
    const MPointArray rest = points("base");
    run("setAttr m.weight[0] 0.25;");
    settled();
    const std::vector<std::pair<double, MVector>> expected{
        {0.25, {0, 0.5, 0}}, {0.75, {0, 0.5, 0.5}}, {1.0, {0, 0, 1}}, {1.5, {0, -1, 2}}};
    for (const auto& [w, delta] : expected) {
        run("setAttr m.weight[1] " + std::to_string(w) + ";");
        const MPointArray p = points("base");
        EXPECT_POINT_NEAR(p[0], rest[0].x + 0.25, rest[0].y, rest[0].z);
        EXPECT_POINT_NEAR(p[4], rest[4].x + delta.x, rest[4].y + delta.y, rest[4].z + delta.z);
        EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess) << w;
    }
}

TEST_F(GpuPipeline, UvTargetWithoutItsSurfaceIsLeftToTheCpu) {
    KIVO_REQUIRE_GPU();
    // A UV item on surface 0 while no surface is connected: the GPU cannot place it and asks for the
    // CPU every time, which leaves the point where it is; once the surface is bound the GPU blends it.
    storedRig(itemArrays("m.it[0].itg[0].iti[6000]", {4}, {{0, 0, 0}}) +
              "setAttr m.it[0].itg[0].iti[6000].iuvt -type doubleArray 2 0.25 0;"
              "setAttr m.it[0].itg[0].tbuv 1; setAttr m.weight[0] 1;");
    const MPointArray rest = points("base");
    EXPECT_EQ(settled()[4], rest[4]);
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerRetryMainThread);
    run("nurbsPlane -w 4 -u 2 -v 2 -ax 0 1 0 -n ground; connectAttr groundShape.worldSpace[0] m.ss[0].is;");
    const MPoint moved = settled()[4];
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess);
    khost::gpu::enableDeformerEvaluator(false);
    run("setAttr m.envelope 1;");
    EXPECT_LT(moved.distanceTo(points("base")[4]), 1e-5);
    EXPECT_GT(moved.distanceTo(rest[4]), 0.1);
}

TEST_F(GpuPipeline, PointCountThatFillsWholeWorkGroupsIsBlendedToTheLastPoint) {
    // 64 x 64 points: a multiple of every usual work-group size.
    run("polyPlane -w 2 -h 2 -sx 63 -sy 63 -n base; duplicate -n tgt base; move -r 0 1 0 tgt.vtx[4000:4095];"
        "select -r tgt base; kivoMorph -name m; setAttr m.rebind 1; setAttr m.weight[0] 0.5;");
    const MPointArray cpu = points("base");
    KIVO_REQUIRE_GPU();
    const MPointArray gpu = settled();
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess);
    ASSERT_EQ(gpu.length(), 4096u);
    for (unsigned int i = 0; i < gpu.length(); ++i)
        ASSERT_LT(gpu[i].distanceTo(cpu[i]), 1e-6) << i;
}

TEST_F(GpuPipeline, TerminatedOverrideStartsAgainAsNew) {
    KIVO_REQUIRE_GPU();
    storedRig(itemArrays("m.it[0].itg[0].iti[6000]", {2, 4}, {{0, 1, 0}, {1, 0, 0}}) +
              "setAttr m.weight[0] 1;");
    const MPointArray first = settled();
    MPxGPUDeformer* deformer = khost::gpu::overrideState(node("m"), 0).deformer;
    ASSERT_NE(deformer, nullptr);
    EXPECT_GT(khost::gpu::bookedGPUMemory(deformer), 0u);
    {
        khost::gpu::GPUMemoryOwnerScope owner(deformer);
        deformer->terminate();
    }
    EXPECT_EQ(khost::gpu::bookedGPUMemory(deformer), 0u);
    run("setAttr m.weight[0] 0.5; setAttr m.weight[0] 1;");
    const MPointArray again = points("base");
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess);
    for (unsigned int i = 0; i < first.length(); ++i)
        EXPECT_EQ(again[i], first[i]) << i;
}

TEST_F(GpuPipeline, BookedMemoryIsGivenBackByDeletionUnloadAndNewScene) {
    KIVO_REQUIRE_GPU();
    const std::string rig = "polyPlane -n base; polyPlane -n other; deformer -type kivoMorph -n m base;"
                            "deformer -type kivoMorph -n n other;" +
                            itemArrays("m.it[0].itg[0].iti[6000]", {1}, {{0, 1, 0}}) +
                            itemArrays("n.it[0].itg[0].iti[6000]", {1}, {{0, 1, 0}}) +
                            "setAttr m.weight[0] 1; setAttr n.weight[0] 1;";
    run(rig);
    settled("base");
    points("other");
    run("setAttr n.envelope 1;");
    points("other");
    ASSERT_GT(bookedBytes(), 0u);
    const MUint64 both = bookedBytes();
    run("delete m;");
    EXPECT_LT(bookedBytes(), both);
    EXPECT_GT(bookedBytes(), 0u);
    run("file -new;");
    EXPECT_EQ(bookedBytes(), 0u);

    // The plug-in unloads once its nodes are gone, and loads again into a GPU that holds nothing of it.
    run(rig);
    settled("base");
    ASSERT_GT(bookedBytes(), 0u);
    run("file -new; unloadPlugin kivoMorph;");
    EXPECT_EQ(bookedBytes(), 0u);
    run("loadPlugin kivoMorph;" + rig);
    settled("base");
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess);
}

TEST_F(GpuPipeline, ProgramThatDoesNotBuildLeavesTheNodeToTheCpu) {
    KIVO_REQUIRE_GPU();
    storedRig(itemArrays("m.it[0].itg[0].iti[6000]", {4}, {{0, 1, 0}}));
    const MPointArray rest = points("base");
    run("setAttr m.weight[0] 0.5;");
    points("base");
    clearMessages();
    khost::gpu::failProgramBuilds(true);
    run("setAttr m.weight[0] 1;");
    const MPointArray deformed = points("base");
    khost::gpu::failProgramBuilds(false);
    EXPECT_EQ(count(khost::Message::Error, " Unable to compile objectToWorldSpace kernel! "), 1u);
    EXPECT_EQ(count(khost::Message::Info, " Failed to load Kernel! "), 1u);
    EXPECT_POINT_NEAR(deformed[4], rest[4].x, rest[4].y + 1, rest[4].z);
    // The failed override is gone with every byte it booked; the node stays on the CPU.
    EXPECT_TRUE(khost::gpu::overrideState(node("m"), 0).cpuOnly);
    EXPECT_EQ(bookedBytes(), 0u);
    run("setAttr m.weight[0] 0.25;");
    EXPECT_POINT_NEAR(points("base")[4], rest[4].x, rest[4].y + 0.25, rest[4].z);
}

TEST_F(GpuPipeline, SwitchingTheEvaluatorEvaluatesAgainOnThePathNowInUse) {
    storedRig(itemArrays("m.it[0].itg[0].iti[6000]", {4}, {{0, 1, 0}}) + "setAttr m.weight[0] 0.5;");
    const MPoint cpu = points("base")[4];
    KIVO_REQUIRE_GPU();
    EXPECT_EQ(points("base")[4], cpu);
    EXPECT_EQ(gpuStatus("m"), MPxGPUDeformer::kDeformerSuccess);
    run("evaluator -n \"deformer\" -en false;");
    EXPECT_EQ(points("base")[4], cpu);
    EXPECT_EQ(khost::gpu::overrideCount(), 0u);
}
