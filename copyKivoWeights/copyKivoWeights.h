#pragma once
// The copyKivoWeights command: copies the per-point weights of one blend-shape target onto another
// (on kivoMorph or blendShape deformers, on any geometry), or mirrors or flips a target's weights
// across a coordinate plane. Only targetWeights elements change, through one modifier that undo
// reverses.

#include "copyKivoWeights/weightMapping.h"

#include <maya/MDGModifier.h>
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MSyntax.h>

#include <vector>

class MArgDatabase;

class CopyKivoCommand : public MPxCommand {
public:
    CopyKivoCommand() = default;
    ~CopyKivoCommand() override = default;

    static void* creator();
    static MSyntax newSyntax();

    MStatus doIt(const MArgList& args) override;
    MStatus undoIt() override;
    MStatus redoIt() override;
    bool isUndoable() const override;

    static const char* const commandName;

private:
    // The flags (copyKivoWeights.cpp), read in doIt.
    MStatus parseArguments(const MArgDatabase& args);

    // Deformers, targets and their deformed shapes by name (targetResolution.cpp).
    static MStatus resolveDeformer(const MString& name, MObject& deformer, bool& isKivo);
    static MStatus resolveTarget(const MString& name, const MObject& deformer, bool isKivo,
                                 int& geometryIndex, int& targetIndex, MDagPath& basePath);
    static MStatus targetIndexByName(const MString& name, const MObject& deformer, bool isKivo,
                                     int& targetIndex);
    static MStatus basePathOf(const MObject& deformer, int geometryIndex, MDagPath& basePath);

    // Weight arrays (weightPlugs.cpp).
    static MStatus findTargetWeightsPlug(const MObject& deformer, bool isKivo, int geometryIndex,
                                         int targetIndex, MPlug& weights);
    // Every point's weight, 1.0 where no element exists.
    static MStatus readWeights(const MPlug& weights, unsigned int count, std::vector<double>& values);
    // Queues the new weights that differ from the current ones by more than 1e-7.
    MStatus queueWeights(const MPlug& weights, const std::vector<double>& current, const NewWeights& update);

    // The three modes, computed from the scene as it is now (weightTransfer.cpp).
    MStatus copyWeights();
    MStatus mirrorWeights();

    MDGModifier fModifier;
    MObject fDestinationDeformer;
    MObject fSourceDeformer;
    int fDestinationGeometryIndex = -1;
    int fDestinationTargetIndex = -1;
    MDagPath fDestinationBasePath;
    int fSourceGeometryIndex = -1;
    int fSourceTargetIndex = -1;
    MDagPath fSourceBasePath;
    MString fMirrorMode = "YZ";
    bool fClosestPoint = true;
    bool fMirrorInverse = false;
    bool fNoMirror = false;
    bool fFlipWeights = false;
    bool fDestinationIsKivo = true;
    bool fSourceIsKivo = true;
};
