#pragma once
// A node as the evaluation manager schedules it; handed to GPU overrides.
#include <maya/MObject.h>
#include <maya/MStatus.h>

class MEvaluationNode {
public:
    // Host side only: record is the host's account of the node's evaluation.
    explicit MEvaluationNode(const void* record) : fRecord(record) {}
    MObject dependencyNode(MStatus* ReturnStatus = nullptr) const;

    // Host side only.
    const void* record() const { return fRecord; }

private:
    const void* fRecord;
};
