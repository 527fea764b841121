#include "gpu/DeformerEvaluator.h"
#include "dg/Scene.h"
#include "gpu/GPUMemory.h"
#include "gpu/OpenCLRuntime.h"
#include "plugin/GPUDeformerRegistry.h"
#include <map>
#include <maya/MEvaluationNode.h>
#include <maya/MItGeometry.h>
#include <maya/MObjectArray.h>
#include <maya/MOpenCLBuffer.h>
#include <maya/MPlugArray.h>
#include <maya/MPointArray.h>
#include <maya/MPxGeometryFilter.h>
#include <memory>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <utility>

namespace khost::gpu {
namespace {

// body(i) for every point; the points are converted independently, in ranges on several threads
// once there are many.
template <typename Body> void forEachPoint(unsigned int count, const Body& body) {
    constexpr unsigned int kGrain = 16384;
    tbb::parallel_for(tbb::blocked_range<unsigned int>(0, count, kGrain),
                      [&](const tbb::blocked_range<unsigned int>& range) {
                          for (unsigned int i = range.begin(); i != range.end(); ++i)
                              body(i);
                      });
}

struct Override {
    const MGPUDeformerRegistrationInfo* info = nullptr;
    std::unique_ptr<MPxGPUDeformer> deformer;
    EvaluationRecord record;
    // The evaluator's own input buffers of this geometry.
    MOpenCLBuffer positions;
    MOpenCLBuffer matrix;
    int lastStatus = -1;
    unsigned int evaluations = 0;
    bool cpuOnly = false;
};

using OverrideKey = std::pair<Node*, unsigned int>;

struct Evaluator {
    bool enabled = false;
    bool hooked = false;
    std::map<OverrideKey, Override> overrides;
};

// Never destroyed: at exit the OpenCL runtime and the plug-ins' code may be gone before it would be.
Evaluator& evaluator() {
    static Evaluator* state = new Evaluator();
    return *state;
}

// Terminates (when asked) and deletes the override, with its bytes booked to it, and frees the
// evaluator's buffers of that geometry.
void release(Override& entry, bool terminate) {
    if (entry.deformer) {
        MPxGPUDeformer* deformer = entry.deformer.get();
        GPUMemoryOwnerScope owner(deformer);
        if (terminate)
            deformer->terminate();
        entry.deformer.reset();
    }
    entry.positions.reset();
    entry.matrix.reset();
}

template <typename Predicate> void releaseWhere(const Predicate& matches, bool terminate) {
    auto& all = evaluator().overrides;
    for (auto it = all.begin(); it != all.end();) {
        if (matches(it->first, it->second)) {
            release(it->second, terminate);
            it = all.erase(it);
        } else {
            ++it;
        }
    }
}

// A changed attribute counts for its compound parents and for its children.
void recordChange(std::set<const Attribute*>& modified, const Attribute* attribute) {
    for (const Attribute* a = attribute; a; a = a->parent)
        modified.insert(a);
    std::vector<const Attribute*> pending{attribute};
    while (!pending.empty()) {
        const Attribute* a = pending.back();
        pending.pop_back();
        for (const auto& child : a->children)
            if (modified.insert(child.get()).second)
                pending.push_back(child.get());
    }
}

void installHooks() {
    Evaluator& state = evaluator();
    if (state.hooked)
        return;
    state.hooked = true;
    Scene& scene = Scene::instance();
    scene.onPlugDirtied.push_back([](Node* node, const PlugKey& key) {
        auto& all = evaluator().overrides;
        for (auto it = all.lower_bound({node, 0}); it != all.end() && it->first.first == node; ++it)
            recordChange(it->second.record.modified, key.attr);
    });
    scene.onNodeRemoved.push_back([](Node* node) {
        releaseWhere([node](const OverrideKey& key, const Override&) { return key.first == node; }, true);
    });
}

MGPUDeformerRegistrationInfo* registrationFor(const Node* node) {
    for (const GPUDeformerRegistration& r : gpuDeformerRegistrations())
        if (r.nodeClassName == node->cls->name)
            return r.info;
    return nullptr;
}

cl_int upload(MOpenCLBuffer& buffer, const std::vector<float>& values) {
    const size_t bytes = values.empty() ? sizeof(float) : values.size() * sizeof(float);
    cl_int error = buffer.ensureBufferSize(bytes);
    if (error != CL_SUCCESS || values.empty())
        return error;
    return clEnqueueWriteBuffer(runtime().queue, buffer.buffer().get(), CL_TRUE, 0, bytes, values.data(), 0,
                                nullptr, nullptr);
}

// The plugs of the attributes the registration asks for: the geometry's inputGeom, and every connected
// plug of any other attribute.
MPlugArray inputPlugsOf(Node* node, MGPUDeformerRegistrationInfo& info, const MPlug& inputGeomPlug) {
    MObjectArray attributes;
    info.inputAttributes(attributes);
    MPlugArray plugs;
    for (unsigned int a = 0; a < attributes.length(); ++a) {
        if (attributes[a] == MPxGeometryFilter::inputGeom) {
            plugs.append(inputGeomPlug);
            continue;
        }
        const Attribute* attribute = attributeOf(attributes[a]).get();
        for (const auto& in : node->incoming)
            if (in.first.attr == attribute)
                plugs.append(plugFor(node, in.first));
    }
    return plugs;
}

// Reads the output positions back into the geometry.
bool readBack(const MGPUDeformerBuffer& output, unsigned int count, MDataHandle& out) {
    if (!output.isValid() || output.elementCount() != count)
        return false;
    std::vector<float> values(static_cast<size_t>(count) * 3);
    MAutoCLEventList waits;
    waits.add(output.bufferReadyEvent());
    if (count > 0 &&
        clEnqueueReadBuffer(runtime().queue, output.buffer().get(), CL_TRUE, 0, values.size() * sizeof(float),
                            values.data(), waits.size(), waits.array(), nullptr) != CL_SUCCESS)
        return false;
    MPointArray points(count);
    if (count > 0) {
        MPoint* out = &points[0];
        forEachPoint(count, [&](unsigned int i) {
            out[i] = MPoint(values[3 * i], values[3 * i + 1], values[3 * i + 2]);
        });
    }
    MStatus status;
    MItGeometry iter(out, false, &status);
    return status && iter.setAllPositions(points, MSpace::kObject);
}

} // namespace

bool deformerEvaluatorEnabled() {
    return evaluator().enabled;
}

void enableDeformerEvaluator(bool enabled) {
    releaseWhere([](const OverrideKey&, const Override&) { return true; }, true);
    const bool changed = evaluator().enabled != enabled;
    evaluator().enabled = enabled;
    if (enabled)
        installHooks();
    if (!changed)
        return;
    // As Maya rebuilds its evaluation graph, deformers with an override evaluate again on the path now
    // in use: everything their envelope affects is dirtied.
    Scene& scene = Scene::instance();
    const PlugKey envelope{attributeOf(MPxGeometryFilter::envelope).get(), {}};
    for (const auto& node : std::vector<std::shared_ptr<Node>>(scene.nodes()))
        if (registrationFor(node.get()))
            scene.dirtyFrom(node.get(), envelope);
}

bool evaluateOnGPU(Node* node, MDataBlock& block, const MPlug& outputPlug, MDataHandle& in,
                   MDataHandle& out) {
    Evaluator& state = evaluator();
    MGPUDeformerRegistrationInfo* registered = state.enabled ? registrationFor(node) : nullptr;
    if (!registered || !runtime().context)
        return false;
    MGPUDeformerRegistrationInfo& info = *registered;
    const unsigned int geometry = outputPlug.logicalIndex();
    Override& entry = state.overrides[{node, geometry}];
    if (entry.cpuOnly)
        return false;
    if (!entry.deformer) {
        entry.info = registered;
        entry.record.node = node;
        entry.deformer.reset(info.createGPUDeformer());
        if (!entry.deformer) {
            entry.cpuOnly = true;
            return false;
        }
    }
    MEvaluationNode evaluationNode(&entry.record);
    if (!info.validateNodeInGraph(block, evaluationNode, outputPlug, nullptr) ||
        !info.validateNodeValues(block, evaluationNode, outputPlug, nullptr))
        return false;

    MStatus status;
    MItGeometry iter(out, true, &status);
    MPointArray points;
    if (!status || !iter.allPositions(points, MSpace::kObject))
        return false;
    const unsigned int count = points.length();
    std::vector<float> positions(static_cast<size_t>(count) * 3);
    const MPoint* rest = count > 0 ? &points[0] : nullptr;
    forEachPoint(count, [&](unsigned int i) {
        positions[3 * i] = static_cast<float>(rest[i].x);
        positions[3 * i + 1] = static_cast<float>(rest[i].y);
        positions[3 * i + 2] = static_cast<float>(rest[i].z);
    });
    const MMatrix& toWorld = in.geometryTransformMatrix();
    std::vector<float> matrix(16);
    for (unsigned int r = 0; r < 4; ++r)
        for (unsigned int c = 0; c < 4; ++c)
            matrix[4 * r + c] = static_cast<float>(toWorld(r, c));
    if (upload(entry.positions, positions) != CL_SUCCESS || upload(entry.matrix, matrix) != CL_SUCCESS)
        return false;

    MPlug inputGeomPlug(node->handle(), MPxGeometryFilter::inputGeom);
    inputGeomPlug.selectAncestorLogicalIndex(geometry, MPxGeometryFilter::input);
    DeformerBuffers inputs{
        MGPUDeformerBuffer(inputGeomPlug, MPxGPUDeformer::sPositionsName(), true, 3 * sizeof(float), count,
                           static_cast<unsigned int>(positions.size() * sizeof(float)),
                           entry.positions.buffer(), MAutoCLEvent()),
        MGPUDeformerBuffer(inputGeomPlug, MPxGPUDeformer::sGeometryMatrixName(), true, sizeof(float), 16,
                           16 * sizeof(float), entry.matrix.buffer(), MAutoCLEvent())};
    DeformerBuffers outputs;
    MGPUDeformerData inputData(&inputs);
    MGPUDeformerData outputData(&outputs);
    const MPlugArray inputPlugs = inputPlugsOf(node, info, inputGeomPlug);

    MPxGPUDeformer::DeformerStatus result;
    {
        GPUMemoryOwnerScope owner(entry.deformer.get());
        result =
            entry.deformer->evaluate(block, evaluationNode, outputPlug, inputPlugs, inputData, outputData);
    }
    entry.record.modified.clear();
    entry.lastStatus = result;
    ++entry.evaluations;
    switch (result) {
    case MPxGPUDeformer::kDeformerSuccess:
        return readBack(outputData.getBuffer(MPxGPUDeformer::sPositionsName(), outputPlug), count, out);
    case MPxGPUDeformer::kDeformerPassThrough:
        return true;
    case MPxGPUDeformer::kDeformerRetryMainThread:
        return false;
    default:
        release(entry, true);
        entry.cpuOnly = true;
        return false;
    }
}

OverrideState overrideState(Node* node, unsigned int geometry) {
    OverrideState result;
    auto found = evaluator().overrides.find({node, geometry});
    if (found != evaluator().overrides.end()) {
        result.deformer = found->second.deformer.get();
        result.lastStatus = found->second.lastStatus;
        result.evaluations = found->second.evaluations;
        result.cpuOnly = found->second.cpuOnly;
    }
    return result;
}

size_t overrideCount() {
    size_t count = 0;
    for (const auto& entry : evaluator().overrides)
        count += entry.second.deformer ? 1 : 0;
    return count;
}

void dropOverrides(const MGPUDeformerRegistrationInfo* info) {
    // The registration goes with the plug-in's code: its overrides are deleted as they are.
    releaseWhere([info](const OverrideKey&, const Override& entry) { return entry.info == info; }, false);
}

} // namespace khost::gpu
