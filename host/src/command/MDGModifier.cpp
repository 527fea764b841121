#include "command/PlugValueFault.h"
#include "command/Python.h"
#include "command/Script.h"
#include "command/UndoQueue.h"
#include "core/Undo.h"
#include "dg/DataTypes.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include <maya/MDGModifier.h>

using khost::Node;
using khost::Scene;
using khost::UndoRecord;

namespace {

struct PlugValueFault {
    bool active = false;
    std::size_t accepted = 0;
    MStatus status;
} fault;

MStatus scalarValue(const MPlug& plug, double number, std::unique_ptr<khost::Value>& value) {
    khost::PlugKey key = khost::keyFor(plug);
    if (plug.isNull() || !key.attr || key.attr->kind != khost::AttrKind::Numeric || key.isArrayPlug())
        return MS::kInvalidParameter;
    value = std::make_unique<khost::Value>(key.attr, false);
    value->setNumeric(number);
    return MS::kSuccess;
}

// Locked plugs refuse new values, as `setAttr` does.
MStatus queueValue(std::vector<std::function<MStatus(UndoRecord&)>>& queue, const MPlug& plug,
                   std::unique_ptr<khost::Value> value) {
    if (fault.active) {
        if (fault.accepted == 0)
            return fault.status;
        --fault.accepted;
    }
    std::shared_ptr<khost::Value> shared(std::move(value));
    queue.push_back([plug, shared](UndoRecord& record) {
        if (plug.isLocked())
            return MStatus(MS::kFailure);
        return khost::edit::setValue(record, plug, *shared);
    });
    return MS::kSuccess;
}

// Nodes this modifier created are not in the graph before doIt, yet may be queued for more edits.
bool isNode(const MObject& node) {
    return khost::objectAs<Node>(node) != nullptr;
}

MPlug plugOf(const MObject& node, const MObject& attr) {
    return khost::nodeOf(node) && !attr.isNull() ? MPlug(node, attr) : MPlug();
}

} // namespace

namespace khost {

void failPlugValuesAfter(std::size_t accepted, MStatus status) {
    fault = PlugValueFault{true, accepted, status};
}

void clearPlugValueFault() {
    fault = PlugValueFault();
}

} // namespace khost

MDGModifier::MDGModifier() : fRecord(std::make_unique<UndoRecord>()) {}
MDGModifier::~MDGModifier() = default;

MObject MDGModifier::queueCreate(khost::NodeClass* nodeClass, MStatus* ReturnStatus) {
    MStatus status;
    auto node =
        nodeClass ? Scene::instance().createNode(nodeClass, std::string(), nullptr, &status) : nullptr;
    if (!node) {
        if (ReturnStatus)
            *ReturnStatus = MS::kInvalidParameter;
        return MObject();
    }
    // The node exists from now on (so that it can be named and wired) but joins the graph at doIt.
    auto removed = std::make_shared<Scene::Removed>(Scene::instance().remove(node.get()));
    fQueue.push_back([removed](UndoRecord& record) {
        Node* n = removed->node.get();
        Scene::instance().rename(n, n->name);
        Scene::instance().reinsert(*removed);
        record.add([removed]() { *removed = Scene::instance().remove(removed->node.get()); },
                   [removed]() { Scene::instance().reinsert(*removed); });
        return MStatus(MS::kSuccess);
    });
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return MObject(node);
}

MObject MDGModifier::createNode(const MString& type, MStatus* ReturnStatus) {
    return queueCreate(khost::ClassRegistry::instance().find(type.asChar()), ReturnStatus);
}

MObject MDGModifier::createNode(const MTypeId& typeId, MStatus* ReturnStatus) {
    return queueCreate(khost::ClassRegistry::instance().find(typeId), ReturnStatus);
}

MStatus MDGModifier::deleteNode(const MObject& node) {
    if (!isNode(node))
        return MS::kInvalidParameter;
    fQueue.push_back(
        [node](UndoRecord& record) { return khost::edit::deleteNode(record, khost::nodeOf(node)); });
    return MS::kSuccess;
}

MStatus MDGModifier::renameNode(const MObject& node, const MString& newName) {
    if (!isNode(node) || newName.length() == 0)
        return MS::kInvalidParameter;
    std::string wanted = newName.asChar();
    fQueue.push_back([node, wanted](UndoRecord& record) {
        Node* n = khost::nodeOf(node);
        return n ? khost::edit::rename(record, n, wanted) : MStatus(MS::kInvalidParameter);
    });
    return MS::kSuccess;
}

MStatus MDGModifier::connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                             const MObject& destAttr) {
    return connect(plugOf(sourceNode, sourceAttr), plugOf(destNode, destAttr));
}

MStatus MDGModifier::connect(const MPlug& source, const MPlug& dest) {
    if (source.isNull() || dest.isNull())
        return MS::kInvalidParameter;
    fQueue.push_back(
        [source, dest](UndoRecord& record) { return khost::edit::connect(record, source, dest); });
    return MS::kSuccess;
}

MStatus MDGModifier::disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                                const MObject& destAttr) {
    return disconnect(plugOf(sourceNode, sourceAttr), plugOf(destNode, destAttr));
}

MStatus MDGModifier::disconnect(const MPlug& source, const MPlug& dest) {
    if (source.isNull() || dest.isNull())
        return MS::kInvalidParameter;
    fQueue.push_back(
        [source, dest](UndoRecord& record) { return khost::edit::disconnect(record, source, dest); });
    return MS::kSuccess;
}

MStatus MDGModifier::newPlugValueDouble(const MPlug& plug, double plugValue) {
    std::unique_ptr<khost::Value> value;
    MStatus status = scalarValue(plug, plugValue, value);
    return status ? queueValue(fQueue, plug, std::move(value)) : status;
}

MStatus MDGModifier::newPlugValueFloat(const MPlug& plug, float plugValue) {
    return newPlugValueDouble(plug, plugValue);
}

MStatus MDGModifier::newPlugValueInt(const MPlug& plug, int plugValue) {
    return newPlugValueDouble(plug, plugValue);
}

MStatus MDGModifier::newPlugValueBool(const MPlug& plug, bool plugValue) {
    return newPlugValueDouble(plug, plugValue ? 1.0 : 0.0);
}

MStatus MDGModifier::newPlugValueString(const MPlug& plug, const MString& plugValue) {
    khost::PlugKey key = khost::keyFor(plug);
    if (plug.isNull() || !key.attr || key.isArrayPlug() || !key.attr->acceptsData(MFnData::kString))
        return MS::kInvalidParameter;
    auto data = std::make_shared<khost::StringData>();
    data->value = plugValue;
    auto value = std::make_unique<khost::Value>(key.attr, false);
    value->data = MObject(data);
    return queueValue(fQueue, plug, std::move(value));
}

MStatus MDGModifier::removeMultiInstance(const MPlug& plug, bool breakConnections) {
    if (plug.isNull() || !plug.isElement())
        return MS::kInvalidParameter;
    fQueue.push_back([plug, breakConnections](UndoRecord& record) {
        return khost::edit::removeElement(record, plug, breakConnections);
    });
    return MS::kSuccess;
}

MStatus MDGModifier::commandToExecute(const MString& command) {
    if (command.length() == 0)
        return MS::kInvalidParameter;
    std::string text = command.asChar();
    fQueue.push_back([text](UndoRecord& record) {
        khost::UndoQueue::Capture capture(record);
        khost::CommandResult result;
        return khost::runStatements(text, result, true);
    });
    return MS::kSuccess;
}

MStatus MDGModifier::pythonCommandToExecute(const MString& command) {
    if (command.length() == 0)
        return MS::kInvalidParameter;
    std::string text = command.asChar();
    fQueue.push_back([text](UndoRecord& record) {
        khost::UndoQueue::Capture capture(record);
        khost::CommandResult result;
        return khost::runPython(text, result, true);
    });
    return MS::kSuccess;
}

MStatus MDGModifier::doIt() {
    if (fUndone) {
        fRecord->redo();
        fUndone = false;
    }
    while (fExecuted < fQueue.size()) {
        MStatus status = fQueue[fExecuted++](*fRecord);
        if (!status)
            return status;
    }
    return MS::kSuccess;
}

MStatus MDGModifier::undoIt() {
    if (!fUndone) {
        fRecord->undo();
        fUndone = true;
    }
    return MS::kSuccess;
}
