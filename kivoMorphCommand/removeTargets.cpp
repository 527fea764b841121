// Removing targets and inbetweens (-removeTarget), and the order in which redoIt creates, removes
// and adds, and undoIt reverses.

#include "kivoMorphCommand/kivoMorphCommand.h"
#include "kivoMorphCommand/report.h"

#include <maya/MArgDatabase.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>

#include <cmath>

MStatus KivoMorphCommand::parseRemoveArguments(const MArgDatabase& args) {
    MStatus status;
    MString name;
    double weight = 0.0;
    status = args.getFlagArgument("-rt", 0, name);
    KIVO_COMMAND_CHECK(status);
    status = args.getFlagArgument("-rt", 1, weight);
    KIVO_COMMAND_CHECK(status);
    if (!targetIndexByName(name, fRemoveTargetIndex)) {
        MGlobal::displayError("Attribute not found: " + name);
        return MS::kFailure;
    }
    if (!fIsInBetween) {
        return MS::kSuccess;
    }
    const double product = 1000.0 * weight;
    if (product - std::floor(product) > 1e-8) {
        MGlobal::displayError("Inbetween weights can have only three decimal places. ");
        return MS::kFailure;
    }
    const double item = std::trunc(product + 5000.0);
    if (!(item >= 0.0 && item <= 2147483647.0) ||
        !itemExists(fRemoveTargetIndex, static_cast<unsigned int>(item))) {
        MString text("Inbetween weights ");
        text += weight;
        text += " not found. ";
        MGlobal::displayError(text);
        return MS::kFailure;
    }
    fRemoveItemIndex = static_cast<unsigned int>(item);
    return MS::kSuccess;
}

MStatus KivoMorphCommand::removeTargets() {
    MStatus status;
    MFnDependencyNode node(fDeformer);
    const bool inbetweenOnly = fIsInBetween && fRemoveItemIndex != 6000;

    MPlug inputs = deformerPlug(node.attribute("inputTarget"));
    MIntArray geometries;
    inputs.getExistingArrayAttributeIndices(geometries);
    for (unsigned int k = 0; k < geometries.length(); ++k) {
        MPlug group = inputs.elementByLogicalIndex(static_cast<unsigned int>(geometries[k]))
                          .child(node.attribute("inputTargetGroup"))
                          .elementByLogicalIndex(fRemoveTargetIndex);
        MPlug removed =
            inbetweenOnly
                ? group.child(node.attribute("inputTargetItem")).elementByLogicalIndex(fRemoveItemIndex)
                : group;
        status = fRemoveModifier->removeMultiInstance(removed, true);
        KIVO_COMMAND_CHECK(status);
    }

    if (!inbetweenOnly) {
        MPlug weight = deformerPlug(node.attribute("weight")).elementByLogicalIndex(fRemoveTargetIndex);
        if (weight.isDestination()) {
            status = fRemoveModifier->disconnect(weight.source(), weight);
            KIVO_COMMAND_CHECK(status);
        }
        if (weight.isLocked()) {
            MGlobal::displayWarning(" Cannot remove locked target! ");
            return MS::kFailure;
        }
        status = fRemoveModifier->removeMultiInstance(weight, true);
        KIVO_COMMAND_CHECK(status);
        MString index;
        index.set(static_cast<double>(fRemoveTargetIndex));
        MString command;
        command.format("import maya.cmds as cmds; cmds.aliasAttr('^1s.weight[^2s]', remove=True)",
                       node.name(), index);
        MGlobal::displayInfo("Queuing Python: " + command);
        if (!fRemoveModifier->pythonCommandToExecute(command)) {
            MGlobal::displayError("Failed to schedule removal of element at index ");
            return MS::kFailure;
        }
    }

    MPlug names =
        deformerPlug(node.attribute("inbetweenInfoGroup")).elementByLogicalIndex(fRemoveTargetIndex);
    if (!inbetweenOnly) {
        status = fRemoveModifier->removeMultiInstance(names, true);
        KIVO_COMMAND_CHECK(status);
    } else {
        MPlug info = names.child(node.attribute("inbetweenInfo")).elementByLogicalIndex(fRemoveItemIndex);
        if (fHasTarget) {
            fSavedInbetweenName = info.child(node.attribute("inbetweenTargetName")).asString();
        }
        status = fRemoveModifier->removeMultiInstance(info, true);
        KIVO_COMMAND_CHECK(status);
    }

    // The removal runs with nothing selected, so that nothing removed stays selected.
    MSelectionList selection;
    MGlobal::getActiveSelectionList(selection);
    MGlobal::setActiveSelectionList(MSelectionList());
    status = fRemoveModifier->doIt();
    MGlobal::setActiveSelectionList(selection);
    if (!status) {
        MGlobal::displayError("Failed to apply changes to remove element at index ");
    }
    return MS::kSuccess;
}

MStatus KivoMorphCommand::redoIt() {
    MStatus status;
    if (fCreateModifier) {
        // Redone after an undo: the modifiers do their edits again on the same nodes, so that the
        // commands that came after this one still find the deformer they worked on.
        for (MDGModifier* modifier : {fCreateModifier.get(), fRemoveModifier.get(), fAddModifier.get()}) {
            status = modifier->doIt();
            KIVO_COMMAND_CHECK(status);
        }
        return setDeformerResult();
    }
    fCreateModifier = std::make_unique<MDGModifier>();
    fAddModifier = std::make_unique<MDGModifier>();
    fRemoveModifier = std::make_unique<MDGModifier>();
    if (!fIsEdit) {
        status = fCreateModifier->commandToExecute(fCreateCommand);
        KIVO_COMMAND_CHECK(status);
        status = fCreateModifier->doIt();
        KIVO_COMMAND_CHECK(status);
        if (!findDeformer(fBaseShape.node(), fDeformer)) {
            MGlobal::displayError(" No deformer node found! ");
            return MS::kFailure;
        }
        status = addCreateTargets();
        if (!status) {
            return status;
        }
    } else {
        if (fHasRemoveTarget) {
            status = removeTargets();
            if (!status) {
                return status;
            }
        }
        if (fHasTarget) {
            status = addEditTargets();
            if (!status) {
                return status;
            }
        }
    }
    return setDeformerResult();
}

MStatus KivoMorphCommand::setDeformerResult() {
    if (fDeformer.isNull()) {
        return MS::kSuccess;
    }
    MStatus status;
    const MString name = MFnDependencyNode(fDeformer).name(&status);
    if (!status) {
        status.pAPIerror("kivoMorphCommand", __LINE__);
        return status;
    }
    setResult(name);
    return MS::kSuccess;
}

MStatus KivoMorphCommand::undoIt() {
    MStatus status;
    if (fCreateModifier) {
        status = fCreateModifier->undoIt();
        if (!status) {
            status.pAPIerror("kivoMorphCommand", __LINE__);
            return status;
        }
    }
    if (fAddModifier) {
        status = fAddModifier->undoIt();
        if (!status) {
            status.pAPIerror("kivoMorphCommand", __LINE__);
            return status;
        }
    }
    if (fIsInBetween && fHasTarget && fTargetWeight != 1.0) {
        // An added inbetween leaves an empty names element and item elements behind.
        MDGModifier cleanup;
        MFnDependencyNode node(fDeformer);
        MPlug names = deformerPlug(node.attribute("inbetweenInfoGroup")).elementByLogicalIndex(fTargetIndex);
        MPlug infos = names.child(node.attribute("inbetweenInfo"));
        MIntArray existing;
        infos.getExistingArrayAttributeIndices(existing);
        if (!infos.isNull() && existing.length() == 0) {
            status = cleanup.removeMultiInstance(names, true);
            KIVO_COMMAND_CHECK(status);
        }
        for (const auto& entry : fEditTargets) {
            const EditKey& key = entry.first;
            MPlug item = deformerPlug(node.attribute("inputTarget"))
                             .elementByLogicalIndex(key.geometry)
                             .child(node.attribute("inputTargetGroup"))
                             .elementByLogicalIndex(key.target)
                             .child(node.attribute("inputTargetItem"))
                             .elementByLogicalIndex(key.item);
            if (!item.isNull()) {
                status = cleanup.removeMultiInstance(item, true);
                KIVO_COMMAND_CHECK(status);
            }
        }
        status = cleanup.doIt();
        KIVO_COMMAND_CHECK(status);
    }
    if (fRemoveModifier) {
        status = fRemoveModifier->undoIt();
        KIVO_COMMAND_CHECK(status);
    }
    return MS::kSuccess;
}
