#pragma once
// The kivoMorphEdit command: mirrors or flips the shape of one kivoMorph target across a coordinate
// plane by rewriting the points of its target geometries, then asks the node to re-encode those
// targets. Every edit is computed once, in doIt, and kept with the points it replaces, so that redo
// and undo only write stored points back.

#include "kivoMorphEdit/targetGeometry.h"
#include "kivoMorphEdit/targetMirror.h"

#include <maya/MObject.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MSyntax.h>

#include <vector>

class MArgDatabase;

class KivoMorphEditCommand : public MPxCommand {
public:
    KivoMorphEditCommand() = default;
    ~KivoMorphEditCommand() override = default;

    static void* creator();
    static MSyntax newSyntax();

    MStatus doIt(const MArgList& args) override;
    MStatus undoIt() override;
    MStatus redoIt() override;
    bool isUndoable() const override;

    static const char* const commandName;

private:
    // The flags (kivoMorphEdit.cpp).
    MStatus parseArguments(const MArgDatabase& args);
    MStatus selectEntries(const MString& name);

    // The deformer and the target geometries a name selects (entrySelection.cpp).
    static MStatus resolveDeformer(const MString& name, MObject& deformer);
    // Every target geometry connected to target t, over all geometry inputs and items.
    MStatus collectTargetGeometries(int target, std::vector<TargetGeometryEntry>& entries) const;
    // A mesh or curve: its own item, or every geometry of its target when it is the full-weight one;
    // any other DAG node: the same for each of its mesh and curve children.
    MStatus collectFromDagNode(const MObject& node, std::vector<TargetGeometryEntry>& entries) const;
    MStatus collectFromShape(const MDagPath& shape, bool& connected,
                             std::vector<TargetGeometryEntry>& entries) const;

    // Edits and writing them (targetEdits.cpp).
    MStatus prepareEdits();
    // Writes the new or the old points of every edit, all or none, and then re-encodes the targets.
    MStatus applyEdits(bool newPoints);
    MStatus rebindTargets() const;

    MObject fDeformer;
    std::vector<TargetGeometryEntry> fEntries;
    std::vector<TargetGeometryEdit> fEdits;
    MirrorOptions fOptions;
};
