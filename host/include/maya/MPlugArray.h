#pragma once
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <vector>

class MPlugArray {
public:
    MPlugArray() = default;
    unsigned int length() const { return static_cast<unsigned int>(fItems.size()); }
    MStatus append(const MPlug& element);
    MStatus remove(unsigned int index);
    MStatus setLength(unsigned int length);
    MStatus clear();
    const MPlug& operator[](unsigned int index) const { return fItems[index]; }
    MPlug& operator[](unsigned int index) { return fItems[index]; }

private:
    std::vector<MPlug> fItems;
};
