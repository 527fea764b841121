#pragma once
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <vector>

class MObjectArray {
public:
    MObjectArray() = default;
    MObjectArray(unsigned int initialSize, const MObject& initialValue = MObject::kNullObj)
        : fItems(initialSize, initialValue) {}
    unsigned int length() const { return static_cast<unsigned int>(fItems.size()); }
    MStatus append(const MObject& element);
    MStatus insert(const MObject& element, unsigned int index);
    MStatus remove(unsigned int index);
    MStatus setLength(unsigned int length);
    MStatus clear();
    const MObject& operator[](unsigned int index) const { return fItems[index]; }
    MObject& operator[](unsigned int index) { return fItems[index]; }

private:
    std::vector<MObject> fItems;
};
