// The command's syntax, the reading of its flags in doIt, and undo.

#include "copyKivoWeights/copyKivoWeights.h"
#include "copyKivoWeights/report.h"

#include "geometrySearch/mirrorPlane.h"

#include <maya/MArgDatabase.h>
#include <maya/MGlobal.h>

#include <string>

const char* const CopyKivoCommand::commandName = "copyKivoWeights";

void* CopyKivoCommand::creator() {
    return new CopyKivoCommand();
}

MSyntax CopyKivoCommand::newSyntax() {
    MSyntax syntax;
    syntax.addFlag("-dd", "-destinationDeformer", MSyntax::kString);
    syntax.addFlag("-ds", "-destinationShape", MSyntax::kString);
    syntax.addFlag("-sd", "-sourceDeformer", MSyntax::kString);
    syntax.addFlag("-ss", "-sourceShape", MSyntax::kString);
    syntax.addFlag("-in", "-ignoreNormalize", MSyntax::kBoolean);
    syntax.addFlag("-sa", "-surfaceAssociation", MSyntax::kString);
    syntax.addFlag("-mi", "-mirrorInverse", MSyntax::kBoolean);
    syntax.addFlag("-mm", "-mirrorMode", MSyntax::kString);
    syntax.addFlag("-nm", "-noMirror", MSyntax::kBoolean);
    syntax.addFlag("-fw", "-flipWeights", MSyntax::kBoolean);
    syntax.enableEdit(true);
    syntax.enableQuery(false);
    return syntax;
}

bool CopyKivoCommand::isUndoable() const {
    return true;
}

MStatus CopyKivoCommand::doIt(const MArgList& argList) {
    MStatus status;
    MArgDatabase args(syntax(), argList, &status);
    if (!status) {
        return status;
    }
    status = parseArguments(args);
    if (!status) {
        return status;
    }
    status = redoIt();
    // A command that fails is not on the undo queue: whatever its modifier did is put back now.
    if (!status) {
        fModifier.undoIt();
    }
    return status;
}

MStatus CopyKivoCommand::parseArguments(const MArgDatabase& args) {
    MStatus status;
    MString name;
    if (!args.isFlagSet("-dd")) {
        MGlobal::displayError("Missing required flag: -destinationDeformer");
        return MS::kFailure;
    }
    status = args.getFlagArgument("-dd", 0, name);
    COPY_KIVO_CHECK(status);
    if (!resolveDeformer(name, fDestinationDeformer, fDestinationIsKivo)) {
        MGlobal::displayInfo("Destination deformer not found: " + name);
        return MS::kFailure;
    }
    if (!args.isFlagSet("-ds")) {
        MGlobal::displayError("Missing required flag: -destinationShape");
        return MS::kFailure;
    }
    status = args.getFlagArgument("-ds", 0, name);
    COPY_KIVO_CHECK(status);
    status = resolveTarget(name, fDestinationDeformer, fDestinationIsKivo, fDestinationGeometryIndex,
                           fDestinationTargetIndex, fDestinationBasePath);
    if (!status) {
        return status;
    }
    if (args.isFlagSet("-nm")) {
        status = args.getFlagArgument("-nm", 0, fNoMirror);
        COPY_KIVO_CHECK(status);
    }

    if (fNoMirror) {
        if (!args.isFlagSet("-sd")) {
            MGlobal::displayError("Copy failed : missing required flag '-sourceDeformer'.");
            return MS::kFailure;
        }
        status = args.getFlagArgument("-sd", 0, name);
        COPY_KIVO_CHECK(status);
        if (!resolveDeformer(name, fSourceDeformer, fSourceIsKivo)) {
            MGlobal::displayError("Source deformer not found: " + name);
            return MS::kFailure;
        }
        if (!args.isFlagSet("-ss")) {
            MGlobal::displayError("Copy failed : missing required flag '-sourceShape'.");
            return MS::kFailure;
        }
        status = args.getFlagArgument("-ss", 0, name);
        COPY_KIVO_CHECK(status);
        status = resolveTarget(name, fSourceDeformer, fSourceIsKivo, fSourceGeometryIndex, fSourceTargetIndex,
                               fSourceBasePath);
        if (!status) {
            return status;
        }
    } else {
        if (args.isFlagSet("-mm")) {
            status = args.getFlagArgument("-mm", 0, fMirrorMode);
            COPY_KIVO_CHECK(status);
        }
        if (mirrorAxis(fMirrorMode) < 0) {
            MGlobal::displayError("Valid modes are XY, YZ and XZ.");
            return MS::kFailure;
        }
        if (args.isFlagSet("-mi")) {
            status = args.getFlagArgument("-mi", 0, fMirrorInverse);
            COPY_KIVO_CHECK(status);
        }
    }

    if (args.isFlagSet("-sa")) {
        MString association;
        status = args.getFlagArgument("-sa", 0, association);
        COPY_KIVO_CHECK(status);
        const MString lowered = association.toLowerCase();
        if (lowered == "closestcomponent") {
            fClosestPoint = false;
        } else if (lowered == "closestpoint") {
            fClosestPoint = true;
        } else {
            MGlobal::displayError("Valid modes are 'closestPoint' and 'closestComponent'.");
            return MS::kFailure;
        }
    }
    if (args.isFlagSet("-fw")) {
        status = args.getFlagArgument("-fw", 0, fFlipWeights);
        COPY_KIVO_CHECK(status);
    }
    if (args.isFlagSet("-in")) {
        // Read for its errors only: weights are never normalized, whatever it says.
        bool ignoreNormalize = true;
        status = args.getFlagArgument("-in", 0, ignoreNormalize);
        COPY_KIVO_CHECK(status);
    }
    return MS::kSuccess;
}

MStatus CopyKivoCommand::undoIt() {
    const MStatus status = fModifier.undoIt();
    if (!status) {
        status.pAPIerror("copyKivoWeights", __LINE__);
        return status;
    }
    return MS::kSuccess;
}
