// Lifetime of the override: every GPU resource is released by terminate and by the destructor, which
// leave the override as it was constructed.

#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MOpenCLInfo.h>

KivoMorphGPU::~KivoMorphGPU() {
    releaseAll();
    MPxGPUStandardDeformer::terminate();
}

void KivoMorphGPU::terminate() {
    releaseAll();
    MPxGPUStandardDeformer::terminate();
}

void KivoMorphGPU::releaseAll() {
    dummyBuffer.reset();
    deltaBuffer.reset();
    auxDeltaBuffer.reset();
    auxUVBuffer.reset();
    positionsCopyBuffer.reset();
    worldPositionsBuffer.reset();
    // Destroying a container waits for its pending upload and unbooks its bytes.
    itemBuffers.clear();
    surfaceBuffers.clear();
    surfaceGroupBuffers.clear();
    itemWeights.clear();
    itemTables.clear();
    bezierControls.clear();
    for (MAutoCLKernel* kernel :
         {&objectToWorldSpaceKernel, &blendTargetItemKernel, &blendDeltaFinalKernel}) {
        if (!kernel->isNull()) {
            MOpenCLInfo::releaseOpenCLKernel(*kernel);
        }
        kernel->reset();
    }
    surfaceDescriptionArg = SurfaceDescription();
    dataDirty = true;
    weightsDirty = true;
    preparedPointCount = 0;
    preparedGeneration = 0;
}

void KivoMorphGPU::dropHostCopies() {
    for (auto& items : itemBuffers) {
        for (ItemBuffers& item : items) {
            item.indices.clearHostCopy();
            item.points.clearHostCopy();
            item.uvs.clearHostCopy();
        }
    }
    for (auto& weights : itemWeights) {
        for (auto& values : weights) {
            values.clearHostCopy();
        }
    }
    for (auto& geometry : bezierControls) {
        for (auto& target : geometry.second) {
            target.second.controlPoints.clearHostCopy();
            target.second.controlUVs.clearHostCopy();
        }
    }
    for (auto& surface : surfaceBuffers) {
        surface.second.cvs.clearHostCopy();
        surface.second.knotsU.clearHostCopy();
        surface.second.knotsV.clearHostCopy();
    }
    for (auto& groups : surfaceGroupBuffers) {
        for (SurfaceGroupBuffers& group : groups.second) {
            group.relativePoints.clearHostCopy();
            group.surfacePoints.clearHostCopy();
            group.surfaceUVs.clearHostCopy();
        }
    }
}
