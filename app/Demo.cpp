#include "Demo.h"
#include "command/Script.h"
#include <filesystem>
#include <iostream>
#include <map>
#include <maya/MGlobal.h>
#include <system_error>

namespace fs = std::filesystem;

namespace kivo {
namespace {

std::map<fs::path, fs::file_time_type> objFiles(const fs::path& folder) {
    std::map<fs::path, fs::file_time_type> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == ".obj" && entry.is_regular_file(ec))
            files[entry.path()] = entry.last_write_time(ec);
    return files;
}

bool fail(const std::string& text) {
    MGlobal::displayError(text.c_str());
    return false;
}

} // namespace

bool runDemo(const std::string& outDir) {
    std::error_code ec;
    const fs::path out = fs::absolute(outDir, ec);
    if (ec || (fs::create_directories(out, ec), ec))
        return fail("Cannot create the output folder \"" + outDir + "\": " + ec.message());
    const fs::path previous = fs::current_path();
    // The script exports to relative paths, so it runs inside the output folder.
    fs::current_path(out, ec);
    if (ec)
        return fail("Cannot enter the output folder \"" + out.string() + "\": " + ec.message());
    const auto before = objFiles(out);
    const bool succeeded = khost::runScript(kDemoScript);
    const auto after = objFiles(out);
    fs::current_path(previous, ec);

    size_t written = 0;
    for (const auto& [path, time] : after) {
        auto old = before.find(path);
        if (old != before.end() && old->second == time)
            continue;
        std::cout << "Wrote " << path.string() << '\n';
        ++written;
    }
    std::cout << "kivo demo: " << written << " OBJ file" << (written == 1 ? "" : "s") << " written to "
              << out.string() << (succeeded ? "" : " (the scene did not complete)") << std::endl;
    return succeeded;
}

} // namespace kivo
