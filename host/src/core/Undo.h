#pragma once
// Reversible scene edits. Each edit::* call changes the scene now and records in an UndoRecord
// how to reverse and replay it; commands and MDGModifier build on these.
#include "dg/Scene.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace khost {

class UndoRecord {
public:
    void add(std::function<void()> undo, std::function<void()> redo);
    // Reverses every recorded step, last first.
    void undo();
    // Replays every recorded step, first first.
    void redo();
    bool empty() const { return fSteps.empty(); }
    // Forgets every step without running it.
    void clear() { fSteps.clear(); }
    void append(UndoRecord&& other);

private:
    struct Step {
        std::function<void()> undo;
        std::function<void()> redo;
    };
    std::vector<Step> fSteps;
};

namespace edit {
std::shared_ptr<Node> createNode(UndoRecord& record, NodeClass* nodeClass, const std::string& name,
                                 Node* parent, MStatus* status = nullptr);
// Deletes the node (and, for DAG nodes, its descendants).
MStatus deleteNode(UndoRecord& record, Node* node);
MStatus connect(UndoRecord& record, const MPlug& src, const MPlug& dst);
MStatus disconnect(UndoRecord& record, const MPlug& src, const MPlug& dst);
// Stores a value; undo restores the previous value, or removes the element when it did not exist.
MStatus setValue(UndoRecord& record, const MPlug& plug, const Value& value);
// Removes an array element; undo restores it. Connections into or out of the element (or below it)
// are broken first when breakConnections, else they make the removal fail with kFailure. An element
// that does not exist is left alone with success, as Maya does.
MStatus removeElement(UndoRecord& record, const MPlug& element, bool breakConnections);
MStatus rename(UndoRecord& record, Node* node, const std::string& wanted, std::string* given = nullptr);
MStatus setLocked(UndoRecord& record, const MPlug& plug, bool locked);
// Gives a plug an alias (replacing an alias the plug had); an empty alias removes it.
MStatus setAlias(UndoRecord& record, Node* node, const std::string& alias, const PlugKey& key);
void reparent(UndoRecord& record, Node* node, Node* newParent);
} // namespace edit

} // namespace khost
