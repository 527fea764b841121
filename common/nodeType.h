#pragma once
// The identity of the kivoMorph node type, shared by its registration and by the commands that
// recognise its nodes.

#include <maya/MTypeId.h>

inline const MTypeId kKivoMorphTypeId(0x140541);
inline constexpr const char* kKivoMorphTypeName = "kivoMorph";
