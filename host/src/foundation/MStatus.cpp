#include <iostream>
#include <maya/MStatus.h>
#include <maya/MString.h>

MString MStatus::errorString() const {
    switch (fCode) {
    case kSuccess:
        return "(kSuccess): No error";
    case kFailure:
        return "(kFailure): Unexpected Internal Failure";
    case kInsufficientMemory:
        return "(kInsufficientMemory): Insufficient Memory";
    case kInvalidParameter:
        return "(kInvalidParameter): Object does not exist";
    case kLicenseFailure:
        return "(kLicenseFailure): License failure";
    case kUnknownParameter:
        return "(kUnknownParameter): Unknown parameter";
    case kNotImplemented:
        return "(kNotImplemented): Not implemented";
    case kNotFound:
        return "(kNotFound): Not found";
    case kEndOfFile:
        return "(kEndOfFile): End of file";
    }
    return "(unknown status code)";
}

void MStatus::perror(const char* message) const {
    std::cerr << message << ": " << errorString() << '\n';
}

void MStatus::perror(const MString& message) const {
    perror(message.asChar());
}

void MStatus::pAPIerror(const char* file, int line) const {
    std::cerr << "API error detected in " << file << " at line " << line << ": " << errorString() << '\n';
}

std::ostream& operator<<(std::ostream& os, const MStatus& status) {
    return os << status.errorString();
}
