#pragma once
// Result of an API call: a success flag with a reason code.
#include <iosfwd>

class MString;

class MStatus {
public:
    enum MStatusCode {
        kSuccess = 0,
        kFailure,
        kInsufficientMemory,
        kInvalidParameter,
        kLicenseFailure,
        kUnknownParameter,
        kNotImplemented,
        kNotFound,
        kEndOfFile
    };

    MStatus() = default;
    MStatus(MStatusCode code) : fCode(code) {}
    MStatus(const MStatus& other) = default;
    MStatus& operator=(const MStatus& rhs) = default;

    bool operator==(const MStatus& rhs) const { return fCode == rhs.fCode; }
    bool operator==(const MStatusCode rhs) const { return fCode == rhs; }
    bool operator!=(const MStatus& rhs) const { return fCode != rhs.fCode; }
    bool operator!=(const MStatusCode rhs) const { return fCode != rhs; }
    operator bool() const { return fCode == kSuccess; }

    bool error() const { return fCode != kSuccess; }
    void clear() { fCode = kSuccess; }
    MStatusCode statusCode() const { return fCode; }
    MString errorString() const;
    void perror(const char* message) const;
    void perror(const MString& message) const;
    void pAPIerror(const char* file, int line) const;

private:
    MStatusCode fCode = kSuccess;
};

using MS = MStatus;

// Without these, `MS::kSuccess == status` would compare the code with the bool conversion.
inline bool operator==(MStatus::MStatusCode lhs, const MStatus& rhs) {
    return rhs == lhs;
}
inline bool operator!=(MStatus::MStatusCode lhs, const MStatus& rhs) {
    return rhs != lhs;
}

std::ostream& operator<<(std::ostream& os, const MStatus& status);

#define CHECK_MSTATUS(_status)                                                                               \
    do {                                                                                                     \
        MStatus _maya_status = (_status);                                                                    \
        if (_maya_status.error())                                                                            \
            _maya_status.pAPIerror(__FILE__, __LINE__);                                                      \
    } while (0)

#define CHECK_MSTATUS_AND_RETURN(_status, _retVal)                                                           \
    do {                                                                                                     \
        MStatus _maya_status = (_status);                                                                    \
        if (_maya_status.error()) {                                                                          \
            _maya_status.pAPIerror(__FILE__, __LINE__);                                                      \
            return (_retVal);                                                                                \
        }                                                                                                    \
    } while (0)

// Returns the status already evaluated, so the expression runs only once.
#define CHECK_MSTATUS_AND_RETURN_IT(_status)                                                                 \
    do {                                                                                                     \
        MStatus _maya_status = (_status);                                                                    \
        if (_maya_status.error()) {                                                                          \
            _maya_status.pAPIerror(__FILE__, __LINE__);                                                      \
            return _maya_status;                                                                             \
        }                                                                                                    \
    } while (0)

// errorString() returns an MString; MString.h needs MStatus complete first, hence the late include.
#include <maya/MString.h>
