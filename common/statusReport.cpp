#include "common/statusReport.h"

#include <maya/MGlobal.h>

#include <cstdio>
#include <iostream>

void reportStatus(const MStatus& status, const char* sourceFile, int line, const MString& message,
                  const MString& prefix) {
    char text[1024];
    std::snprintf(text, sizeof(text), "%s------------------------------------\n%s\n(%s:%d)%s",
                  prefix.asChar(), message.length() == 0 ? "Some Error Occured" : message.asChar(),
                  sourceFile, line, status.errorString().asChar());
    MGlobal::displayError(text);
    std::cerr << "ERROR! " << text << std::endl;
}

void reportOpenCLError(int code, int line) {
    char text[1024];
    std::snprintf(text, sizeof(text), "%s--------------------------\n(%s:%d Error:%d)", "Some Error Occurred",
                  "kivoMorphGPU", line, code);
    MGlobal::displayError(text);
    std::cerr << text << std::endl;
}
