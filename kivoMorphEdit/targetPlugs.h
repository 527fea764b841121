#pragma once
// Elements of the deformer's sparse target arrays by logical index.

#include <maya/MPlug.h>

// The element of `array` with this logical index, scanning the existing elements in order and
// stopping at the first greater index; false when there is none.
bool findElement(const MPlug& array, int logicalIndex, MPlug& element);
