// Finding what the command works on: a deformer by name, a target by its shape, the shape's
// transform or the target's name, and the deformed shape whose points carry a target's weights.

#include "copyKivoWeights/copyKivoWeights.h"

#include "common/nodeType.h"
#include "common/targetConnection.h"
#include "common/weightNames.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlugArray.h>
#include <maya/MPxGeometryFilter.h>
#include <maya/MSelectionList.h>

namespace {

bool isCurveOrMesh(const MObject& node) {
    return node.hasFn(MFn::kMesh) || node.hasFn(MFn::kNurbsCurve);
}

} // namespace

MStatus CopyKivoCommand::resolveDeformer(const MString& name, MObject& deformer, bool& isKivo) {
    MSelectionList found;
    if (!found.add(name)) {
        MGlobal::displayError(" Found 0 matches for '" + name + "'");
        return MS::kFailure;
    }
    if (found.length() >= 2) {
        MGlobal::displayError(" Found >1 matches for '" + name + "'");
        return MS::kFailure;
    }
    MObject node;
    if (!found.getDependNode(0, node) || !node.hasFn(MFn::kDependencyNode)) {
        return MS::kFailure;
    }
    MFnDependencyNode fn(node);
    if (fn.typeId() == kKivoMorphTypeId) {
        isKivo = true;
    } else if (fn.typeName() == "blendShape") {
        isKivo = false;
    } else {
        MGlobal::displayError("Deformer type not supported: " + fn.name());
        return MS::kFailure;
    }
    deformer = node;
    return MS::kSuccess;
}

MStatus CopyKivoCommand::resolveTarget(const MString& name, const MObject& deformer, bool isKivo,
                                       int& geometryIndex, int& targetIndex, MDagPath& basePath) {
    MSelectionList found;
    if (found.add(name)) {
        if (found.length() > 1) {
            MGlobal::displayError(" Found >1 matches for '" + name + "'");
            return MS::kFailure;
        }
        MObject node;
        if (!found.getDependNode(0, node) || !node.hasFn(MFn::kDagNode)) {
            MGlobal::displayError(" '" + name + "' not a DAG item.");
            return MS::kFailure;
        }
        // The shape itself, else the first of its children that is a shape connected as a target.
        const auto tryShape = [&](const MObject& shape) {
            MDagPath path;
            int itemIndex = -1;
            return MDagPath::getAPathTo(shape, path) &&
                   targetConnection(path, deformer, geometryIndex, targetIndex, itemIndex) &&
                   basePathOf(deformer, geometryIndex, basePath);
        };
        if (isCurveOrMesh(node) && tryShape(node)) {
            return MS::kSuccess;
        }
        MFnDagNode dagNode(node);
        for (unsigned int k = 0; k < dagNode.childCount(); ++k) {
            const MObject child = dagNode.child(k);
            if (child.hasFn(MFn::kDagNode) && isCurveOrMesh(child) &&
                !MFnDagNode(child).isIntermediateObject() && tryShape(child)) {
                return MS::kSuccess;
            }
        }
        MGlobal::displayError("'" + name + "' Invalid destination shape.");
        return MS::kFailure;
    }

    geometryIndex = 0;
    if (!targetIndexByName(name, deformer, isKivo, targetIndex)) {
        MGlobal::displayError("'" + name + "' Invalid destination target name.");
        return MS::kFailure;
    }
    if (!basePathOf(deformer, geometryIndex, basePath)) {
        MGlobal::displayError("'" + name + "' Failed to get base shape path.");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus CopyKivoCommand::targetIndexByName(const MString& name, const MObject& deformer, bool isKivo,
                                           int& targetIndex) {
    MFnDependencyNode fn(deformer);
    MPlug weights = isKivo ? MPlug(deformer, fn.attribute("weight")) : fn.findPlug("weight", true);
    if (weights.isNull()) {
        return MS::kFailure;
    }
    unsigned int index = 0;
    const MStatus status = weightIndexByName(weights, name, index);
    if (status) {
        targetIndex = static_cast<int>(index);
    }
    return status;
}

MStatus CopyKivoCommand::basePathOf(const MObject& deformer, int geometryIndex, MDagPath& basePath) {
    const MPlug output = MPlug(deformer, MPxGeometryFilter::outputGeom)
                             .elementByLogicalIndex(static_cast<unsigned int>(geometryIndex));
    MPlugArray destinations;
    output.connectedTo(destinations, false, true);
    if (destinations.length() == 0) {
        return MS::kFailure;
    }
    MStatus status;
    MFnDagNode shape(destinations[0].node(), &status);
    if (!status) {
        return status;
    }
    return shape.getPath(basePath);
}
