// The targetWeights array of one target: finding it on either kind of deformer, reading it, and
// queuing changed values.

#include "copyKivoWeights/copyKivoWeights.h"
#include "copyKivoWeights/report.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>

#include <cmath>

namespace {

// Changes this small or smaller are not written.
constexpr double kSmallestChange = 1e-7;

} // namespace

MStatus CopyKivoCommand::findTargetWeightsPlug(const MObject& deformer, bool isKivo, int geometryIndex,
                                               int targetIndex, MPlug& weights) {
    MStatus status;
    MFnDependencyNode fn(deformer, &status);
    COPY_KIVO_CHECK(status);
    MPlug inputs =
        isKivo ? MPlug(deformer, fn.attribute("inputTarget")) : fn.findPlug("inputTarget", true, &status);
    COPY_KIVO_CHECK(status);
    const MPlug geometry = inputs.elementByLogicalIndex(static_cast<unsigned int>(geometryIndex), &status);
    COPY_KIVO_CHECK(status);
    const MPlug groups = geometry.child(fn.attribute("inputTargetGroup"), &status);
    COPY_KIVO_CHECK(status);
    const MPlug group = groups.elementByLogicalIndex(static_cast<unsigned int>(targetIndex), &status);
    COPY_KIVO_CHECK(status);
    weights = group.child(fn.attribute("targetWeights"), &status);
    COPY_KIVO_CHECK(status);
    return MS::kSuccess;
}

// Element by element on this thread: plug reads may evaluate the graph, which is no work for
// several threads at once.
MStatus CopyKivoCommand::readWeights(const MPlug& weights, unsigned int count, std::vector<double>& values) {
    values.assign(count, 1.0);
    MStatus status;
    const unsigned int elements = weights.numElements(&status);
    COPY_KIVO_CHECK(status);
    for (unsigned int p = 0; p < elements; ++p) {
        const MPlug element = weights.elementByPhysicalIndex(p, &status);
        COPY_KIVO_CHECK(status);
        const unsigned int index = element.logicalIndex();
        if (index < count) {
            values[index] = element.asDouble(&status);
            COPY_KIVO_CHECK(status);
        }
    }
    return MS::kSuccess;
}

MStatus CopyKivoCommand::queueWeights(const MPlug& weights, const std::vector<double>& current,
                                      const NewWeights& update) {
    for (unsigned int i = 0; i < current.size(); ++i) {
        const double value = update.values[i];
        // A weight that cannot be computed (non-finite source data) stays as it is; one that is not
        // finite itself is always replaced.
        if (!update.assigned[i] || !std::isfinite(value) ||
            (std::isfinite(current[i]) && !(std::fabs(value - current[i]) > kSmallestChange))) {
            continue;
        }
        const MStatus status = fModifier.newPlugValueDouble(weights.elementByLogicalIndex(i), value);
        if (status == MS::kInsufficientMemory && !fNoMirror) {
            MGlobal::displayError("Failed to mirror: insufficent Memory! ");
            return MS::kFailure;
        }
        COPY_KIVO_CHECK(status);
    }
    return MS::kSuccess;
}
