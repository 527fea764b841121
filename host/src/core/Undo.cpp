#include "core/Undo.h"
#include <algorithm>

namespace khost {

void UndoRecord::add(std::function<void()> undo, std::function<void()> redo) {
    fSteps.push_back({std::move(undo), std::move(redo)});
}

void UndoRecord::undo() {
    for (auto it = fSteps.rbegin(); it != fSteps.rend(); ++it)
        it->undo();
}

void UndoRecord::redo() {
    for (auto& step : fSteps)
        step.redo();
}

void UndoRecord::append(UndoRecord&& other) {
    for (auto& step : other.fSteps)
        fSteps.push_back(std::move(step));
    other.fSteps.clear();
}

namespace edit {

namespace {
Scene& scene() {
    return Scene::instance();
}

// Plugs refer to nodes through handles that stay valid while the node is deleted and restored.
struct PlugRef {
    std::shared_ptr<Node> node;
    PlugKey key;
    MPlug plug() const { return plugFor(node.get(), key); }
};

PlugRef refOf(const MPlug& plug) {
    Node* n = nodeOf(plug.node());
    return {n ? std::static_pointer_cast<Node>(n->shared_from_this()) : nullptr, keyFor(plug)};
}
} // namespace

// A stored value as it was before an edit, or the element an edit is about to create.
struct Snapshot {
    PlugRef ref;
    std::shared_ptr<Value> previous;
    PlugKey created; // the outermost element on the way that did not exist
};

Snapshot snapshotOf(Node* node, const PlugKey& key) {
    Snapshot snapshot{{std::static_pointer_cast<Node>(node->shared_from_this()), key}, nullptr, PlugKey{}};
    if (Value* before = node->find(key, false)) {
        snapshot.previous.reset(before->clone().release());
        return snapshot;
    }
    for (PlugKey probe = key; probe.attr && !node->find(probe, false); probe = probe.parentKey())
        if (probe.isElement())
            snapshot.created = probe;
    return snapshot;
}

void restore(const Snapshot& snapshot) {
    const PlugRef& ref = snapshot.ref;
    if (snapshot.previous) {
        if (Value* v = ref.node->find(ref.key, true))
            v->assign(*snapshot.previous);
        scene().dirtyFrom(ref.node.get(), ref.key);
    } else if (snapshot.created.attr) {
        scene().removeElement(plugFor(ref.node.get(), snapshot.created));
    }
}

std::shared_ptr<Node> createNode(UndoRecord& record, NodeClass* nodeClass, const std::string& name,
                                 Node* parent, MStatus* status) {
    auto node = scene().createNode(nodeClass, name, parent, status);
    if (!node)
        return nullptr;
    auto removed = std::make_shared<Scene::Removed>();
    record.add([removed, node]() { *removed = scene().remove(node.get()); },
               [removed]() { scene().reinsert(*removed); });
    return node;
}

MStatus deleteNode(UndoRecord& record, Node* node) {
    if (!node || !node->isAlive)
        return MS::kInvalidParameter;
    // Children first, so that restoring in reverse puts parents back before their children.
    std::vector<Node*> children = node->children;
    for (Node* child : children) {
        MStatus status = deleteNode(record, child);
        if (!status)
            return status;
    }
    auto removed = std::make_shared<Scene::Removed>(scene().remove(node));
    Node* raw = node;
    record.add([removed]() { scene().reinsert(*removed); },
               [removed, raw]() { *removed = scene().remove(raw); });
    return MS::kSuccess;
}

MStatus connect(UndoRecord& record, const MPlug& src, const MPlug& dst) {
    PlugRef s = refOf(src), d = refOf(dst);
    if (!d.node)
        return MS::kInvalidParameter;
    // Undo gives the destination back the value it had (a disconnection alone would leave it the
    // last value received), and removes an element the connection made.
    const Snapshot before = snapshotOf(d.node.get(), d.key);
    MStatus status = scene().connect(src, dst);
    if (!status)
        return status;
    record.add(
        [s, d, before]() {
            scene().disconnect(s.plug(), d.plug());
            restore(before);
        },
        [s, d]() { scene().connect(s.plug(), d.plug()); });
    return status;
}

MStatus disconnect(UndoRecord& record, const MPlug& src, const MPlug& dst) {
    PlugRef s = refOf(src), d = refOf(dst);
    Value* before = d.node ? d.node->find(d.key, false) : nullptr;
    std::shared_ptr<Value> previous = before ? std::shared_ptr<Value>(before->clone()) : nullptr;
    MStatus status = scene().disconnect(src, dst);
    if (!status)
        return status;
    record.add(
        [s, d, previous]() {
            if (previous)
                if (Value* v = d.node->find(d.key, true))
                    v->assign(*previous);
            scene().connect(s.plug(), d.plug());
        },
        [s, d]() { scene().disconnect(s.plug(), d.plug()); });
    return status;
}

MStatus setValue(UndoRecord& record, const MPlug& plug, const Value& value) {
    PlugRef ref = refOf(plug);
    if (!ref.node)
        return MS::kInvalidParameter;
    // This value and every value stored while it is (by a node handling an internal attribute) are
    // put back on undo, last first. Redo stores the value again, and the node does its part again.
    auto snapshots = std::make_shared<std::vector<Snapshot>>();
    MStatus status;
    {
        auto outer = std::move(scene().beforeStore);
        scene().beforeStore = [&snapshots](Node* node, const PlugKey& key) {
            snapshots->push_back(snapshotOf(node, key));
        };
        status = scene().setValue(plug, value);
        scene().beforeStore = std::move(outer);
    }
    if (snapshots->empty())
        return status;
    std::shared_ptr<Value> next(value.clone());
    record.add(
        [snapshots]() {
            for (auto it = snapshots->rbegin(); it != snapshots->rend(); ++it)
                restore(*it);
        },
        [ref, next]() { scene().setValue(ref.plug(), *next); });
    return status;
}

MStatus removeElement(UndoRecord& record, const MPlug& element, bool breakConnections) {
    PlugRef ref = refOf(element);
    if (!ref.node || !ref.key.isElement())
        return MS::kInvalidParameter;
    Value* before = ref.node->find(ref.key, false);
    if (!before)
        return MS::kSuccess;
    // The connections into and out of the element and everything below it.
    std::vector<Connection> touching;
    for (const Connection& c : scene().connectionsOf(ref.node.get()))
        if ((c.dst.node == ref.node.get() && c.dst.key.within(ref.key)) ||
            (c.src.node == ref.node.get() && c.src.key.within(ref.key)))
            touching.push_back(c);
    if (!touching.empty() && !breakConnections)
        return MS::kFailure;
    for (const Connection& c : touching) {
        MStatus status = disconnect(record, plugFor(c.src.node, c.src.key), plugFor(c.dst.node, c.dst.key));
        if (!status)
            return status;
    }
    before = ref.node->find(ref.key, false);
    std::shared_ptr<Value> previous(before->clone());
    MStatus status = scene().removeElement(element);
    if (!status)
        return status;
    record.add(
        [ref, previous]() {
            if (Value* v = ref.node->find(ref.key, true))
                v->assign(*previous);
            scene().dirtyFrom(ref.node.get(), ref.key);
        },
        [ref]() { scene().removeElement(ref.plug()); });
    return status;
}

MStatus rename(UndoRecord& record, Node* node, const std::string& wanted, std::string* given) {
    if (!node)
        return MS::kInvalidParameter;
    std::string old = node->name;
    MStatus status = scene().rename(node, wanted, given);
    if (!status)
        return status;
    std::string now = node->name;
    record.add([node, old]() { node->name = old; }, [node, now]() { node->name = now; });
    return status;
}

MStatus setLocked(UndoRecord& record, const MPlug& plug, bool locked) {
    PlugRef ref = refOf(plug);
    if (!ref.node)
        return MS::kInvalidParameter;
    bool was = ref.node->locked.count(ref.key) > 0;
    auto apply = [ref](bool state) {
        if (state)
            ref.node->locked.insert(ref.key);
        else
            ref.node->locked.erase(ref.key);
    };
    apply(locked);
    record.add([apply, was]() { apply(was); }, [apply, locked]() { apply(locked); });
    return MS::kSuccess;
}

MStatus setAlias(UndoRecord& record, Node* node, const std::string& alias, const PlugKey& key) {
    if (!node || !key.attr)
        return MS::kInvalidParameter;
    auto before = node->aliases;
    for (const auto& a : node->aliases)
        if (!alias.empty() && a.first == alias && a.second != key)
            return MS::kFailure;
    node->aliases.erase(std::remove_if(node->aliases.begin(), node->aliases.end(),
                                       [&](const auto& a) { return a.second == key; }),
                        node->aliases.end());
    if (!alias.empty())
        node->aliases.emplace_back(alias, key);
    auto after = node->aliases;
    record.add([node, before]() { node->aliases = before; }, [node, after]() { node->aliases = after; });
    return MS::kSuccess;
}

void reparent(UndoRecord& record, Node* node, Node* newParent) {
    Node* old = node->parent;
    size_t slot = 0;
    if (old)
        slot = static_cast<size_t>(std::find(old->children.begin(), old->children.end(), node) -
                                   old->children.begin());
    scene().reparent(node, newParent);
    record.add([node, old, slot]() { scene().reparent(node, old, slot); },
               [node, newParent]() { scene().reparent(node, newParent); });
}

} // namespace edit
} // namespace khost
