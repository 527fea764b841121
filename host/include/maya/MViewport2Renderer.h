#pragma once
// The Viewport 2.0 renderer, as far as plug-ins tell it about the GPU memory they hold.
#include <maya/MStatus.h>
#include <maya/MTypes.h>

namespace MHWRender {

class MRenderer {
public:
    static MRenderer* theRenderer(bool initializeRenderer = true);
    // Books sizeInBytes as held by the caller; nothing is allocated.
    MStatus holdGPUMemory(const MUint64 sizeInBytes, MUint64* evictedGPUMemSize = nullptr);
    // Unbooks bytes booked before; more than is booked is refused.
    MStatus releaseGPUMemory(const MUint64 sizeInBytes);

private:
    MRenderer() = default;
};

} // namespace MHWRender
