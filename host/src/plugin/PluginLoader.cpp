#include "plugin/PluginLoader.h"
#include "command/CommandRegistry.h"
#include "command/UndoQueue.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include "plugin/GPUDeformerRegistry.h"
#include "plugin/Plugin.h"
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <exception>
#include <link.h>
#include <map>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <memory>
#include <sys/stat.h>

namespace khost {
namespace {

using EntryPoint = MStatus (*)(MObject);

struct LoadedModule {
    std::shared_ptr<Plugin> plugin;
    void* handle = nullptr;
    EntryPoint uninitialize = nullptr;
};

std::map<std::string, LoadedModule>& loadedModules() {
    static std::map<std::string, LoadedModule> modules;
    return modules;
}

Plugin*& activeSlot() {
    static Plugin* active = nullptr;
    return active;
}

void error(const std::string& text) {
    MGlobal::displayError(text.c_str());
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string pluginNameOf(const std::string& nameOrPath) {
    std::string name = nameOrPath.substr(nameOrPath.find_last_of('/') + 1);
    return endsWith(name, ".so") ? name.substr(0, name.size() - 3) : name;
}

bool isFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string findModule(const std::string& nameOrPath) {
    if (nameOrPath.find('/') != std::string::npos)
        return isFile(nameOrPath) ? nameOrPath : std::string();
    const std::string file = pluginNameOf(nameOrPath) + ".so";
    std::string folders;
    if (const char* searchPath = std::getenv("MAYA_PLUG_IN_PATH"))
        folders = std::string(searchPath) + ":";
    folders += KIVO_DEFAULT_PLUGIN_DIR;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t colon = folders.find(':', start);
        std::string folder =
            folders.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!folder.empty() && isFile(folder + "/" + file))
            return folder + "/" + file;
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return {};
}

// dlsym also searches the module's dependencies; only a definition in the module itself counts.
void* ownSymbol(void* handle, const char* symbol) {
    void* address = dlsym(handle, symbol);
    link_map* module = nullptr;
    Dl_info info;
    if (!address || dlinfo(handle, RTLD_DI_LINKMAP, &module) != 0 || !module || !dladdr(address, &info))
        return nullptr;
    return info.dli_fname && std::strcmp(info.dli_fname, module->l_name) == 0 ? address : nullptr;
}

// Runs an entry point with the plug-in marked active; an exception counts as a failure.
MStatus callEntryPoint(EntryPoint entry, const std::shared_ptr<Plugin>& plugin, const char* entryName) {
    Plugin* previous = activeSlot();
    activeSlot() = plugin.get();
    MStatus status;
    std::string reason;
    try {
        status = entry(MObject(plugin));
    } catch (const std::exception& e) {
        status = MS::kFailure;
        reason = std::string(": ") + e.what();
    } catch (...) {
        status = MS::kFailure;
        reason = ": unknown exception";
    }
    activeSlot() = previous;
    if (!status)
        error(std::string(entryName) + " function failed (" + plugin->name + ")" + reason);
    return status;
}

// Whatever the plug-in still has registered points into its code: take it out before the code goes.
size_t discardRegistrations(Plugin& plugin) {
    size_t count = discardGPUDeformerRegistrations(plugin.name);
    for (const MTypeId& id : plugin.nodeTypes)
        count += ClassRegistry::instance().remove(id) ? 1 : 0;
    for (const std::string& command : plugin.commands)
        count += deregisterPluginCommand(command) ? 1 : 0;
    plugin.nodeTypes.clear();
    plugin.commands.clear();
    return count;
}

} // namespace

Plugin* activePlugin() {
    return activeSlot();
}

MStatus loadPluginModule(const std::string& nameOrPath, std::string* loadedName) {
    const std::string name = pluginNameOf(nameOrPath);
    if (loadedName)
        *loadedName = name;
    if (loadedModules().count(name))
        return MS::kSuccess;
    const std::string path = findModule(nameOrPath);
    if (path.empty()) {
        error("Plug-in, \"" + nameOrPath + "\", was not found on MAYA_PLUG_IN_PATH.");
        return MS::kNotFound;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error("Unable to dynamically load : " + (reason ? std::string(reason) : path));
        return MS::kFailure;
    }
    auto initialize = reinterpret_cast<EntryPoint>(ownSymbol(handle, "initializePlugin"));
    auto uninitialize = reinterpret_cast<EntryPoint>(ownSymbol(handle, "uninitializePlugin"));
    const char* missing = !ownSymbol(handle, "MApiVersion") ? "MApiVersion"
                          : !initialize                     ? "initializePlugin"
                          : !uninitialize                   ? "uninitializePlugin"
                                                            : nullptr;
    if (missing) {
        error("\"" + path + "\" is not a Maya plug-in: it does not export " + missing + ".");
        dlclose(handle);
        return MS::kFailure;
    }
    auto plugin = std::make_shared<Plugin>(name, path);
    MStatus status = callEntryPoint(initialize, plugin, "initializePlugin");
    if (!status) {
        discardRegistrations(*plugin);
        dlclose(handle);
        return status;
    }
    loadedModules()[name] = {plugin, handle, uninitialize};
    return MS::kSuccess;
}

MStatus unloadPluginModule(const std::string& nameOrPath) {
    const std::string name = pluginNameOf(nameOrPath);
    auto it = loadedModules().find(name);
    if (it == loadedModules().end()) {
        error("Plug-in \"" + name + "\" is not loaded.");
        return MS::kNotFound;
    }
    std::string users;
    size_t inUse = 0;
    for (const auto& node : Scene::instance().nodes()) {
        if (!node->cls->fromPlugin || node->cls->pluginName != name)
            continue;
        users += (inUse++ ? ", " : "") + node->name;
    }
    if (inUse > 0) {
        error("Cannot unload plug-in \"" + name + "\": it is still in use by " + std::to_string(inUse) +
              (inUse == 1 ? " node" : " nodes") + " in the scene (" + users + ").");
        return MS::kFailure;
    }
    // Undone deletions and command objects in the queue may hold objects made by the module's code.
    UndoQueue::instance().flush();
    LoadedModule module = it->second;
    MStatus status = callEntryPoint(module.uninitialize, module.plugin, "uninitializePlugin");
    if (!status)
        return status;
    if (size_t left = discardRegistrations(*module.plugin))
        MGlobal::displayWarning(("Plug-in \"" + name + "\" left " + std::to_string(left) +
                                 " registration(s) behind when it was unloaded; they have been removed.")
                                    .c_str());
    loadedModules().erase(it);
    dlclose(module.handle);
    return MS::kSuccess;
}

bool isPluginLoaded(const std::string& nameOrPath) {
    return loadedModules().count(pluginNameOf(nameOrPath)) > 0;
}

} // namespace khost
