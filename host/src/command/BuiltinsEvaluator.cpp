// evaluator: switching the GPU deformer evaluator on and off, and asking about it.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "gpu/DeformerEvaluator.h"
#include "gpu/OpenCLRuntime.h"

namespace khost {

namespace {

MSyntax evaluatorSyntax() {
    MSyntax syntax;
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.addFlag("-en", "-enable", MSyntax::kBoolean);
    syntax.addFlag("-i", "-info");
    syntax.enableQuery();
    syntax.makeFlagQueryWithFullArgs("-n", false);
    return syntax;
}

// The host has one evaluator, "deformer". `evaluator -q` lists the evaluators; with -n "deformer":
// -en true/false switches it, -q -en tells whether it is on, -q -i names the OpenCL device it uses.
MStatus evaluator(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    if (!args.isFlagSet("-n")) {
        if (!args.isQuery())
            return fail("evaluator: Give the evaluator's name with -name.", MS::kInvalidParameter);
        result.append(std::string("deformer"));
        return MS::kSuccess;
    }
    MString name;
    args.getFlagArgument("-n", 0, name);
    if (name != "deformer")
        return fail(std::string("evaluator: There is no evaluator named '") + name.asChar() + "'.",
                    MS::kInvalidParameter);
    if (args.isQuery()) {
        if (args.isFlagSet("-i"))
            result.append(gpu::runtime().description);
        else
            result.append(gpu::deformerEvaluatorEnabled() ? 1.0 : 0.0);
        return MS::kSuccess;
    }
    if (!args.isFlagSet("-en"))
        return fail("evaluator: Use -enable true or false, or -query.", MS::kInvalidParameter);
    bool enable = false;
    args.getFlagArgument("-en", 0, enable);
    if (enable && !gpu::runtime().context)
        return fail(
            "evaluator: The deformer evaluator needs an OpenCL device: " + gpu::runtime().description + ".",
            MS::kFailure);
    gpu::enableDeformerEvaluator(enable);
    return MS::kSuccess;
}

} // namespace

void registerEvaluatorCommand() {
    registerBuiltin("evaluator", evaluatorSyntax, evaluator);
}

} // namespace khost
