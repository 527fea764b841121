#include "kivoMorphGPU/itemArrays.h"

#include "kivoMorph/kivoMorph.h"
#include "kivoMorphGPU/itemEntries.h"

#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>

#include <algorithm>

TargetFlags readTargetFlags(MDataHandle& group) {
    TargetFlags flags;
    static_cast<TargetSettings&>(flags) = KivoMorph::targetSettingsOf(group);
    flags.precision = group.child(KivoMorph::targetPrecision).asDouble();
    return flags;
}

void selectEntries(ItemArrays& arrays, bool uv, unsigned int pointCount) {
    const unsigned int count = std::min(arrays.indices.length(), arrays.points.length());
    arrays.entries = applicableEntries(count > 0 ? &arrays.indices[0] : nullptr, count, pointCount,
                                       uv ? arrays.uvs.length() : std::numeric_limits<unsigned int>::max());
}

bool readItemArrays(MDataHandle& item, bool uv, unsigned int pointCount, ItemArrays& arrays) {
    const MObject indicesData = item.child(KivoMorph::inputPointsIndicesTarget).data();
    const MObject pointsData = item.child(KivoMorph::inputPointsTarget).data();
    if (indicesData.isNull() || pointsData.isNull()) {
        return false;
    }
    MStatus status;
    MFnIntArrayData indicesFn(indicesData, &status);
    if (!status) {
        return false;
    }
    arrays.indices = indicesFn.array();
    MFnPointArrayData pointsFn(pointsData, &status);
    if (!status) {
        return false;
    }
    arrays.points = pointsFn.array();
    arrays.uvs.clear();
    if (uv) {
        const MObject uvData = item.child(KivoMorph::inputUVTarget).data();
        if (uvData.isNull()) {
            return false;
        }
        MFnDoubleArrayData uvFn(uvData, &status);
        if (!status) {
            return false;
        }
        arrays.uvs = uvFn.array();
        if (arrays.uvs.length() < 2 * arrays.indices.length()) {
            return false;
        }
    }
    selectEntries(arrays, uv, pointCount);
    return true;
}
