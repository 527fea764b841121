#pragma once
// The small part of Python used to call maya.cmds: imports of maya.cmds and calls
// `cmds.NAME(args, flag=value)`, statements separated by newlines or ';'. Each call runs the
// command of that name with the same flags (flag=True for a flag without arguments, tuples for
// several arguments, a list of tuples for a flag used several times).
#include "command/Result.h"
#include <maya/MStatus.h>
#include <string>

namespace khost {

// `result` receives the last call's result. Calls go onto the undo queue when toQueue.
MStatus runPython(const std::string& code, CommandResult& result, bool toQueue);

} // namespace khost
