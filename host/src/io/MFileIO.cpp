#include "io/FileReading.h"
#include <maya/MFileIO.h>

namespace {
bool gReadingFile = false;
}

namespace khost {

ReadingFile::ReadingFile() : fOuter(gReadingFile) {
    gReadingFile = true;
}

ReadingFile::~ReadingFile() {
    gReadingFile = fOuter;
}

} // namespace khost

bool MFileIO::isReadingFile() {
    return gReadingFile;
}
