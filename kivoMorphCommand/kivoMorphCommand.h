#pragma once
// The kivoMorph command: creates a kivoMorph deformer on the selected geometry with its first
// targets, and in edit mode adds and removes targets and inbetweens. It never calls node code: the
// deformer comes from Maya's `deformer` command and everything else is attribute edits queued on
// modifiers, which undo reverses.

#include <maya/MDGModifier.h>
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPxCommand.h>
#include <maya/MSelectionList.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MSyntax.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class MArgDatabase;
class MPlug;

class KivoMorphCommand : public MPxCommand {
public:
    KivoMorphCommand() = default;
    ~KivoMorphCommand() override = default;

    static void* creator();
    static MSyntax newSyntax();

    MStatus doIt(const MArgList& args) override;
    MStatus undoIt() override;
    MStatus redoIt() override;
    bool isUndoable() const override;

    static const char* const commandName;

private:
    // (item index, target index, geometry index): edit-mode targets, ordered by geometry, then
    // target, then item.
    struct EditKey {
        unsigned int item;
        unsigned int target;
        unsigned int geometry;
        bool operator<(const EditKey& other) const {
            return std::tie(geometry, target, item) < std::tie(other.geometry, other.target, other.item);
        }
    };

    // Scene lookups (sceneLookups.cpp).
    static std::vector<MDagPath> deformableShapes(const MObject& object);
    static MStatus findDeformer(const MObject& object, MObject& deformer);
    static MStatus nodeByName(const MString& name, MObject& node);
    static bool shapesMatch(const MDagPath& target, const MDagPath& base);
    MStatus geometryIndex(const MDagPath& baseShape, unsigned int& index) const;
    MStatus targetIndexByName(const MString& name, unsigned int& index) const;
    MStatus targetName(unsigned int index, MString& name) const;
    bool itemExists(unsigned int target, unsigned int item) const;
    MPlug deformerPlug(const MObject& attribute) const;
    // The short name of a path, made unique against the deformer's aliases and those this run has
    // queued; claimAlias also counts it as queued.
    MString uniqueName(const MDagPath& path) const;
    MString claimAlias(const MDagPath& path);

    // Arguments (kivoMorphCommand.cpp, addTargets.cpp, removeTargets.cpp), read in doIt.
    MStatus collectCreateTargets();
    MStatus parseTargetArguments(const MArgDatabase& args);
    MStatus parseRemoveArguments(const MArgDatabase& args);

    // Scene edits (addTargets.cpp, removeTargets.cpp), queued and run in redoIt.
    MStatus connectTarget(const MDagPath& shape, unsigned int geometry, unsigned int target,
                          unsigned int item);
    MStatus aliasWeight(const MDagPath& path, unsigned int target);
    // baseName + "_" + the item's weight; setInbetweenName queues the name itself. Item 6000 (the
    // target itself) gets none.
    MStatus nameInbetween(const MString& baseName, unsigned int target, unsigned int item);
    MStatus setInbetweenName(const MString& name, unsigned int target, unsigned int item);
    MStatus addCreateTargets();
    MStatus addEditTargets();
    MStatus removeTargets();
    MStatus setDeformerResult();

    MDagPath fBaseShape;
    MObject fDeformer;
    std::unique_ptr<MDGModifier> fCreateModifier;
    std::unique_ptr<MDGModifier> fAddModifier;
    std::unique_ptr<MDGModifier> fRemoveModifier;
    MSelectionList fObjects;
    MString fName;
    // The `deformer` command that creates the node (create mode).
    MString fCreateCommand;
    // Base shape position -> inbetween flag -> one target shape per target object (an invalid path
    // where the object has fewer shapes than the base).
    std::map<unsigned int, std::map<bool, std::vector<MDagPath>>> fCreateTargets;
    // Inbetween flag -> the first shape of each target object.
    std::map<bool, std::vector<MDagPath>> fCreateAliasSources;
    std::map<EditKey, std::vector<MDagPath>> fEditTargets;
    unsigned int fTargetIndex = 0;
    double fTargetWeight = 1.0;
    MObject fTargetObject;
    unsigned int fRemoveTargetIndex = 0;
    unsigned int fRemoveItemIndex = 6000;
    bool fIsEdit = false;
    bool fHasTarget = false;
    bool fHasRemoveTarget = false;
    bool fIsInBetween = false;
    MString fSavedInbetweenName;
    // Aliases queued by this command: two targets with the same short name (in other namespaces or
    // under other parents) must not get the same alias.
    std::set<std::string> fQueuedAliases;
};
