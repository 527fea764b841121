// What the command works on: the kivoMorph node by name, and the target geometries that a target
// name or a DAG node selects.

#include "kivoMorphEdit/kivoMorphEdit.h"
#include "kivoMorphEdit/report.h"
#include "kivoMorphEdit/targetPlugs.h"

#include "common/nodeType.h"
#include "common/targetConnection.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnGeometryFilter.h>
#include <maya/MGlobal.h>
#include <maya/MPlugArray.h>
#include <maya/MSelectionList.h>

namespace {

// The item that the deformer reads its full-weight target from.
constexpr int kFullWeightItem = 6000;

bool isMeshOrCurve(const MObject& node) {
    return node.hasFn(MFn::kMesh) || node.hasFn(MFn::kNurbsCurve);
}

} // namespace

MStatus KivoMorphEditCommand::resolveDeformer(const MString& name, MObject& deformer) {
    MSelectionList found;
    if (!found.add(name)) {
        return MS::kFailure;
    }
    if (found.length() >= 2) {
        MGlobal::displayError("Found >1 matches for '" + name + "'");
        return MS::kFailure;
    }
    MObject node;
    const MStatus status = found.getDependNode(0, node);
    KIVO_EDIT_CHECK(status);
    if (!node.hasFn(MFn::kDependencyNode)) {
        return MS::kFailure;
    }
    const MFnDependencyNode fn(node);
    if (fn.typeId() != kKivoMorphTypeId) {
        MGlobal::displayError("Only kivoMorph deformers are supported: " + fn.name());
        return MS::kFailure;
    }
    deformer = node;
    return MS::kSuccess;
}

// Geometry inputs without the target, or whose input shape is unknown, are passed over, and so are
// items fed by anything but a DAG node.
MStatus KivoMorphEditCommand::collectTargetGeometries(int target,
                                                      std::vector<TargetGeometryEntry>& entries) const {
    entries.clear();
    MStatus status;
    const MFnDependencyNode node(fDeformer, &status);
    KIVO_EDIT_CHECK(status);
    const MFnGeometryFilter filter(fDeformer, &status);
    KIVO_EDIT_CHECK(status);
    const MPlug inputs = node.findPlug("inputTarget", false, &status);
    KIVO_EDIT_CHECK(status);
    const unsigned int geometryCount = inputs.numElements();
    for (unsigned int p = 0; p < geometryCount; ++p) {
        const MPlug geometry = inputs.elementByPhysicalIndex(p);
        const unsigned int geometryIndex = geometry.logicalIndex();
        MPlug group;
        if (!findElement(geometry.child(node.attribute("inputTargetGroup")), target, group)) {
            continue;
        }
        const MObject baseShape = filter.inputShapeAtIndex(geometryIndex, &status);
        MDagPath basePath;
        if (!status || baseShape.isNull() || !MDagPath::getAPathTo(baseShape, basePath)) {
            continue;
        }
        const MPlug items = group.child(node.attribute("inputTargetItem"));
        const unsigned int itemCount = items.numElements();
        for (unsigned int q = 0; q < itemCount; ++q) {
            const MPlug item = items.elementByPhysicalIndex(q);
            MPlugArray sources;
            item.child(node.attribute("inputGeomTarget")).connectedTo(sources, true, false);
            MDagPath targetPath;
            if (sources.length() > 0 && MDagPath::getAPathTo(sources[0].node(), targetPath)) {
                entries.push_back({static_cast<int>(geometryIndex), target,
                                   static_cast<int>(item.logicalIndex()), basePath, targetPath});
            }
        }
    }
    return entries.empty() ? MS::kFailure : MS::kSuccess;
}

MStatus KivoMorphEditCommand::collectFromDagNode(const MObject& node,
                                                 std::vector<TargetGeometryEntry>& entries) const {
    entries.clear();
    if (!node.hasFn(MFn::kDagNode)) {
        return MS::kFailure;
    }
    MStatus status;
    bool connected = false;
    if (isMeshOrCurve(node)) {
        MDagPath path;
        status = MDagPath::getAPathTo(node, path);
        KIVO_EDIT_CHECK(status);
        status = collectFromShape(path, connected, entries);
        if (!status) {
            return status;
        }
    }
    if (!connected) {
        const MFnDagNode dagNode(node, &status);
        KIVO_EDIT_CHECK(status);
        for (unsigned int c = 0; c < dagNode.childCount(); ++c) {
            const MObject child = dagNode.child(c);
            if (!isMeshOrCurve(child) || MFnDagNode(child).isIntermediateObject()) {
                continue;
            }
            MDagPath path;
            status = MDagPath::getAPathTo(child, path);
            KIVO_EDIT_CHECK(status);
            bool childConnected = false;
            status = collectFromShape(path, childConnected, entries);
            if (!status) {
                return status;
            }
        }
    }
    return entries.empty() ? MS::kFailure : MS::kSuccess;
}

// Appends the shape's entries: every geometry of its target when it feeds the full-weight item,
// otherwise (or when that finds none) the shape's own item.
MStatus KivoMorphEditCommand::collectFromShape(const MDagPath& shape, bool& connected,
                                               std::vector<TargetGeometryEntry>& entries) const {
    int geometryIndex = -1, targetIndex = -1, itemIndex = -1;
    connected = targetConnection(shape, fDeformer, geometryIndex, targetIndex, itemIndex);
    if (!connected) {
        return MS::kSuccess;
    }
    if (itemIndex == kFullWeightItem) {
        std::vector<TargetGeometryEntry> all;
        if (collectTargetGeometries(targetIndex, all)) {
            entries.insert(entries.end(), all.begin(), all.end());
            return MS::kSuccess;
        }
    }
    MStatus status;
    const MObject baseShape =
        MFnGeometryFilter(fDeformer).inputShapeAtIndex(static_cast<unsigned int>(geometryIndex), &status);
    KIVO_EDIT_CHECK(status);
    MDagPath basePath;
    status = MDagPath::getAPathTo(baseShape, basePath);
    KIVO_EDIT_CHECK(status);
    entries.push_back({geometryIndex, targetIndex, itemIndex, basePath, shape});
    return MS::kSuccess;
}
