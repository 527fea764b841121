#pragma once
// Queues graph edits; doIt() executes the newly queued ones, undoIt() reverses all executed ones.
#include <functional>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <memory>
#include <vector>

namespace khost {
class UndoRecord;
struct NodeClass;
} // namespace khost

class MDGModifier {
public:
    MDGModifier();
    virtual ~MDGModifier();

    MObject createNode(const MString& type, MStatus* ReturnStatus = nullptr);
    MObject createNode(const MTypeId& typeId, MStatus* ReturnStatus = nullptr);
    MStatus deleteNode(const MObject& node);
    MStatus renameNode(const MObject& node, const MString& newName);
    MStatus connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                    const MObject& destAttr);
    MStatus connect(const MPlug& source, const MPlug& dest);
    MStatus disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                       const MObject& destAttr);
    MStatus disconnect(const MPlug& source, const MPlug& dest);
    MStatus newPlugValueDouble(const MPlug& plug, double plugValue);
    MStatus newPlugValueFloat(const MPlug& plug, float plugValue);
    MStatus newPlugValueInt(const MPlug& plug, int plugValue);
    MStatus newPlugValueBool(const MPlug& plug, bool plugValue);
    MStatus newPlugValueString(const MPlug& plug, const MString& plugValue);
    MStatus removeMultiInstance(const MPlug& plug, bool breakConnections);
    MStatus commandToExecute(const MString& command);
    MStatus pythonCommandToExecute(const MString& command);

    MStatus doIt();
    MStatus undoIt();

private:
    MDGModifier(const MDGModifier&) = delete;
    MDGModifier& operator=(const MDGModifier&) = delete;
    MObject queueCreate(khost::NodeClass* nodeClass, MStatus* ReturnStatus);

    std::vector<std::function<MStatus(khost::UndoRecord&)>> fQueue;
    size_t fExecuted = 0;
    std::unique_ptr<khost::UndoRecord> fRecord;
    bool fUndone = false;
};
