#pragma once
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MPxNode.h>

// Base of deformers: input[].inputGeometry in, outputGeometry[] out. compute copies each input
// geometry to its output and calls deform on the copy.
class MPxGeometryFilter : public MPxNode {
public:
    MPxGeometryFilter() = default;
    ~MPxGeometryFilter() override = default;
    Type type() const override { return kGeometryFilter; }
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    // Called once per outputGeometry[multiIndex] being evaluated; iter writes into that output and mat
    // is the input geometry's local-to-world matrix. The base leaves the geometry as it is.
    virtual MStatus deform(MDataBlock& block, MItGeometry& iter, const MMatrix& mat, unsigned int multiIndex);

    static MObject input;
    static MObject inputGeom;
    static MObject groupId;
    static MObject outputGeom;
    static MObject envelope;
};
