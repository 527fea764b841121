#pragma once
// Scene files: command-language scripts that rebuild the scene when run.
#include <maya/MStatus.h>
#include <string>

namespace khost {

// The scene as a script: loadPlugin for plug-in node types, createNode (-p for DAG children) with
// a setAttr for every storable, writable value that no connection feeds, then aliasAttr,
// connectAttr and setAttr -l. Values at their defaults are left out except inside array elements,
// whose existence matters.
std::string writeScene();
MStatus saveScene(const std::string& path);

} // namespace khost
