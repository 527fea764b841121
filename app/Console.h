#pragma once
// `kivo` with no arguments: statements read from a stream, each run as soon as it is complete.
#include <iosfwd>

namespace kivo {

// True when every statement succeeded. A failing statement does not stop the ones after it.
bool runConsole(std::istream& in);

} // namespace kivo
