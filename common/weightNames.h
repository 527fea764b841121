#pragma once
// Targets named by their weight: the alias of a `weight` element, or its plug name ("weight[3]").

#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

// The logical index of the element of `weights` whose alias or long plug name is `name`; failure
// when none is, with an error shown when the existing indices cannot be read.
MStatus weightIndexByName(MPlug weights, const MString& name, unsigned int& index);
