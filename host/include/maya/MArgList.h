#pragma once
// The arguments of one command invocation, as typed.
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <string>
#include <vector>

class MArgList {
public:
    static const unsigned int kInvalidArgIndex;

    MArgList() = default;
    MArgList(const MArgList& other) = default;
    MArgList& operator=(const MArgList& other) = default;
    ~MArgList() = default;

    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    bool asBool(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    int asInt(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    double asDouble(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    MString asString(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    // Position of the flag (short or long name, with its dash), kInvalidArgIndex when absent.
    unsigned int flagIndex(const char* shortFlag, const char* longFlag = nullptr) const;

    MStatus addArg(bool arg);
    MStatus addArg(int arg);
    MStatus addArg(double arg);
    MStatus addArg(const MString& arg);

    // Host side only: a word as written; quoted words are strings and never flags.
    void addWord(const std::string& text, bool quoted);
    const std::string& word(unsigned int index) const { return fWords[index]; }
    bool isQuoted(unsigned int index) const { return fQuoted[index]; }

private:
    std::vector<std::string> fWords;
    std::vector<bool> fQuoted;
};
