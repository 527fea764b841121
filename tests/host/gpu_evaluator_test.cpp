// The GPU deformer evaluator with a test override of the built-in blendShape: when it calls the override,
// what each returned status does to the geometry, which attributes count as modified, when overrides are
// terminated and their GPU memory unbooked, and the `evaluator` command.
#include "CommandFixture.h"
#include "dag/Dag.h"
#include "gpu/DeformerEvaluator.h"
#include "gpu/GPUMemory.h"
#include "gpu/OpenCLRuntime.h"
#include "host/OpenCLDevice.h"
#include <cstdlib>
#include <maya/MEvaluationNode.h>
#include <maya/MGPUDeformerRegistry.h>
#include <maya/MOpenCLInfo.h>
#include <maya/MPxGPUStandardDeformer.h>
#include <maya/MPxGeometryFilter.h>

namespace {

// The override moves every point by this in x, which no CPU result of the scene does.
constexpr float kShift = 3.0f;

const char* const kShiftSource = "__kernel void shiftX(__global float* positions, const float dx) {\n"
                                 "    positions[3 * get_global_id(0)] += dx;\n"
                                 "}\n";

// What the test's overrides were asked and what they answer.
struct Probe {
    MPxGPUDeformer::DeformerStatus status = MPxGPUDeformer::kDeformerSuccess;
    bool valuesValid = true;
    MObject watched;
    int created = 0, destroyed = 0, terminated = 0, evaluations = 0;
    std::vector<float> inputPositions;
    unsigned int matrixElements = 0;
    std::string nodeName;
    bool envelopeModified = false, watchedModified = false;
};

class ShiftDeformer : public MPxGPUStandardDeformer {
public:
    explicit ShiftDeformer(Probe& probe) : fProbe(probe) {}
    ~ShiftDeformer() override {
        ++fProbe.destroyed;
        MOpenCLInfo::releaseOpenCLKernel(fKernel);
    }

    DeformerStatus evaluate(MDataBlock& block, const MEvaluationNode& evaluationNode, const MPlug& outputPlug,
                            const MPlugArray& inputPlugs, const MGPUDeformerData& inputData,
                            MGPUDeformerData& outputData) override {
        Probe& p = fProbe;
        ++p.evaluations;
        MStatus status;
        const MObject node = evaluationNode.dependencyNode(&status);
        p.nodeName = status ? MFnDependencyNode(node).name().asChar() : "";
        p.envelopeModified = hasAttributeBeenModified(evaluationNode, MPxGeometryFilter::envelope);
        p.watchedModified = hasAttributeBeenModified(evaluationNode, p.watched);
        p.matrixElements = inputData.getBuffer(sGeometryMatrixName()).elementCount();

        MAutoCLEvent sync;
        const DeformerStatus prepared =
            prepareEvaluation(block, evaluationNode, outputPlug, inputPlugs, inputData, outputData, sync);
        if (prepared != kDeformerSuccess)
            return prepared;
        cl_command_queue queue = MOpenCLInfo::getMayaDefaultOpenCLCommandQueue();
        p.inputPositions.assign(static_cast<size_t>(affectCount()) * 3, 0.0f);
        MAutoCLEventList inputReady;
        inputReady.add(sync);
        if (clEnqueueReadBuffer(queue, inputPositions().buffer().get(), CL_TRUE, 0,
                                p.inputPositions.size() * sizeof(float), p.inputPositions.data(),
                                inputReady.size(), inputReady.array(), nullptr) != CL_SUCCESS)
            return kDeformerFailure;
        if (p.status != kDeformerSuccess)
            return p.status;

        if (fKernel.isNull())
            fKernel = MOpenCLInfo::getOpenCLKernelFromString(kShiftSource, "gpuEvaluatorTest", "shiftX");
        if (fKernel.isNull() || initializeOutputPositions(sync) != CL_SUCCESS)
            return kDeformerFailure;
        const cl_mem output = outputPositions().buffer().get();
        const size_t count = affectCount();
        MAutoCLEventList copied;
        copied.add(sync);
        cl_event shifted = nullptr;
        if (clSetKernelArg(fKernel.get(), 0, sizeof(cl_mem), &output) != CL_SUCCESS ||
            clSetKernelArg(fKernel.get(), 1, sizeof(float), &kShift) != CL_SUCCESS ||
            clEnqueueNDRangeKernel(queue, fKernel.get(), 1, nullptr, &count, nullptr, copied.size(),
                                   copied.array(), &shifted) != CL_SUCCESS)
            return kDeformerFailure;
        sync.attach(shifted);
        return finishEvaluation(sync, outputData);
    }

    void terminate() override {
        ++fProbe.terminated;
        MOpenCLInfo::releaseOpenCLKernel(fKernel);
        fKernel.reset();
        MPxGPUStandardDeformer::terminate();
    }

private:
    Probe& fProbe;
    MAutoCLKernel fKernel;
};

class ShiftRegistration : public MGPUDeformerRegistrationInfo {
public:
    MPxGPUDeformer* createGPUDeformer() override {
        ++probe.created;
        return new ShiftDeformer(probe);
    }
    bool validateNodeInGraph(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) override {
        return true;
    }
    bool validateNodeValues(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) override {
        return probe.valuesValid;
    }
    Probe probe;
};

class GpuEvaluatorTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        REQUIRE_OPENCL_DEVICE();
        ASSERT_TRUE(MGPUDeformerRegistry::registerGPUDeformerCreator("blendShape", "gpuEvaluatorTest",
                                                                     &fRegistration));
        fBooked = khost::gpu::bookedGPUMemory();
        build();
    }
    void TearDown() override {
        khost::gpu::enableDeformerEvaluator(false);
        MGPUDeformerRegistry::deregisterGPUDeformerCreator("blendShape", "gpuEvaluatorTest");
        CommandTest::TearDown();
    }

    // A four-point plane whose blendShape raises it by 2 in y on the CPU.
    void build() {
        run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n up;"
            "move -r 0 2 0 up.vtx[0:3];");
        fRest = points();
        run("blendShape -n bs -w 0 1 up base;");
        probe().watched = MFnDependencyNode(node("bs")->handle()).attribute("weight");
    }

    static MPointArray points() {
        MPointArray result;
        EXPECT_TRUE(khost::getShapePoints(khost::shapeOf(node("base")), result, MSpace::kObject));
        return result;
    }
    // The base's points are its rest points moved by (dx, dy, 0).
    void expectMoved(double dx, double dy, const char* what) {
        const MPointArray now = points();
        ASSERT_EQ(now.length(), fRest.length()) << what;
        for (unsigned int i = 0; i < now.length(); ++i) {
            EXPECT_NEAR(now[i].x, fRest[i].x + dx, 1e-6) << what << ", point " << i;
            EXPECT_NEAR(now[i].y, fRest[i].y + dy, 1e-6) << what << ", point " << i;
            EXPECT_NEAR(now[i].z, fRest[i].z, 1e-6) << what << ", point " << i;
        }
    }
    void expectCpu(const char* what) { expectMoved(0.0, 2.0, what); }
    void expectGpu(const char* what) { expectMoved(kShift, 0.0, what); }
    // A change of the same value still makes the deformer evaluate again.
    void touch() { run("setAttr bs.envelope 1"); }

    Probe& probe() { return fRegistration.probe; }
    khost::gpu::OverrideState state() { return khost::gpu::overrideState(node("bs"), 0); }

    ShiftRegistration fRegistration;
    MUint64 fBooked = 0;
    MPointArray fRest;
};

} // namespace

TEST_F(GpuEvaluatorTest, OverrideRunsOnlyWhileTheEvaluatorIsOnAndGetsTheInputPositions) {
    expectCpu("evaluator off");
    EXPECT_EQ(probe().created, 0);
    EXPECT_EQ(khost::gpu::overrideCount(), 0u);

    run("evaluator -n \"deformer\" -en true");
    touch();
    expectGpu("evaluator on");
    ASSERT_EQ(probe().created, 1);
    EXPECT_EQ(probe().evaluations, 1);
    EXPECT_EQ(probe().nodeName, "bs");
    EXPECT_EQ(probe().matrixElements, 16u);
    ASSERT_EQ(probe().inputPositions.size(), 3u * fRest.length());
    for (unsigned int i = 0; i < fRest.length(); ++i) {
        EXPECT_FLOAT_EQ(probe().inputPositions[3 * i], static_cast<float>(fRest[i].x));
        EXPECT_FLOAT_EQ(probe().inputPositions[3 * i + 1], static_cast<float>(fRest[i].y));
        EXPECT_FLOAT_EQ(probe().inputPositions[3 * i + 2], static_cast<float>(fRest[i].z));
    }
    const khost::gpu::OverrideState s = state();
    ASSERT_NE(s.deformer, nullptr);
    EXPECT_EQ(s.lastStatus, MPxGPUDeformer::kDeformerSuccess);
    EXPECT_EQ(khost::gpu::bookedGPUMemory(s.deformer), 4u * 3 * sizeof(float))
        << "the output positions are booked to the override";

    expectGpu("nothing changed");
    EXPECT_EQ(probe().evaluations, 1) << "a clean output is not deformed again";
}

TEST_F(GpuEvaluatorTest, StatusesChooseBetweenGpuCpuAndPassThrough) {
    run("evaluator -n \"deformer\" -en true");
    touch();
    expectGpu("success");
    MPxGPUDeformer* const first = state().deformer;

    probe().status = MPxGPUDeformer::kDeformerPassThrough;
    touch();
    expectMoved(0.0, 0.0, "pass-through leaves the input as it is");
    EXPECT_EQ(state().lastStatus, MPxGPUDeformer::kDeformerPassThrough);

    probe().status = MPxGPUDeformer::kDeformerRetryMainThread;
    touch();
    expectCpu("retry");
    probe().status = MPxGPUDeformer::kDeformerSuccess;
    touch();
    expectGpu("the GPU is asked again after a retry");
    EXPECT_EQ(probe().evaluations, 4);
    EXPECT_EQ(state().deformer, first);

    probe().valuesValid = false;
    touch();
    expectCpu("values the override refuses");
    EXPECT_EQ(probe().evaluations, 4);
    probe().valuesValid = true;

    probe().status = MPxGPUDeformer::kDeformerFailure;
    touch();
    expectCpu("failure");
    EXPECT_TRUE(state().cpuOnly);
    EXPECT_EQ(state().deformer, nullptr);
    EXPECT_EQ(probe().terminated, 1);
    EXPECT_EQ(probe().destroyed, 1);
    EXPECT_EQ(khost::gpu::bookedGPUMemory(first), 0u);
    probe().status = MPxGPUDeformer::kDeformerSuccess;
    touch();
    expectCpu("a failed geometry stays on the CPU");
    EXPECT_EQ(probe().evaluations, 5);
    EXPECT_EQ(probe().created, 1);

    run("evaluator -n \"deformer\" -en false; evaluator -n \"deformer\" -en true");
    touch();
    expectGpu("switching the evaluator on again gives the GPU another chance");
    EXPECT_EQ(probe().created, 2);
}

TEST_F(GpuEvaluatorTest, ModifiedAttributesAreThoseChangedSinceTheOverridesLastEvaluation) {
    run("evaluator -n \"deformer\" -en true");
    touch();
    expectGpu("first evaluation");
    run("setAttr bs.envelope 0.5");
    points();
    EXPECT_TRUE(probe().envelopeModified);
    EXPECT_FALSE(probe().watchedModified);
    run("setAttr bs.w[0] 0.5");
    points();
    EXPECT_FALSE(probe().envelopeModified) << "cleared by the evaluation in between";
    EXPECT_TRUE(probe().watchedModified) << "an element counts for its array";
    EXPECT_EQ(probe().evaluations, 3);
}

TEST_F(GpuEvaluatorTest, OverridesAreTerminatedAndTheirMemoryUnbookedWhenTheyGo) {
    for (const char* statement : {"delete bs", "evaluator -n \"deformer\" -en false", "file -new"}) {
        SCOPED_TRACE(statement);
        run("file -new");
        build();
        run("evaluator -n \"deformer\" -en true");
        const int terminated = probe().terminated;
        touch();
        expectGpu("before");
        const MPxGPUDeformer* deformer = state().deformer;
        ASSERT_NE(deformer, nullptr);
        EXPECT_GT(khost::gpu::bookedGPUMemory(deformer), 0u);
        EXPECT_GT(khost::gpu::bookedGPUMemory(), fBooked);

        run(statement);
        EXPECT_EQ(probe().terminated, terminated + 1);
        EXPECT_EQ(probe().destroyed, probe().created);
        EXPECT_EQ(khost::gpu::overrideCount(), 0u);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(deformer), 0u);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(), fBooked) << "the evaluator's own input buffers too";
    }

    // Deregistering deletes the overrides without terminating them: their code may be going away.
    run("file -new");
    build();
    run("evaluator -n \"deformer\" -en true");
    touch();
    expectGpu("before deregistering");
    const int terminated = probe().terminated;
    EXPECT_TRUE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("blendShape", "gpuEvaluatorTest"));
    EXPECT_EQ(probe().terminated, terminated);
    EXPECT_EQ(probe().destroyed, probe().created);
    EXPECT_EQ(khost::gpu::bookedGPUMemory(), fBooked);
    touch();
    expectCpu("no override registered");
}

TEST_F(GpuEvaluatorTest, EvaluatorCommandSwitchesQueriesAndRefusesUnknownNames) {
    EXPECT_EQ(result("evaluator -q"), "deformer");
    EXPECT_EQ(result("evaluator -n \"deformer\" -q -en"), "0");
    run("evaluator -n \"deformer\" -en true");
    EXPECT_TRUE(khost::gpu::deformerEvaluatorEnabled());
    EXPECT_EQ(result("evaluator -n \"deformer\" -q -en"), "1");
    EXPECT_EQ(result("evaluator -n \"deformer\" -q -info"), khost::gpu::runtime().description);
    run("evaluator -name \"deformer\" -enable false");
    EXPECT_EQ(result("evaluator -n \"deformer\" -q -en"), "0");

    expectError("evaluator -n \"dynamics\" -en true", "evaluator: There is no evaluator named 'dynamics'.");
    expectError("evaluator -n \"dynamics\" -q -en", "evaluator: There is no evaluator named 'dynamics'.");
    expectError("evaluator -en true", "evaluator: Give the evaluator's name with -name.");
    expectError("evaluator -n \"deformer\"", "evaluator: Use -enable true or false, or -query.");
    EXPECT_FALSE(khost::gpu::deformerEvaluatorEnabled());
}
