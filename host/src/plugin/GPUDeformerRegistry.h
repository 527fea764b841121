#pragma once
// The host's record of GPU overrides registered through MGPUDeformerRegistry.
#include <maya/MGPUDeformerRegistry.h>
#include <string>
#include <vector>

namespace khost {

struct GPUDeformerRegistration {
    std::string nodeClassName;
    std::string registrantId;
    MGPUDeformerRegistrationInfo* info = nullptr;
    // The plug-in that registered it; empty when registered outside a plug-in's entry points.
    std::string pluginName;
};

// In order of registration.
const std::vector<GPUDeformerRegistration>& gpuDeformerRegistrations();
// Forgets what a plug-in left registered before its code is unmapped; returns how many were dropped.
size_t discardGPUDeformerRegistrations(const std::string& pluginName);

} // namespace khost
