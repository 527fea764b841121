#pragma once
// The scene's active selection, behind MGlobal::get/setActiveSelectionList and `select`.
#include <maya/MSelectionList.h>

namespace khost {
MSelectionList& activeSelection();
} // namespace khost
