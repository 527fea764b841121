#pragma once
// Scene files: command-language scripts that rebuild the scene when run.
#include <maya/MStatus.h>
#include <string>

namespace khost {

// The scene as a script: loadPlugin for plug-in node types, createNode (-p for DAG children) with
// a setAttr for every storable, writable value that no connection feeds, then aliasAttr,
// connectAttr and setAttr -l. Values at their defaults are left out except inside array elements,
// whose existence matters.
// Fails, naming the plug in `problem`, when a value holds a number that is not finite: the file
// would not read back.
MStatus writeScene(std::string& text, std::string& problem);
// Writes the file only when the whole scene could be written, so a failed save leaves the old
// file as it was.
MStatus saveScene(const std::string& path, std::string& problem);

} // namespace khost
