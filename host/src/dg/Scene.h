#pragma once
// The dependency graph: nodes, connections, dirty propagation and lazy evaluation.
#include "dg/Node.h"
#include <functional>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace khost {

struct Connection {
    Endpoint src;
    Endpoint dst;
};

class Scene {
public:
    static Scene& instance();

    // Nodes, in creation order.
    const std::vector<std::shared_ptr<Node>>& nodes() const { return fNodes; }
    Node* findNode(const std::string& name) const;
    std::string uniqueName(const std::string& wanted) const;
    // Creates a node of the class (its MPxNode, values and postConstructor); parent for DAG nodes.
    std::shared_ptr<Node> createNode(NodeClass* nodeClass, const std::string& name, Node* parent,
                                     MStatus* status = nullptr);
    // Takes a node out of the scene with its connections; reinsert() puts it back exactly.
    struct Removed {
        std::shared_ptr<Node> node;
        size_t position = 0;
        std::vector<Connection> connections;
        size_t parentSlot = 0;
    };
    Removed remove(Node* node);
    void reinsert(const Removed& removed);
    MStatus rename(Node* node, const std::string& wanted, std::string* given = nullptr);
    void reparent(Node* node, Node* newParent, size_t slot = SIZE_MAX);
    void clear();

    // Connections.
    MStatus connect(const MPlug& src, const MPlug& dst);
    MStatus disconnect(const MPlug& src, const MPlug& dst);
    std::vector<Connection> connectionsOf(Node* node) const;
    bool sourceOf(const MPlug& dst, MPlug& src) const;

    // Values.
    Value* evaluate(Node* node, const PlugKey& key);
    // Stores a value at a plug (through setInternalValue for internal attributes) and dirties dependents.
    MStatus setValue(const MPlug& plug, const Value& value);
    // Reads a plug's value, through getInternalValue for internal attributes. A missing element reads
    // as the attribute's default; null only for a plug that names no value (missing indices).
    std::unique_ptr<Value> getValue(const MPlug& plug, MStatus* status = nullptr);
    MStatus removeElement(const MPlug& element);
    void dirtyFrom(Node* node, const PlugKey& key);
    void markDirty(Node* node, const PlugKey& key);

    // Hooks other parts of the host add to: reacting to DAG parent changes (world matrices), to a node
    // leaving the scene (deleted or undone) and to every plug that a change dirties (the plug that
    // changed included).
    std::vector<std::function<void(Node*)>> onTransformChanged;
    std::vector<std::function<void(Node*)>> onNodeRemoved;
    std::vector<std::function<void(Node*, const PlugKey&)>> onPlugDirtied;
    // While set, told of every value setValue is about to store, so that an undoable edit can also
    // put back what a node's setInternalValue stores on its behalf (painting writes weights).
    std::function<void(Node*, const PlugKey&)> beforeStore;

private:
    void propagate(Node* node, const PlugKey& key, std::set<std::pair<Node*, PlugKey>>& visited,
                   bool selfClean);
    void pullConnections(Node* node, const PlugKey& key, int depth);
    std::vector<std::shared_ptr<Node>> fNodes;
};

MPlug plugFor(Node* node, const PlugKey& key);
PlugKey keyFor(const MPlug& plug);

} // namespace khost
