#pragma once
// `kivo demo`: the built-in scene (examples/demo.mel), run inside the output folder.
#include <string>

namespace kivo {

extern const char* const kDemoScript;

// Runs the demo with its exports written into outDir (created when missing) and lists the files it
// wrote. True when every statement succeeded.
bool runDemo(const std::string& outDir);

} // namespace kivo
