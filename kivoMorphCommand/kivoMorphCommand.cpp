// The command's syntax, its argument checks and the collection of create-mode targets. Nothing in
// the scene changes before redoIt.

#include "kivoMorphCommand/kivoMorphCommand.h"
#include "kivoMorphCommand/report.h"

#include "common/nodeType.h"

#include <maya/MArgDatabase.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>

const char* const KivoMorphCommand::commandName = "kivoMorph";

void* KivoMorphCommand::creator() {
    return new KivoMorphCommand();
}

MSyntax KivoMorphCommand::newSyntax() {
    MSyntax syntax;
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.addFlag("-ib", "-inBetween", MSyntax::kBoolean);
    syntax.addFlag("-t", "-target", MSyntax::kString, MSyntax::kUnsigned, MSyntax::kString, MSyntax::kDouble);
    syntax.addFlag("-rt", "-removeTarget", MSyntax::kString, MSyntax::kDouble);
    // No minimum: edit mode with no object says so itself.
    syntax.setObjectType(MSyntax::kSelectionList, 0);
    syntax.useSelectionAsDefault(true);
    syntax.enableEdit(true);
    syntax.enableQuery(false);
    return syntax;
}

bool KivoMorphCommand::isUndoable() const {
    return true;
}

MStatus KivoMorphCommand::doIt(const MArgList& argList) {
    MStatus status;
    MArgDatabase args(syntax(), argList, &status);
    if (!status) {
        return status;
    }
    fIsEdit = args.isEdit();
    // Only the presence of -inBetween counts, whatever its argument says.
    fIsInBetween = args.isFlagSet("-ib");
    fHasTarget = args.isFlagSet("-t");
    fHasRemoveTarget = args.isFlagSet("-rt");
    if (fHasTarget && !fIsEdit) {
        MGlobal::displayError(" -t/-target flag can only be used in edit mode. ");
        return MS::kFailure;
    }
    MGlobal::getActiveSelectionList(fObjects);
    if (fObjects.length() == 0 && !fIsEdit) {
        MGlobal::displayError("No deformable objects selected. ");
        return MS::kFailure;
    }
    status = args.getObjects(fObjects);
    KIVO_COMMAND_CHECK(status);
    if (args.isFlagSet("-n")) {
        args.getFlagArgument("-n", 0, fName);
    }

    if (!fIsEdit) {
        status = collectCreateTargets();
    } else if (fObjects.length() != 1) {
        MGlobal::displayError("A single defomer should be specified in edit mode");
        status = MS::kFailure;
    } else {
        MObject object;
        status = fObjects.getDependNode(0, object);
        KIVO_COMMAND_CHECK(status);
        if (!findDeformer(object, fDeformer)) {
            MGlobal::displayError(" Expected a KivoMorph deformer or a deformed shape. Found '" +
                                  MFnDependencyNode(object).name() + "' instead. ");
            return MS::kFailure;
        }
        if (fHasRemoveTarget) {
            status = parseRemoveArguments(args);
        }
        if (status && fHasTarget) {
            status = parseTargetArguments(args);
        }
    }
    if (!status) {
        return status;
    }
    status = redoIt();
    // A command that fails is not on the undo queue: what it did before failing is put back now.
    if (!status) {
        undoIt();
    }
    return status;
}

MStatus KivoMorphCommand::collectCreateTargets() {
    MStatus status;
    const unsigned int last = fObjects.length() - 1;
    MObject baseObject;
    status = fObjects.getDependNode(last, baseObject);
    KIVO_COMMAND_CHECK(status);
    const std::vector<MDagPath> baseShapes = deformableShapes(baseObject);
    if (baseShapes.empty()) {
        MGlobal::displayError(" No deformable objects selected. ");
        return MS::kFailure;
    }
    fBaseShape = baseShapes.front();
    MDagPath basePath;
    status = MDagPath::getAPathTo(baseObject, basePath);
    KIVO_COMMAND_CHECK(status);

    for (unsigned int k = 0; k < last; ++k) {
        MObject targetObject;
        status = fObjects.getDependNode(k, targetObject);
        KIVO_COMMAND_CHECK(status);
        std::vector<MDagPath> shapes = deformableShapes(targetObject);
        if (shapes.empty()) {
            MGlobal::displayError(" No deformable objects selected. ");
            return MS::kFailure;
        }
        for (std::size_t j = 0; j < shapes.size(); ++j) {
            if (baseShapes.size() != 1 && j >= baseShapes.size()) {
                break;
            }
            const MDagPath& base = baseShapes.size() == 1 ? baseShapes.front() : baseShapes[j];
            if (!shapesMatch(shapes[j], base)) {
                MGlobal::displayError("Target " + shapes[j].partialPathName() + " does not match with base " +
                                      base.partialPathName());
                return MS::kFailure;
            }
        }
        if (shapes.size() > baseShapes.size()) {
            MGlobal::displayError("Mismatch in target and base shape hierarchies.. ");
            return MS::kFailure;
        }
        fCreateAliasSources[fIsInBetween].push_back(shapes.front());
        shapes.resize(baseShapes.size());
        for (unsigned int j = 0; j < shapes.size(); ++j) {
            fCreateTargets[j][fIsInBetween].push_back(shapes[j]);
        }
    }

    // Built as text of its own length: long names and paths are never cut short.
    const MString name = fName.length() > 0 ? fName : MString("kivoMorph#");
    fCreateCommand = MString("deformer -type ") + kKivoMorphTypeName + " -n \"" + name + "\" " +
                     basePath.partialPathName();
    return MS::kSuccess;
}
