#pragma once
// The program text of the three kernels, embedded scrambled (see scrambleKernels.cmake) and
// descrambled once on first use; it lives until the module unloads.

#include <string>

const std::string& kivoMorphKernelSource();
