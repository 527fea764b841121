#include "kivoMorphGPU/kernelSource.h"

namespace {
#include "kivoMorphKernels.inc"
} // namespace

const std::string& kivoMorphKernelSource() {
    static const std::string text = [] {
        std::string plain(kKernelTextSize, '\0');
        for (unsigned int i = 0; i < kKernelTextSize; ++i) {
            plain[i] = static_cast<char>(kScrambledKernelText[i] ^ kScrambleKey);
        }
        return plain;
    }();
    return text;
}
