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
    MStatus status = scene().connect(src, dst);
    if (!status)
        return status;
    PlugRef s = refOf(src), d = refOf(dst);
    // A new destination element made by the connection goes away again on undo.
    record.add([s, d]() { scene().disconnect(s.plug(), d.plug()); },
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
    Value* before = ref.node->find(ref.key, false);
    std::shared_ptr<Value> previous = before ? std::shared_ptr<Value>(before->clone()) : nullptr;
    // The element (or elements on the way) that did not exist before is removed on undo.
    PlugKey created;
    if (!before) {
        PlugKey probe = ref.key;
        while (probe.attr && !ref.node->find(probe, false)) {
            if (probe.isElement())
                created = probe;
            probe = probe.parentKey();
        }
    }
    MStatus status = scene().setValue(plug, value);
    if (!status)
        return status;
    std::shared_ptr<Value> next(value.clone());
    record.add(
        [ref, previous, created]() {
            if (previous) {
                if (Value* v = ref.node->find(ref.key, true))
                    v->assign(*previous);
                scene().dirtyFrom(ref.node.get(), ref.key);
            } else if (created.attr) {
                scene().removeElement(plugFor(ref.node.get(), created));
            }
        },
        [ref, next]() { scene().setValue(ref.plug(), *next); });
    return status;
}

MStatus removeElement(UndoRecord& record, const MPlug& element) {
    PlugRef ref = refOf(element);
    if (!ref.node || !ref.key.isElement())
        return MS::kInvalidParameter;
    Value* before = ref.node->find(ref.key, false);
    if (!before)
        return MS::kInvalidParameter;
    // Break the connections into and out of the element and everything below it.
    for (const Connection& c : scene().connectionsOf(ref.node.get())) {
        bool touches = (c.dst.node == ref.node.get() && c.dst.key.within(ref.key)) ||
                       (c.src.node == ref.node.get() && c.src.key.within(ref.key));
        if (touches) {
            MStatus status =
                disconnect(record, plugFor(c.src.node, c.src.key), plugFor(c.dst.node, c.dst.key));
            if (!status)
                return status;
        }
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
