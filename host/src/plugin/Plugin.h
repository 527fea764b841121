#pragma once
// A loaded plug-in module as MFnPlugin sees it: its identity and what it registered.
#include "core/Object.h"
#include <maya/MTypeId.h>
#include <string>
#include <vector>

namespace khost {

class Plugin : public Object {
public:
    Plugin(std::string pluginName, std::string modulePath)
        : name(std::move(pluginName)), path(std::move(modulePath)) {}
    MFn::Type apiType() const override { return MFn::kPlugin; }

    std::string name;
    std::string path;
    // Set by the first MFnPlugin attached during a load; the one uninitializePlugin builds with the
    // defaults must not overwrite them.
    bool identified = false;
    std::string vendor = "Unknown";
    std::string version = "Unknown";
    std::vector<MTypeId> nodeTypes;
    std::vector<std::string> commands;
};

// The plug-in whose initializePlugin or uninitializePlugin is running, null otherwise. Registrations
// that are not made through an MFnPlugin (GPU overrides) belong to it.
Plugin* activePlugin();

} // namespace khost
