#include "FuzzHost.h"
#include "command/Selection.h"
#include "command/UndoQueue.h"
#include "core/HostInit.h"
#include "core/Messages.h"
#include "dg/Scene.h"
#include "plugin/PluginLoader.h"
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>

namespace fuzz {

namespace {

const char* const kPluginPath = KIVO_PLUGIN_DIR "/kivoMorph.so";
bool gWithPlugin = false;

class TempFolder {
public:
    const std::string& path() {
        if (fPath.empty()) {
            const char* tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kivo-fuzz-XXXXXX";
            if (!mkdtemp(pattern.data()))
                harnessFailure("cannot make a folder from " + pattern);
            fPath = pattern;
        }
        return fPath;
    }
    ~TempFolder() {
        if (!fPath.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(fPath, ignored);
        }
    }

private:
    std::string fPath;
};

TempFolder gFolder;

} // namespace

void startHost(bool withPlugin) {
    khost::initializeHost();
    gWithPlugin = withPlugin;
    if (withPlugin) {
        // libFuzzer keeps the coverage counters of every module it has seen; an `unloadPlugin` in an
        // input must not unmap the plug-in's, so this reference keeps the module loaded for good.
        if (!dlopen(kPluginPath, RTLD_NOW | RTLD_NODELETE))
            harnessFailure(dlerror());
    }
    resetScene();
}

void resetScene() {
    khost::UndoQueue::instance().flush();
    khost::activeSelection().clear();
    khost::Scene::instance().clear();
    if (gWithPlugin && !khost::isPluginLoaded("kivoMorph") && !khost::loadPluginModule(kPluginPath))
        harnessFailure(std::string("cannot load ") + kPluginPath);
    khost::Messages::instance().clear();
}

std::string filePath(const std::string& name) {
    return gFolder.path() + "/" + name;
}

std::string writeFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = filePath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        harnessFailure("cannot write " + path);
    return path;
}

void harnessFailure(const std::string& what) {
    std::fprintf(stderr, "fuzz harness: %s\n", what.c_str());
    std::abort();
}

} // namespace fuzz
