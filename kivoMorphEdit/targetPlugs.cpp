#include "kivoMorphEdit/targetPlugs.h"

bool findElement(const MPlug& array, int logicalIndex, MPlug& element) {
    if (logicalIndex < 0) {
        return false;
    }
    const unsigned int wanted = static_cast<unsigned int>(logicalIndex);
    const unsigned int count = array.numElements();
    for (unsigned int p = 0; p < count; ++p) {
        const MPlug candidate = array.elementByPhysicalIndex(p);
        const unsigned int index = candidate.logicalIndex();
        if (index == wanted) {
            element = candidate;
            return true;
        }
        if (index > wanted) {
            break;
        }
    }
    return false;
}
