// Preparing the edits once, writing them (all or none), and asking the node to re-encode the
// targets they changed.

#include "kivoMorphEdit/kivoMorphEdit.h"
#include "kivoMorphEdit/report.h"
#include "kivoMorphEdit/targetPlugs.h"
#include "kivoMorphEdit/targetPoints.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>

#include <set>
#include <string>
#include <utility>

MStatus KivoMorphEditCommand::prepareEdits() {
    fEdits.clear();
    std::set<std::string> seen;
    for (const TargetGeometryEntry& entry : fEntries) {
        if (entry.geometryIndex < 0 || entry.targetIndex < 0 || entry.itemIndex < 0 ||
            !entry.basePath.isValid() || !entry.targetPath.isValid()) {
            continue;
        }
        const std::string key = std::string(entry.targetPath.fullPathName().asChar()) + "|" +
                                std::to_string(entry.geometryIndex) + "|" +
                                std::to_string(entry.targetIndex) + "|" + std::to_string(entry.itemIndex);
        if (!seen.insert(key).second) {
            continue;
        }
        TargetGeometryEdit edit;
        const MStatus status = computeTargetGeometryEdit(entry, fOptions, edit);
        if (!status) {
            return status;
        }
        fEdits.push_back(std::move(edit));
    }
    if (fEdits.empty()) {
        MGlobal::displayError("No connected target geometry found to mirror or flip.");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

// A write that fails puts back the geometries already written, so that the targets never stay half
// edited; if the rebind fails the points go back too, and the targets it already reached re-encode
// what they held before.
MStatus KivoMorphEditCommand::applyEdits(bool newPoints) {
    const auto restore = [this, newPoints](size_t count) {
        for (size_t e = 0; e < count; ++e) {
            const TargetGeometryEdit& edit = fEdits[e];
            const MStatus status = writePoints(edit.targetPath, newPoints ? edit.oldPoints : edit.newPoints);
            if (!status) {
                KIVO_EDIT_REPORT(status);
            }
        }
    };
    for (size_t e = 0; e < fEdits.size(); ++e) {
        const TargetGeometryEdit& edit = fEdits[e];
        const MStatus status = writePoints(edit.targetPath, newPoints ? edit.newPoints : edit.oldPoints);
        if (!status) {
            KIVO_EDIT_REPORT(status);
            restore(e);
            return status;
        }
    }
    const MStatus status = rebindTargets();
    if (!status) {
        restore(fEdits.size());
    }
    return status;
}

// targetRebind goes off and on for each target edited, by geometry and then target index.
MStatus KivoMorphEditCommand::rebindTargets() const {
    std::set<std::pair<int, int>> targets;
    for (const TargetGeometryEdit& edit : fEdits) {
        targets.insert({edit.geometryIndex, edit.targetIndex});
    }
    MStatus status;
    const MFnDependencyNode node(fDeformer, &status);
    KIVO_EDIT_CHECK(status);
    const MPlug inputs = node.findPlug("inputTarget", false, &status);
    KIVO_EDIT_CHECK(status);
    for (const std::pair<int, int>& target : targets) {
        MPlug geometry, group;
        if (!findElement(inputs, target.first, geometry) ||
            !findElement(geometry.child(node.attribute("inputTargetGroup")), target.second, group)) {
            continue;
        }
        MPlug rebind = group.child(node.attribute("targetRebind"), &status);
        KIVO_EDIT_CHECK(status);
        status = rebind.setBool(false);
        KIVO_EDIT_CHECK(status);
        status = rebind.setBool(true);
        KIVO_EDIT_CHECK(status);
    }
    return MS::kSuccess;
}
