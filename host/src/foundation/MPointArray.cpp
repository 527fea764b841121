#include <maya/MFloatPointArray.h>
#include <maya/MPointArray.h>
#include <maya/MVectorArray.h>

MStatus MPointArray::get(double dest[][4]) const {
    for (unsigned int i = 0; i < length(); ++i)
        for (unsigned int c = 0; c < 4; ++c)
            dest[i][c] = (*this)[i][c];
    return MS::kSuccess;
}

MStatus MFloatPointArray::get(float dest[][4]) const {
    for (unsigned int i = 0; i < length(); ++i)
        for (unsigned int c = 0; c < 4; ++c)
            dest[i][c] = (*this)[i][c];
    return MS::kSuccess;
}

MStatus MVectorArray::get(double dest[][3]) const {
    for (unsigned int i = 0; i < length(); ++i)
        for (unsigned int c = 0; c < 3; ++c)
            dest[i][c] = (*this)[i][c];
    return MS::kSuccess;
}
