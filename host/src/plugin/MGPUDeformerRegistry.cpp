#include "gpu/DeformerEvaluator.h"
#include "plugin/GPUDeformerRegistry.h"
#include "plugin/Plugin.h"
#include <algorithm>
#include <maya/MObjectArray.h>
#include <maya/MPxGeometryFilter.h>

namespace khost {
namespace {

std::vector<GPUDeformerRegistration>& registrations() {
    static std::vector<GPUDeformerRegistration> all;
    return all;
}

std::vector<GPUDeformerRegistration>::iterator findRegistration(const std::string& nodeClassName,
                                                                const std::string& registrantId) {
    auto& all = registrations();
    return std::find_if(all.begin(), all.end(), [&](const GPUDeformerRegistration& r) {
        return r.nodeClassName == nodeClassName && r.registrantId == registrantId;
    });
}

} // namespace

const std::vector<GPUDeformerRegistration>& gpuDeformerRegistrations() {
    return registrations();
}

size_t discardGPUDeformerRegistrations(const std::string& pluginName) {
    auto& all = registrations();
    size_t before = all.size();
    for (const GPUDeformerRegistration& r : all)
        if (r.pluginName == pluginName)
            gpu::dropOverrides(r.info);
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const GPUDeformerRegistration& r) { return r.pluginName == pluginName; }),
              all.end());
    return before - all.size();
}

} // namespace khost

MStatus MGPUDeformerRegistry::registerGPUDeformerCreator(const MString& nodeClassName,
                                                         const MString& registrantId,
                                                         MGPUDeformerRegistrationInfo* registrationInfo) {
    if (!registrationInfo || nodeClassName.length() == 0 || registrantId.length() == 0)
        return MS::kInvalidParameter;
    if (khost::findRegistration(nodeClassName.asChar(), registrantId.asChar()) !=
        khost::registrations().end())
        return MS::kFailure;
    khost::Plugin* plugin = khost::activePlugin();
    khost::registrations().push_back({nodeClassName.asChar(), registrantId.asChar(), registrationInfo,
                                      plugin ? plugin->name : std::string()});
    return MS::kSuccess;
}

MStatus MGPUDeformerRegistry::deregisterGPUDeformerCreator(const MString& nodeClassName,
                                                           const MString& registrantId) {
    auto it = khost::findRegistration(nodeClassName.asChar(), registrantId.asChar());
    if (it == khost::registrations().end())
        return MS::kFailure;
    khost::gpu::dropOverrides(it->info);
    khost::registrations().erase(it);
    return MS::kSuccess;
}

void MGPUDeformerRegistrationInfo::inputAttributes(MObjectArray& attributes) {
    attributes.append(MPxGeometryFilter::inputGeom);
}
