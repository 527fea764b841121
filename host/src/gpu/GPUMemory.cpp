#include "gpu/GPUMemory.h"
#include <map>
#include <maya/MViewport2Renderer.h>

namespace khost::gpu {
namespace {

// Never destroyed: buffers released during exit still unbook their bytes.
std::map<const void*, MUint64>& booked() {
    static auto* bytes = new std::map<const void*, MUint64>();
    return *bytes;
}

const void*& currentOwner() {
    static const void* owner = nullptr;
    return owner;
}

} // namespace

MUint64 bookedGPUMemory() {
    MUint64 total = 0;
    for (const auto& entry : booked())
        total += entry.second;
    return total;
}

MUint64 bookedGPUMemory(const void* owner) {
    auto found = booked().find(owner);
    return found == booked().end() ? 0 : found->second;
}

GPUMemoryOwnerScope::GPUMemoryOwnerScope(const void* owner) : fPrevious(currentOwner()) {
    currentOwner() = owner;
}

GPUMemoryOwnerScope::~GPUMemoryOwnerScope() {
    currentOwner() = fPrevious;
}

void holdGPUMemory(MUint64 bytes) {
    booked()[currentOwner()] += bytes;
}

bool releaseGPUMemory(MUint64 bytes) {
    auto found = booked().find(currentOwner());
    // An owner that holds nothing has no entry: only nothing can be released from it.
    if (found == booked().end())
        return bytes == 0;
    if (bytes > found->second)
        return false;
    found->second -= bytes;
    if (found->second == 0)
        booked().erase(found);
    return true;
}

} // namespace khost::gpu

namespace MHWRender {

MRenderer* MRenderer::theRenderer(bool) {
    static MRenderer renderer;
    return &renderer;
}

MStatus MRenderer::holdGPUMemory(const MUint64 sizeInBytes, MUint64* evictedGPUMemSize) {
    khost::gpu::holdGPUMemory(sizeInBytes);
    if (evictedGPUMemSize)
        *evictedGPUMemSize = 0;
    return MS::kSuccess;
}

MStatus MRenderer::releaseGPUMemory(const MUint64 sizeInBytes) {
    return khost::gpu::releaseGPUMemory(sizeInBytes) ? MStatus(MS::kSuccess) : MStatus(MS::kInvalidParameter);
}

} // namespace MHWRender
