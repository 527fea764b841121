#pragma once
// Loading and unloading plug-in modules the way Maya's loadPlugin and unloadPlugin do.
#include <maya/MStatus.h>
#include <string>

namespace khost {

// Loads a module and calls its initializePlugin. A bare name ("kivoMorph" or "kivoMorph.so") is looked up
// as NAME.so in each folder of MAYA_PLUG_IN_PATH (colon-separated), then in the host's own plug-in folder;
// anything with a '/' is a path. Loading a plug-in that is already loaded succeeds and does nothing.
// Failures are shown as errors; a module whose initializePlugin fails is unloaded again.
MStatus loadPluginModule(const std::string& nameOrPath, std::string* loadedName = nullptr);
// Calls uninitializePlugin and unloads the module. Refused while nodes of the plug-in's types exist.
MStatus unloadPluginModule(const std::string& nameOrPath);
// The plug-in's name is its file name without folder and ".so".
bool isPluginLoaded(const std::string& nameOrPath);

} // namespace khost
