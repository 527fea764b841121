#pragma once
// The GPU deformer evaluator: deformers whose node type has a registered GPU override are evaluated
// through it while the evaluator is enabled. One override per node and deformed geometry.
#include "dg/Node.h"
#include <maya/MDataHandle.h>
#include <maya/MPlug.h>
#include <maya/MPxGPUDeformer.h>
#include <set>
#include <vector>

class MDataBlock;
class MGPUDeformerRegistrationInfo;

namespace khost::gpu {

// What MGPUDeformerData refers to.
using DeformerBuffers = std::vector<MGPUDeformerBuffer>;

// What MEvaluationNode stands for: the node and the attributes changed since its override last
// evaluated.
struct EvaluationRecord {
    Node* node = nullptr;
    std::set<const Attribute*> modified;
};

bool deformerEvaluatorEnabled();
// Switching it off (or on again) terminates and deletes every override; the next evaluations make new
// ones.
void enableDeformerEvaluator(bool enabled);

// Deforms outputGeometry[g] through the node type's GPU override. False when the CPU must deform it this
// time (evaluator off, no override, no device, or the override failed or asked for a retry); out then
// still holds the input geometry. An override that failed is deleted and its geometry stays on the CPU
// until the evaluator is enabled again.
bool evaluateOnGPU(Node* node, MDataBlock& block, const MPlug& outputPlug, MDataHandle& in, MDataHandle& out);

// The override of one geometry of a node, for tests: its last status (-1 before any) and how many
// evaluations it ran.
struct OverrideState {
    MPxGPUDeformer* deformer = nullptr;
    int lastStatus = -1;
    unsigned int evaluations = 0;
    bool cpuOnly = false;
};
OverrideState overrideState(Node* node, unsigned int geometry);
size_t overrideCount();

// Deletes the overrides made through a registration, before it goes away.
void dropOverrides(const MGPUDeformerRegistrationInfo* info);

} // namespace khost::gpu
