#pragma once
// An interned name: equal texts give equal strings, compared by identity.
#include <maya/MString.h>

class MUniqueString {
public:
    MUniqueString() = default;
    static MUniqueString intern(const MString& text);
    bool operator==(const MUniqueString& other) const { return fText == other.fText; }
    bool operator!=(const MUniqueString& other) const { return fText != other.fText; }

private:
    explicit MUniqueString(const char* text) : fText(text) {}
    const char* fText = nullptr;
};
