#pragma once
// Text value. Stored as UTF-8; length() counts bytes, the *W members count characters.
#include <iosfwd>
#include <maya/MStatus.h>
#include <string>

class MStringArray;

class MString {
public:
    MString() = default;
    MString(const char* charString);
    MString(const char* charString, int charLength);
    MString(const wchar_t* charString);
    MString(const MString& other) = default;
    ~MString() = default;

    MString& operator=(const MString& other) = default;
    MString& operator=(const char* other);
    MString& operator=(double value);

    MString& operator+=(const MString& other);
    MString& operator+=(const char* other);
    MString& operator+=(double other);
    MString& operator+=(int other);
    MString& operator+=(unsigned int other);
    MString& operator+=(float other);

    MString operator+(const MString& other) const;
    MString operator+(const char* other) const;
    MString operator+(double value) const;
    MString operator+(int value) const;
    MString operator+(unsigned int value) const;
    MString operator+(float value) const;

    bool operator==(const MString& other) const { return fText == other.fText; }
    bool operator==(const char* other) const;
    bool operator!=(const MString& other) const { return !(*this == other); }
    bool operator!=(const char* other) const { return !(*this == other); }
    // Byte-wise order, so MString can key ordered containers.
    bool operator<(const MString& other) const { return fText < other.fText; }

    MStatus set(const char* charString);
    MStatus set(double value);
    // precision = digits after the decimal point.
    MStatus set(double value, int precision);

    const char* asChar() const { return fText.c_str(); }
    double asDouble() const;
    int asInt() const;
    unsigned int asUnsigned() const;
    float asFloat() const;

    unsigned int length() const { return static_cast<unsigned int>(fText.size()); }
    unsigned int numChars() const;
    bool isEmpty() const { return fText.empty(); }
    MStatus clear();
    MString toLowerCase() const;
    MString toUpperCase() const;

    int index(char c) const;
    int rindex(char c) const;
    int indexW(char c) const;
    MString substring(int start, int end) const;
    MString substringW(int start, int end) const;
    MStatus split(char delimiter, MStringArray& output) const;

    MStatus format(const MString& fmt, const MString& arg1 = MString::argUnused,
                   const MString& arg2 = MString::argUnused, const MString& arg3 = MString::argUnused,
                   const MString& arg4 = MString::argUnused, const MString& arg5 = MString::argUnused,
                   const MString& arg6 = MString::argUnused, const MString& arg7 = MString::argUnused,
                   const MString& arg8 = MString::argUnused, const MString& arg9 = MString::argUnused,
                   const MString& arg10 = MString::argUnused);
    MStatus format(const MString& fmt, const MStringArray& args);

    // Default for unused format() arguments; recognised by address, so it differs from any other empty
    // string.
    static const MString argUnused;

private:
    std::string fText;
};

MString operator+(const char* lhs, const MString& rhs);
std::ostream& operator<<(std::ostream& os, const MString& text);
