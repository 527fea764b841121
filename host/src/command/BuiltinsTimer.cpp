// timerX: scripts time themselves.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include <chrono>

namespace khost {

namespace {

// Seconds since the host's clock started, which is its first reading.
double secondsNow() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

MSyntax timerSyntax() {
    MSyntax syntax;
    syntax.addFlag("-st", "-startTime", MSyntax::kDouble);
    return syntax;
}

// With no flag the time now; with -startTime the seconds elapsed since that time.
MStatus timerX(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    double start = 0.0;
    const bool elapsed = args.isFlagSet("-st");
    if (elapsed)
        args.getFlagArgument("-st", 0, start);
    const double now = secondsNow();
    result.append(elapsed ? now - start : now);
    return MS::kSuccess;
}

} // namespace

void registerTimerCommands() {
    secondsNow();
    registerBuiltin("timerX", timerSyntax, timerX);
}

} // namespace khost
