// The command's syntax, the reading of its flags in doIt, and redo and undo.

#include "kivoMorphEdit/kivoMorphEdit.h"
#include "kivoMorphEdit/report.h"

#include "common/elapsed.h"
#include "common/weightNames.h"
#include "geometrySearch/mirrorPlane.h"

#include <maya/MArgDatabase.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MSelectionList.h>

const char* const KivoMorphEditCommand::commandName = "kivoMorphEdit";

void* KivoMorphEditCommand::creator() {
    return new KivoMorphEditCommand();
}

MSyntax KivoMorphEditCommand::newSyntax() {
    MSyntax syntax;
    syntax.addFlag("-dd", "-destinationDeformer", MSyntax::kString);
    syntax.addFlag("-ds", "-destinationShape", MSyntax::kString);
    syntax.addFlag("-sa", "-surfaceAssociation", MSyntax::kString);
    syntax.addFlag("-mi", "-mirrorInverse", MSyntax::kBoolean);
    syntax.addFlag("-mm", "-mirrorMode", MSyntax::kString);
    syntax.addFlag("-ft", "-flipTarget", MSyntax::kBoolean);
    syntax.enableEdit(true);
    syntax.enableQuery(false);
    return syntax;
}

bool KivoMorphEditCommand::isUndoable() const {
    return true;
}

MStatus KivoMorphEditCommand::doIt(const MArgList& argList) {
    MStatus status;
    MArgDatabase args(syntax(), argList, &status);
    if (!status) {
        return status;
    }
    fDeformer = MObject();
    fEntries.clear();
    fEdits.clear();
    fOptions = MirrorOptions();
    status = parseArguments(args);
    if (!status) {
        return status;
    }
    status = prepareEdits();
    KIVO_EDIT_CHECK(status);
    return redoIt();
}

MStatus KivoMorphEditCommand::parseArguments(const MArgDatabase& args) {
    if (!args.isFlagSet("-dd")) {
        MGlobal::displayError("Missing required flag: -destinationDeformer");
        return MS::kFailure;
    }
    if (!args.isFlagSet("-ds")) {
        MGlobal::displayError("Missing required flag: -destinationShape");
        return MS::kFailure;
    }
    MString name;
    MStatus status = args.getFlagArgument("-dd", 0, name);
    KIVO_EDIT_CHECK(status);
    if (!resolveDeformer(name, fDeformer)) {
        MGlobal::displayError("KivoMorph deformer not found: " + name);
        return MS::kFailure;
    }
    status = args.getFlagArgument("-ds", 0, name);
    KIVO_EDIT_CHECK(status);
    status = selectEntries(name);
    if (!status) {
        return status;
    }
    if (args.isFlagSet("-mm")) {
        status = args.getFlagArgument("-mm", 0, fOptions.mirrorMode);
        KIVO_EDIT_CHECK(status);
        if (mirrorAxis(fOptions.mirrorMode) < 0) {
            MGlobal::displayError("Valid mirror modes are XY, YZ and XZ.");
            return MS::kFailure;
        }
    }
    if (args.isFlagSet("-mi")) {
        status = args.getFlagArgument("-mi", 0, fOptions.inverse);
        KIVO_EDIT_CHECK(status);
    }
    if (args.isFlagSet("-ft")) {
        status = args.getFlagArgument("-ft", 0, fOptions.flip);
        KIVO_EDIT_CHECK(status);
    }
    if (args.isFlagSet("-sa")) {
        MString association;
        status = args.getFlagArgument("-sa", 0, association);
        KIVO_EDIT_CHECK(status);
        const MString lowered = association.toLowerCase();
        if (lowered == "closestpoint") {
            fOptions.association = SurfaceAssociation::kClosestPoint;
        } else if (lowered == "closestcomponent") {
            fOptions.association = SurfaceAssociation::kClosestComponent;
        } else if (lowered == "closestuv" || lowered == "closestuvglobal") {
            fOptions.association = SurfaceAssociation::kClosestUV;
        } else if (lowered == "closestuvshellcenter") {
            fOptions.association = SurfaceAssociation::kClosestUVShellCenter;
        } else {
            MGlobal::displayError("Valid modes are 'closestPoint', 'closestComponent', 'closestUVGlobal' and "
                                  "'closestUVShellCenter'.");
            return MS::kFailure;
        }
    }
    return MS::kSuccess;
}

// A target's weight alias or long name selects all its geometries; otherwise the name is a node's.
MStatus KivoMorphEditCommand::selectEntries(const MString& name) {
    MStatus status;
    const MPlug weights = MFnDependencyNode(fDeformer).findPlug("weight", false, &status);
    KIVO_EDIT_CHECK(status);
    unsigned int target = 0;
    if (weightIndexByName(weights, name, target)) {
        if (!collectTargetGeometries(static_cast<int>(target), fEntries) || fEntries.empty()) {
            MGlobal::displayError("'" + name + "' has no connected target geometry.");
            return MS::kFailure;
        }
        return MS::kSuccess;
    }
    MSelectionList found;
    if (!found.add(name)) {
        MGlobal::displayError("'" + name + "' Invalid destination target name.");
        return MS::kFailure;
    }
    if (found.length() > 1) {
        MGlobal::displayError("Found >1 matches for '" + name + "'");
        return MS::kFailure;
    }
    MObject node;
    if (!found.getDependNode(0, node) || !node.hasFn(MFn::kDagNode)) {
        MGlobal::displayError("'" + name + "' is not a DAG item.");
        return MS::kFailure;
    }
    if (!collectFromDagNode(node, fEntries) || fEntries.empty()) {
        MGlobal::displayError("'" + name + "' Invalid destination target shape.");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus KivoMorphEditCommand::redoIt() {
    if (fEdits.empty()) {
        MGlobal::displayError("No target geometry edits were prepared.");
        return MS::kFailure;
    }
    const auto start = std::chrono::steady_clock::now();
    const MStatus status = applyEdits(true);
    KIVO_EDIT_CHECK(status);
    MGlobal::displayInfo(MString(fOptions.flip ? "Flip" : "Mirror") + " target geometry completed in " +
                         secondsSince(start) + " s");
    return MS::kSuccess;
}

MStatus KivoMorphEditCommand::undoIt() {
    return applyEdits(false);
}
