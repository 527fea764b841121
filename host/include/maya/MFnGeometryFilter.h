#pragma once
#include <maya/MFnDependencyNode.h>
#include <maya/MObjectArray.h>

// A deformer seen from its connections: which shapes it reads and which it feeds. Shapes are found
// through other deformers stacked before or after it.
class MFnGeometryFilter : public MFnDependencyNode {
public:
    MFnGeometryFilter() = default;
    MFnGeometryFilter(MObject& object, MStatus* ReturnStatus = nullptr);
    MFnGeometryFilter(const MObject& object, MStatus* ReturnStatus = nullptr);
    MFn::Type type() const override { return MFn::kGeometryFilt; }

    // The multi index g whose outputGeometry[g] feeds the shape.
    unsigned int indexForOutputShape(const MObject& shape, MStatus* ReturnStatus = nullptr) const;
    // The shape upstream of input[index].inputGeometry.
    MObject inputShapeAtIndex(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    // The shape downstream of outputGeometry[index].
    MObject outputShapeAtIndex(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    MStatus getInputGeometry(MObjectArray& geomList) const;
    MStatus getOutputGeometry(MObjectArray& geomList) const;
};
