#pragma once
// The renderer's account of GPU memory held by plug-ins: bytes booked with MRenderer::holdGPUMemory,
// by owner. The owner is whatever the evaluator is calling into while the bytes are booked (a GPU
// override), or none for the host's own buffers.
#include <maya/MTypes.h>

namespace khost::gpu {

// Bytes booked by every owner together, and by one owner.
MUint64 bookedGPUMemory();
MUint64 bookedGPUMemory(const void* owner);

// Books to owner while it lives; scopes nest.
class GPUMemoryOwnerScope {
public:
    explicit GPUMemoryOwnerScope(const void* owner);
    ~GPUMemoryOwnerScope();
    GPUMemoryOwnerScope(const GPUMemoryOwnerScope&) = delete;
    GPUMemoryOwnerScope& operator=(const GPUMemoryOwnerScope&) = delete;

private:
    const void* fPrevious;
};

// Used by MRenderer: books or unbooks for the current owner; false when more is released than it holds.
void holdGPUMemory(MUint64 bytes);
bool releaseGPUMemory(MUint64 bytes);

} // namespace khost::gpu
