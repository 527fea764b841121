#pragma once
#include <maya/MPxGeometryFilter.h>

// A geometry filter with per-point weights: weightList[geometry].weights[point].
class MPxDeformerNode : public MPxGeometryFilter {
public:
    MPxDeformerNode() = default;
    ~MPxDeformerNode() override = default;
    Type type() const override { return kDeformerNode; }
    // weightList[multiIndex].weights[wtIndex], or 1 when that element does not exist.
    float weightValue(MDataBlock& mblock, unsigned int multiIndex, unsigned int wtIndex);

    static MObject weightList;
    static MObject weights;
};
