#pragma once
// Scenes evaluated by the GPU deformer evaluator: switching it on, the status of a node's override,
// and the booked GPU memory.
#include "PluginScene.h"
#include "gpu/DeformerEvaluator.h"
#include "gpu/GPUMemory.h"
#include "host/OpenCLDevice.h"
#include <maya/MGlobal.h>

class GpuScene : public PluginScene {
protected:
    void TearDown() override {
        khost::gpu::enableDeformerEvaluator(false);
        PluginScene::TearDown();
    }

    // The last status of the override of a node's geometry: 0 success, 1 failure, 2 retry, 3 pass
    // through, -1 never evaluated.
    static int gpuStatus(const std::string& deformer, unsigned int geometry = 0) {
        return khost::gpu::overrideState(node(deformer), geometry).lastStatus;
    }
    static MUint64 bookedBytes() { return khost::gpu::bookedGPUMemory(); }
};

// Switches the evaluator on, or skips the test where there is no OpenCL device (fails on CI).
#define KIVO_REQUIRE_GPU()                                                                                   \
    do {                                                                                                     \
        REQUIRE_OPENCL_DEVICE();                                                                             \
        ASSERT_TRUE(MGlobal::executeCommand("evaluator -n \"deformer\" -en true"));                          \
    } while (0)
