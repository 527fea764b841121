// Adding targets and inbetweens: the checks of -target in doIt, and the connections, weights,
// aliases and inbetween names queued on the add modifier in redoIt.

#include "kivoMorphCommand/kivoMorphCommand.h"
#include "kivoMorphCommand/report.h"

#include <maya/MArgDatabase.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>

#include <cmath>

namespace {

// A shape named by its path, or its transform when the path goes through one: the name targets
// and inbetweens are given.
MDagPath nameSource(MDagPath path) {
    if (path.isValid() && (path.hasFn(MFn::kMesh) || path.hasFn(MFn::kNurbsCurve)) && path.length() > 1) {
        path.pop();
    }
    return path;
}

// The item index of weight w, 5000 + 1000 x w truncated; false when that is no logical index.
bool itemIndexOf(double product, unsigned int& item) {
    const double index = std::trunc(product);
    if (!(index >= 0.0 && index <= 2147483647.0)) {
        return false;
    }
    item = static_cast<unsigned int>(index);
    return true;
}

bool hasElement(MPlug array, unsigned int index, int& lastIndex) {
    MIntArray existing;
    array.getExistingArrayAttributeIndices(existing);
    lastIndex = existing.length() > 0 ? existing[existing.length() - 1] : -1;
    for (unsigned int k = 0; k < existing.length(); ++k) {
        if (static_cast<unsigned int>(existing[k]) == index) {
            return true;
        }
    }
    return false;
}

} // namespace

MStatus KivoMorphCommand::parseTargetArguments(const MArgDatabase& args) {
    MStatus status;
    MString baseName;
    MString targetName;
    status = args.getFlagArgument("-t", 0, baseName);
    KIVO_COMMAND_CHECK(status);
    status = args.getFlagArgument("-t", 1, fTargetIndex);
    KIVO_COMMAND_CHECK(status);
    status = args.getFlagArgument("-t", 2, targetName);
    KIVO_COMMAND_CHECK(status);
    status = args.getFlagArgument("-t", 3, fTargetWeight);
    KIVO_COMMAND_CHECK(status);

    MObject baseObject;
    MObject targetObject;
    if (!nodeByName(baseName, baseObject) || !nodeByName(targetName, targetObject)) {
        return MS::kFailure;
    }
    const std::vector<MDagPath> baseShapes = deformableShapes(baseObject);
    if (baseShapes.empty()) {
        MGlobal::displayError(" '" + baseName + "' Invalid target item selected. ");
        return MS::kFailure;
    }
    const std::vector<MDagPath> targetShapes = deformableShapes(targetObject);
    if (targetShapes.empty()) {
        MGlobal::displayError(" '" + targetName + "' Invalid target item selected. ");
        return MS::kFailure;
    }
    const MString deformerName = MFnDependencyNode(fDeformer).name();
    std::vector<MDagPath> kept;
    for (const MDagPath& shape : baseShapes) {
        MObject found;
        if (findDeformer(shape.node(), found) &&
            (found == fDeformer || MFnDependencyNode(found).name() == deformerName)) {
            kept.push_back(shape);
        }
    }
    if (kept.empty()) {
        MGlobal::displayError("Specified deformer node not found in history of " + baseName);
        return MS::kFailure;
    }
    if (kept.size() < targetShapes.size()) {
        MGlobal::displayError(" Mismatch in target and base shape hierarchies");
        return MS::kFailure;
    }

    unsigned int item = 0;
    if (!itemIndexOf(std::fma(1000.0, fTargetWeight, 5000.0), item)) {
        MString text("Target weight out of range: ");
        text += fTargetWeight;
        MGlobal::displayError(text);
        return MS::kFailure;
    }
    const MPlug weights = deformerPlug(MFnDependencyNode(fDeformer).attribute("weight"));
    int lastIndex = -1;
    const bool indexUsed = hasElement(weights, fTargetIndex, lastIndex);
    if (!fIsInBetween && indexUsed) {
        fTargetIndex = static_cast<unsigned int>(lastIndex + 1);
        MGlobal::displayWarning("Given index already exists. Incrementing index automatically.");
    }
    if (fIsInBetween) {
        if (!indexUsed) {
            MGlobal::displayError("The given index must exist in the inbetween model.");
            return MS::kFailure;
        }
        const double product = 1000.0 * fTargetWeight;
        if (product - std::floor(product) > 1e-8) {
            MGlobal::displayError("Inbetween weights can have only three decimal places. ");
            return MS::kFailure;
        }
        if (itemExists(fTargetIndex, item) || item == 5000 || item == 0) {
            MGlobal::displayError("Weights must be unique for in - between targets. ");
            return MS::kFailure;
        }
    }

    for (std::size_t k = 0; k < targetShapes.size(); ++k) {
        if (!shapesMatch(targetShapes[k], kept[k])) {
            MGlobal::displayError("Target " + targetShapes[k].partialPathName() +
                                  " does not match with base " + kept[k].partialPathName());
            return MS::kFailure;
        }
        unsigned int geometry = 0;
        if (!geometryIndex(kept[k], geometry)) {
            MGlobal::displayError(" outputGeom connections is missing. ");
            return MS::kFailure;
        }
        fEditTargets[EditKey{item, fTargetIndex, geometry}].push_back(targetShapes[k]);
    }
    fTargetObject = targetObject;
    return MS::kSuccess;
}

MStatus KivoMorphCommand::connectTarget(const MDagPath& shape, unsigned int geometry, unsigned int target,
                                        unsigned int item) {
    MStatus status;
    const char* output = shape.hasFn(MFn::kMesh)         ? "worldMesh"
                         : shape.hasFn(MFn::kNurbsCurve) ? "worldSpace"
                                                         : nullptr;
    if (output == nullptr) {
        return MS::kInvalidParameter;
    }
    MPlug source = MFnDependencyNode(shape.node()).findPlug(output, false, &status);
    KIVO_COMMAND_CHECK(status);
    status = source.selectAncestorLogicalIndex(0);
    KIVO_COMMAND_CHECK(status);
    MFnDependencyNode node(fDeformer);
    MPlug destination = deformerPlug(node.attribute("inputGeomTarget"));
    status = destination.selectAncestorLogicalIndex(geometry, node.attribute("inputTarget"));
    KIVO_COMMAND_CHECK(status);
    status = destination.selectAncestorLogicalIndex(target, node.attribute("inputTargetGroup"));
    KIVO_COMMAND_CHECK(status);
    status = destination.selectAncestorLogicalIndex(item, node.attribute("inputTargetItem"));
    KIVO_COMMAND_CHECK(status);
    return fAddModifier->connect(source, destination);
}

MStatus KivoMorphCommand::aliasWeight(const MDagPath& path, unsigned int target) {
    MFnDependencyNode node(fDeformer);
    const MPlug weight = deformerPlug(node.attribute("weight")).elementByLogicalIndex(target);
    MStatus status = fAddModifier->newPlugValueDouble(weight, 0.0);
    KIVO_COMMAND_CHECK(status);
    MString command;
    command.format("import maya.cmds as cmds; cmds.aliasAttr('^1s', '^2s.^3s')", claimAlias(path),
                   node.name(), weight.partialName(false, false, false, false, false, true));
    return fAddModifier->pythonCommandToExecute(command);
}

MStatus KivoMorphCommand::nameInbetween(const MString& baseName, unsigned int target, unsigned int item) {
    const float weight = static_cast<float>(static_cast<int>(item) - 5000) * 0.001f;
    MString name = baseName + "_";
    name += static_cast<double>(weight);
    return setInbetweenName(name, target, item);
}

MStatus KivoMorphCommand::setInbetweenName(const MString& name, unsigned int target, unsigned int item) {
    if (item == 6000) {
        return MS::kSuccess;
    }
    MFnDependencyNode node(fDeformer);
    MPlug plug = deformerPlug(node.attribute("inbetweenTargetName"));
    if (plug.isNull()) {
        return MS::kSuccess;
    }
    MStatus status = plug.selectAncestorLogicalIndex(target, node.attribute("inbetweenInfoGroup"));
    KIVO_COMMAND_CHECK(status);
    status = plug.selectAncestorLogicalIndex(item, node.attribute("inbetweenInfo"));
    KIVO_COMMAND_CHECK(status);
    return fAddModifier->newPlugValueString(plug, name);
}

MStatus KivoMorphCommand::addCreateTargets() {
    MStatus status;
    for (const auto& [geometry, byFlag] : fCreateTargets) {
        for (const auto& [inBetween, paths] : byFlag) {
            const auto count = static_cast<unsigned int>(paths.size());
            const MString inbetweenBase = inBetween ? uniqueName(nameSource(paths.back())) : MString();
            for (unsigned int j = 0; j < count; ++j) {
                if (!paths[j].isValid()) {
                    continue;
                }
                if (!inBetween) {
                    status = connectTarget(paths[j], geometry, j, 6000);
                    KIVO_COMMAND_CHECK(status);
                    continue;
                }
                // Evenly spaced inbetweens of target 0, the last at full weight.
                const auto item = static_cast<unsigned int>(std::fma(j + 1.0, 1000.0 / count, 5000.0));
                status = connectTarget(paths[j], geometry, 0, item);
                KIVO_COMMAND_CHECK(status);
                status = nameInbetween(inbetweenBase, 0, item);
                KIVO_COMMAND_CHECK(status);
            }
        }
    }
    for (const auto& [inBetween, sources] : fCreateAliasSources) {
        if (inBetween) {
            status = aliasWeight(nameSource(sources.back()), 0);
            KIVO_COMMAND_CHECK(status);
            continue;
        }
        for (unsigned int j = 0; j < sources.size(); ++j) {
            status = aliasWeight(nameSource(sources[j]), j);
            KIVO_COMMAND_CHECK(status);
        }
    }
    status = fAddModifier->doIt();
    KIVO_COMMAND_CHECK(status);
    return status;
}

MStatus KivoMorphCommand::addEditTargets() {
    MStatus status;
    for (const auto& [key, paths] : fEditTargets) {
        for (const MDagPath& path : paths) {
            status = connectTarget(path, key.geometry, key.target, key.item);
            KIVO_COMMAND_CHECK(status);
        }
    }
    if (!fIsInBetween) {
        MDagPath targetPath;
        status = MDagPath::getAPathTo(fTargetObject, targetPath);
        KIVO_COMMAND_CHECK(status);
        status = aliasWeight(targetPath, fTargetIndex);
        KIVO_COMMAND_CHECK(status);
    } else if (!fEditTargets.empty()) {
        const EditKey& first = fEditTargets.begin()->first;
        if (fHasRemoveTarget) {
            // The inbetween removed in this call lends its name to the one added.
            status = setInbetweenName(fSavedInbetweenName, first.target, first.item);
        } else {
            MString baseName;
            if (!targetName(first.target, baseName)) {
                MGlobal::displayError("Failed to get alias name from indices");
            }
            status = nameInbetween(baseName, first.target, first.item);
        }
        KIVO_COMMAND_CHECK(status);
    }
    status = fAddModifier->doIt();
    KIVO_COMMAND_CHECK(status);
    return status;
}
