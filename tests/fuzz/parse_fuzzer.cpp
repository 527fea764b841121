// The command language's tokenizer and parser on any text: they must return, and a refusal must say
// where the text went wrong, in Maya's "Line L.C: ..." form.
#include "command/Parser.h"
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<khost::Statement> statements;
    khost::SyntaxError error;
    if (!khost::parseScript(std::string(reinterpret_cast<const char*>(data), size), statements, error) &&
        error.message.rfind("Line ", 0) != 0) {
        std::fprintf(stderr, "refused without a place: \"%s\"\n", error.message.c_str());
        __builtin_trap();
    }
    return 0;
}
