#pragma once
// Small pieces every built-in command uses.
#include <maya/MArgDatabase.h>
#include <maya/MStatus.h>
#include <maya/MSyntax.h>
#include <string>
#include <vector>

namespace khost {

// Shows the command's error and returns the status it fails with.
MStatus fail(const std::string& message, MStatus status = MS::kFailure);
// The objects the command was given (or the selection it defaulted to), as words.
std::vector<std::string> objectsOf(const MArgDatabase& args);
// Maya's node names: a letter or underscore, then letters, digits and underscores.
bool validName(const std::string& name);
// The syntax of a command that takes exactly one word and no flags.
MSyntax oneObjectSyntax();

} // namespace khost
