#pragma once
// The GPU override of the kivoMorph node: its registration, the device-side caches of one node's
// targets, surfaces and weights, and the evaluation that blends them with OpenCL kernels.

#include "kivoMorphGPU/gpuDataContainer.h"
#include "kivoMorphGPU/itemArrays.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MGPUDeformerRegistry.h>
#include <maya/MIntArray.h>
#include <maya/MOpenCLBuffer.h>
#include <maya/MPointArray.h>
#include <maya/MPxGPUStandardDeformer.h>
#include <maya/MStatus.h>

#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

class KivoMorph;
class MArrayDataHandle;

// The weights of one geometry's points that every item shares: deformer weight x base weight.
struct PointWeights {
    std::vector<double> values;
    static PointWeights read(MDataBlock& block, unsigned int geometry, MDataHandle& targetGeometry,
                             unsigned int pointCount);
};

// A NURBS surface as the item kernel takes it by value (40 bytes).
struct SurfaceDescription {
    cl_int numCVsInU = 0;
    cl_int numCVsInV = 0;
    cl_int degreeU = 0;
    cl_int degreeV = 0;
    cl_float startU = 0.0f;
    cl_float endU = 0.0f;
    cl_float startV = 0.0f;
    cl_float endV = 0.0f;
    cl_int periodicU = 0;
    cl_int periodicV = 0;
};
static_assert(sizeof(SurfaceDescription) == 40, "the kernel reads ten 4-byte fields");

// One prepared target item: an entry per point it moves.
struct ItemBuffers {
    GPUDataVector<int> indices;
    GPUDataVector<float> points; // x, y, z per entry
    GPUDataVector<float> uvs;    // u, v per entry; zeros for items that do not blend in UV space
};

// The inbetweens of one Bezier target, C per entry of its last item. A control point's w is 1 where the
// inbetween holds the point and 0 where it does not (its x, y, z and u, v are then 0): straight-line
// blends read a missing inbetween as a zero delta, UV blends leave it out of the curve.
struct BezierControlBuffers {
    GPUDataVector<cl_float4> controlPoints;
    GPUDataVector<cl_float2> controlUVs;
    unsigned int controlCount = 0;
};

// A target surface: CVs, knot vectors completed to numCVs + degree + 1, and its description.
struct SurfaceBuffers {
    GPUDataVector<float> cvs;
    GPUDataVector<float> knotsU;
    GPUDataVector<float> knotsV;
    SurfaceDescription description;
};

// One geometry's binding to a surface: relative points, surface points and u, v per point, padded to
// the geometry's point count with u = NaN for points the binding does not hold.
struct SurfaceGroupBuffers {
    GPUDataVector<float> relativePoints;
    GPUDataVector<float> surfacePoints;
    GPUDataVector<float> surfaceUVs;
    bool valid = false;
};

// The host's description of every prepared item of one geometry, item k in entry k of each array.
struct ItemTable {
    std::vector<float> position;
    std::vector<std::uint32_t> itemCount;
    std::vector<std::uint32_t> ordinal;
    std::vector<std::uint32_t> targetIndex;
    std::vector<float> offset;
    std::vector<std::uint32_t> blendUV;
    std::vector<std::int32_t> surfaceId;
    std::vector<std::uint32_t> blendLive;
    std::vector<std::uint32_t> bezier;
    std::vector<float> curvature;
    std::size_t size() const { return position.size(); }
};

class KivoMorphGPUInfo : public MGPUDeformerRegistrationInfo {
public:
    ~KivoMorphGPUInfo() override = default;
    MPxGPUDeformer* createGPUDeformer() override;
    bool validateNodeInGraph(MDataBlock& block, const MEvaluationNode& evaluationNode, const MPlug& plug,
                             MStringArray* messages) override;
    bool validateNodeValues(MDataBlock& block, const MEvaluationNode& evaluationNode, const MPlug& plug,
                            MStringArray* messages) override;
    void inputAttributes(MObjectArray& attributes) override;

    // The one instance the plug-in registers, alive until the module unloads.
    static KivoMorphGPUInfo& instance();
};

class KivoMorphGPU : public MPxGPUStandardDeformer {
public:
    KivoMorphGPU() = default;
    ~KivoMorphGPU() override;

    DeformerStatus evaluate(MDataBlock& block, const MEvaluationNode& evaluationNode, const MPlug& outputPlug,
                            const MPlugArray& inputPlugs, const MGPUDeformerData& inputData,
                            MGPUDeformerData& outputData) override;
    void terminate() override;

private:
    // The target weight map of one evaluation: weight element index -> value.
    using TargetWeights = std::map<unsigned int, float>;

    // Lifetime (kivoMorphGPU.cpp).
    void releaseAll();
    // Drops the host copies of every cached vector; the buffers stay.
    void dropHostCopies();

    // Evaluation steps (gpuEvaluate.cpp).
    // Step 3 of the change detection: sets the dirty flags from the attributes modified.
    void detectChanges(const MEvaluationNode& evaluationNode, bool& offsetChanged, bool& curvatureChanged);
    // The item table of the geometry rewritten from the current attributes (offset and curvature changes).
    MStatus refreshItemTable(MDataBlock& block, unsigned int geometry);
    // Whether surface data needed by a UV item with a non-zero weight is missing.
    bool surfaceDataMissing(unsigned int geometry, TargetWeights& weights) const;
    // Launches the items; launched tells whether any was. Returns a status to hand back at once, or
    // kDeformerSuccess to go on with the final kernel.
    DeformerStatus launchItems(MDataBlock& block, unsigned int geometry, TargetWeights& weights,
                               const MAutoCLEventList& firstWaits, MAutoCLEvent& lastEvent, bool& launched);
    // The item weight lists of targets (one weight per inputTargetItem element), read once per evaluation.
    using ItemWeightLists = std::unordered_map<unsigned int, std::vector<float>>;
    // The factor of item k for target weight w by the inbetween rule the CPU uses, and whether it blends as
    // a Bezier curve; false when the item does not contribute.
    bool itemFactor(MDataBlock& block, unsigned int geometry, std::size_t k, float w, ItemWeightLists& lists,
                    float& factor, bool& bezier) const;

    // Kernels and launches (kernelLaunch.cpp).
    MStatus loadKernels();
    cl_int fillZero(MOpenCLBuffer& buffer, std::size_t floats, MAutoCLEvent& event);
    // Launches kernel over count work items with the wait list; event gets the launch's event.
    cl_int launch(const MAutoCLKernel& kernel, unsigned int count, const MAutoCLEventList& waits,
                  MAutoCLEvent& event);
    // Waits for the container's upload and binds its buffer (the dummy buffer when it has none); failures
    // are reported with the caller's line.
    template <typename C>
    cl_int bindContainer(const MAutoCLKernel& kernel, cl_uint index, const C& container, int line) const;

    // Target item data, weights and Bezier controls (itemData.cpp, itemWeights.cpp).
    MStatus prepareItems(MDataBlock& block, unsigned int geometry, unsigned int pointCount);
    MStatus prepareWeights(MDataBlock& block, unsigned int geometry);
    // Fills an item's host vectors from its arrays.
    static void fillItemBuffers(const ItemArrays& arrays, bool uv, ItemBuffers& buffers);
    // Builds and uploads the Bezier controls of a target from its control items and its last item.
    void storeBezierControls(unsigned int geometry, unsigned int target,
                             const std::vector<ItemArrays>& controls, const ItemArrays& last, bool uv);
    // The per-entry weights of one item: deformer x base x target weight of each entry's point.
    static void itemWeightValues(const PointWeights& weights, MDataHandle& targetElement,
                                 const ItemArrays& arrays, std::vector<float>& values);
    MStatus refreshLiveItem(MDataBlock& block, unsigned int geometry, unsigned int target,
                            unsigned int ordinal, bool uv, std::size_t k);

    // Surfaces, bindings (surfaceData.cpp) and live targets (itemWeights.cpp).
    MStatus prepareSurfaces(MDataBlock& block);
    MStatus prepareSurfaceBindings(MDataBlock& block, unsigned int geometry, unsigned int pointCount);
    // The arrays of a live item (the element items is at) computed by the node from its target geometry
    // and written back into the item; entries are not selected.
    MStatus computeLiveItem(MDataBlock& block, unsigned int geometry, MArrayDataHandle& items,
                            unsigned int target, double targetPrecision, bool uv, int surfaceId,
                            ItemArrays& arrays);

    bool dataDirty = true;
    bool weightsDirty = true;
    std::vector<std::vector<ItemBuffers>> itemBuffers;
    std::vector<std::vector<GPUDataVector<float>>> itemWeights;
    std::unordered_map<unsigned int, std::unordered_map<unsigned int, BezierControlBuffers>> bezierControls;
    std::vector<ItemTable> itemTables;
    std::unordered_map<int, SurfaceBuffers> surfaceBuffers;
    std::unordered_map<int, std::vector<SurfaceGroupBuffers>> surfaceGroupBuffers;
    SurfaceDescription surfaceDescriptionArg;
    MOpenCLBuffer worldPositionsBuffer;
    MOpenCLBuffer deltaBuffer;
    MOpenCLBuffer auxDeltaBuffer;
    MOpenCLBuffer auxUVBuffer;
    MOpenCLBuffer positionsCopyBuffer;
    MOpenCLBuffer dummyBuffer;
    MAutoCLKernel objectToWorldSpaceKernel;
    MAutoCLKernel blendTargetItemKernel;
    MAutoCLKernel blendDeltaFinalKernel;

    // The point count the items were prepared for: their indices are checked against it.
    unsigned int preparedPointCount = 0;
    // The node's encodingGeneration the data was prepared from.
    unsigned int preparedGeneration = 0;
    // The node being evaluated (null when the output plug's node is not a kivoMorph).
    KivoMorph* node = nullptr;
    // An upload failed this evaluation (the device is out of memory, say): the CPU takes over.
    bool uploadFailed = false;
};
