// kivo: runs command-language scripts against the host and prints results and messages the way Maya's
// script editor does.
#include "Console.h"
#include "Demo.h"
#include "command/Script.h"
#include "core/HostInit.h"
#include "core/Messages.h"
#include "core/Threads.h"
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <maya/MGlobal.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kUsage = R"(usage:
  kivo [--threads N]                                  run statements read from standard input
  kivo run FILE [--keep-going] [--gpu] [--threads N]  run a script file
  kivo demo [--out DIR] [--gpu] [--threads N]         build the demo scene and write its OBJ files
                                                      into DIR (default: demo_out)
A failing statement stops a script unless --keep-going; the exit status is 1 when any statement
failed, 2 for a usage error. --threads limits evaluation to N threads (as KIVO_THREADS does).
)";

int usageError(const std::string& text) {
    std::cerr << "kivo: " << text << "\n" << kUsage;
    return 2;
}

// Switches the GPU deformer evaluator on and says which OpenCL device it runs on; false (after the
// error) when there is none.
bool enableGPUEvaluator() {
    MString device;
    if (!MGlobal::executeCommand("evaluator -n \"deformer\" -q -info", device)) {
        return false;
    }
    if (!MGlobal::executeCommand("evaluator -n \"deformer\" -en true")) {
        MGlobal::displayError(MString("kivo: --gpu needs an OpenCL device: ") + device);
        return false;
    }
    MGlobal::displayInfo(MString("GPU deformer evaluator on: ") + device);
    return true;
}

// A --threads argument, or -1 when it is not a positive number.
int threadCountOf(const std::string& text) {
    char* end = nullptr;
    const long count = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && count >= 1 && count <= 4096 ? static_cast<int>(count) : -1;
}

bool runFile(const std::string& path, bool keepGoing) {
    std::ifstream file(path);
    if (!file) {
        MGlobal::displayError(("Cannot open the script file \"" + path + "\".").c_str());
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    khost::ScriptOptions options;
    options.keepGoing = keepGoing;
    return khost::runScript(text.str(), options);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help" || args[0] == "help")) {
        std::cout << kUsage;
        return 0;
    }
    const std::string mode = args.empty() || args[0].rfind("--", 0) == 0 ? "" : args[0];
    if (!mode.empty() && mode != "run" && mode != "demo")
        return usageError("unknown command \"" + mode + "\"");

    bool gpu = false;
    bool keepGoing = false;
    int threads = 0;
    std::string file;
    std::string outDir = "demo_out";
    for (size_t i = mode.empty() ? 0 : 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--threads" && i + 1 < args.size())
            threads = threadCountOf(args[++i]);
        else if (a == "--gpu")
            gpu = true;
        else if (a == "--keep-going" && mode == "run")
            keepGoing = true;
        else if (a == "--out" && mode == "demo" && i + 1 < args.size())
            outDir = args[++i];
        else if (mode == "run" && file.empty() && a.rfind("--", 0) != 0)
            file = a;
        else
            return usageError("unexpected argument \"" + a + "\"");
    }
    if (mode == "run" && file.empty())
        return usageError("run needs a script file");
    if (threads < 0)
        return usageError("--threads needs a positive number of threads");

    khost::Messages::instance().setOutput(&std::cout);
    khost::initializeHost();
    if (threads > 0)
        khost::setThreadCount(threads);
    if (gpu && !enableGPUEvaluator())
        return 1;
    bool succeeded = mode == "run"    ? runFile(file, keepGoing)
                     : mode == "demo" ? kivo::runDemo(outDir)
                                      : kivo::runConsole(std::cin);
    return succeeded ? 0 : 1;
}
