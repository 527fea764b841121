#pragma once
// Function set / object type identifiers. Code must not rely on the numeric values.
class MFn {
public:
    enum Type {
        kInvalid = 0,
        kBase,
        kNamedObject,
        kDependencyNode,
        kDagNode,
        kTransform,
        kShape,
        kGeometric,
        kMesh,
        kNurbsCurve,
        kNurbsSurface,
        kGeometryFilt,
        kPluginDependNode,
        kPluginDeformerNode,
        kBlend,
        kBlendShape,
        kAttribute,
        kNumericAttribute,
        kTypedAttribute,
        kCompoundAttribute,
        kGenericAttribute,
        kMessageAttribute,
        kMatrixAttribute,
        kData,
        kNumericData,
        kGeometryData,
        kMeshData,
        kNurbsCurveData,
        kNurbsSurfaceData,
        kPointArrayData,
        kDoubleArrayData,
        kIntArrayData,
        kStringData,
        kStringArrayData,
        kMatrixData,
        kPlugin,
        kLast
    };
};
