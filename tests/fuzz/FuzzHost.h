#pragma once
// What the fuzz targets share: the host brought up once, an empty scene for every input, and a
// file of this process for the readers that take a path.
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Brings the host up, with the kivoMorph plug-in loaded when withPlugin.
void startHost(bool withPlugin);
// An empty scene: no nodes, nothing selected, nothing to undo, no messages kept. The plug-in is
// loaded again when the last input unloaded it.
void resetScene();
// The path of this process's own file `name`, in a private temporary folder that goes away at exit;
// it has no characters that need quoting in a script.
std::string filePath(const std::string& name);
// Writes the bytes to filePath(name) and returns that path.
std::string writeFile(const std::string& name, const uint8_t* data, size_t size);
// Stops the run when the harness itself cannot go on (as opposed to a fault in what it drives).
[[noreturn]] void harnessFailure(const std::string& what);

} // namespace fuzz
