#pragma once
// How many threads the evaluation may use: all the machine has, unless the KIVO_THREADS
// environment variable or `kivo --threads N` says otherwise.

namespace khost {

// Limits every parallel loop in the process (the host's and the plug-ins') to `count` threads;
// 0 lifts the limit. Returns false for a count that is not allowed.
bool setThreadCount(int count);
// The number of threads parallel loops may use now.
int threadCount();
// Applies KIVO_THREADS when it is set; false (with a message) when it is not a positive number.
bool applyThreadCountFromEnvironment();

} // namespace khost
