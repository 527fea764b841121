#pragma once
// Common typedefs, enums and macros of the API.
#include <cstdint>

#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#define MAYA_API_VERSION 20230300

class MStatus;
class MSyntax;

typedef void* (*MCreatorFunction)();
typedef MStatus (*MInitializeFunction)();
typedef MSyntax (*MCreateSyntaxFunction)();

typedef float float2[2];
typedef float float3[3];
typedef double double2[2];
typedef double double3[3];
typedef uint64_t MUint64;
typedef int64_t MInt64;

class MSpace {
public:
    enum Space {
        kInvalid = 0,
        kTransform = 1,
        kPreTransform = 2,
        kPostTransform = 3,
        kWorld = 4,
        kObject = kPreTransform,
        kLast = 5
    };
};

#define kInstanceUnspecified -1
