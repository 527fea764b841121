#include "dg/Scene.h"
#include <algorithm>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MPlugArray.h>
#include <maya/MPxNode.h>

namespace khost {

Scene& Scene::instance() {
    static Scene scene;
    return scene;
}

MPlug plugFor(Node* node, const PlugKey& key) {
    return MPlug(node->handle(), MObject(std::const_pointer_cast<Object>(key.attr->shared_from_this())),
                 key.indices);
}

PlugKey keyFor(const MPlug& plug) {
    PlugKey key;
    auto attribute = attributeOf(plug.attribute());
    key.attr = attribute.get();
    key.indices = plug.indices();
    if (key.attr)
        key.indices.resize(key.attr->arrayDepth(), -1);
    return key;
}

Node* Scene::findNode(const std::string& name) const {
    for (const auto& n : fNodes)
        if (n->name == name)
            return n.get();
    return nullptr;
}

std::string Scene::uniqueName(const std::string& wanted) const {
    std::string base = wanted.empty() ? std::string("node") : wanted;
    bool numbered = !base.empty() && base.back() == '#';
    if (numbered)
        base.pop_back();
    if (!numbered && !findNode(base))
        return base;
    // Strip a trailing number so that "pCube1" clashes become "pCube2".
    std::string stem = base;
    if (!numbered)
        while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back())))
            stem.pop_back();
    for (unsigned n = 1;; ++n) {
        std::string candidate = stem + std::to_string(n);
        if (!findNode(candidate))
            return candidate;
    }
}

std::shared_ptr<Node> Scene::createNode(NodeClass* nodeClass, const std::string& name, Node* parent,
                                        MStatus* status) {
    if (status)
        *status = MS::kSuccess;
    if (!nodeClass || !nodeClass->creator) {
        if (status)
            *status = MS::kInvalidParameter;
        return nullptr;
    }
    auto node = std::make_shared<Node>(nodeClass, uniqueName(nodeClass->name + "#"));
    node->user.reset(static_cast<MPxNode*>(nodeClass->creator()));
    if (!node->user) {
        if (status)
            *status = MS::kFailure;
        return nullptr;
    }
    node->user->hostAttach(node.get());
    // Computed values start stale so that the first read computes them.
    for (auto& root : node->roots)
        if (nodeClass->isComputed(root.first))
            root.second->setDirtyTree(true);
    fNodes.push_back(node);
    if (parent && node->isDag()) {
        node->parent = parent;
        parent->children.push_back(node.get());
    }
    node->user->postConstructor();
    // A requested name wins over whatever postConstructor chose, as with `createNode -n`.
    if (!name.empty())
        rename(node.get(), name);
    return node;
}

Scene::Removed Scene::remove(Node* node) {
    Removed removed;
    auto it = std::find_if(fNodes.begin(), fNodes.end(), [&](const auto& n) { return n.get() == node; });
    if (it == fNodes.end())
        return removed;
    removed.node = *it;
    removed.position = static_cast<size_t>(it - fNodes.begin());
    removed.connections = connectionsOf(node);
    for (const Connection& c : removed.connections)
        disconnect(plugFor(c.src.node, c.src.key), plugFor(c.dst.node, c.dst.key));
    if (node->parent) {
        auto& siblings = node->parent->children;
        auto slot = std::find(siblings.begin(), siblings.end(), node);
        removed.parentSlot = static_cast<size_t>(slot - siblings.begin());
        siblings.erase(slot);
    }
    node->isAlive = false;
    fNodes.erase(fNodes.begin() + static_cast<long>(removed.position));
    for (auto& hook : onNodeRemoved)
        hook(node);
    return removed;
}

void Scene::reinsert(const Removed& removed) {
    if (!removed.node)
        return;
    Node* node = removed.node.get();
    node->isAlive = true;
    fNodes.insert(fNodes.begin() + static_cast<long>(std::min(removed.position, fNodes.size())),
                  removed.node);
    if (node->parent) {
        auto& siblings = node->parent->children;
        siblings.insert(siblings.begin() + static_cast<long>(std::min(removed.parentSlot, siblings.size())),
                        node);
    }
    for (const Connection& c : removed.connections)
        connect(plugFor(c.src.node, c.src.key), plugFor(c.dst.node, c.dst.key));
}

MStatus Scene::rename(Node* node, const std::string& wanted, std::string* given) {
    if (!node || wanted.empty())
        return MS::kInvalidParameter;
    // The node's own current name does not count as taken.
    node->name.clear();
    std::string result = uniqueName(wanted);
    node->name = result;
    if (given)
        *given = result;
    return MS::kSuccess;
}

void Scene::reparent(Node* node, Node* newParent, size_t slot) {
    if (node->parent) {
        auto& siblings = node->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    }
    node->parent = newParent;
    if (newParent) {
        auto& siblings = newParent->children;
        siblings.insert(siblings.begin() + static_cast<long>(std::min(slot, siblings.size())), node);
    }
    for (auto& hook : onTransformChanged)
        hook(node);
}

void Scene::clear() {
    while (!fNodes.empty())
        remove(fNodes.back().get());
}

MStatus Scene::connect(const MPlug& src, const MPlug& dst) {
    Node* srcNode = nodeOf(src.node());
    Node* dstNode = nodeOf(dst.node());
    PlugKey s = keyFor(src), d = keyFor(dst);
    if (!srcNode || !dstNode || !s.attr || !d.attr || !srcNode->cls->has(s.attr) ||
        !dstNode->cls->has(d.attr))
        return MS::kInvalidParameter;
    if (!s.fullySpecified() && !s.isArrayPlug())
        return MS::kInvalidParameter;
    if (!d.fullySpecified() && !d.isArrayPlug())
        return MS::kInvalidParameter;
    if (!d.attr->writable || !d.attr->connectable || !s.attr->connectable)
        return MS::kInvalidParameter;
    if (dstNode->incoming.count(d))
        return MS::kFailure;
    dstNode->incoming[d] = Endpoint{srcNode, s};
    srcNode->outgoing.emplace(s, Endpoint{dstNode, d});
    if (Value* v = dstNode->find(d, true))
        v->setDirtyTree(true);
    dstNode->incomingMayBeDirty = true;
    if (srcNode->cls->isComputed(s.attr) && s.fullySpecified() && !srcNode->find(s, false))
        if (Value* v = srcNode->find(s, true))
            v->setDirtyTree(true);
    dirtyFrom(dstNode, d);
    return MS::kSuccess;
}

MStatus Scene::disconnect(const MPlug& src, const MPlug& dst) {
    Node* srcNode = nodeOf(src.node());
    Node* dstNode = nodeOf(dst.node());
    PlugKey s = keyFor(src), d = keyFor(dst);
    if (!srcNode || !dstNode)
        return MS::kInvalidParameter;
    auto in = dstNode->incoming.find(d);
    if (in == dstNode->incoming.end() || in->second.node != srcNode || in->second.key != s)
        return MS::kFailure;
    // The destination keeps the last value it received.
    evaluate(dstNode, d);
    dstNode->incoming.erase(in);
    auto range = srcNode->outgoing.equal_range(s);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.node == dstNode && it->second.key == d) {
            srcNode->outgoing.erase(it);
            break;
        }
    if (d.attr->disconnectBehavior == MFnAttribute::kReset) {
        if (Value* v = dstNode->find(d, false)) {
            auto fresh = std::make_unique<Value>(d.attr, v->isArray);
            v->assign(*fresh);
        }
    }
    if (Value* v = dstNode->find(d, false))
        v->setDirtyTree(false);
    dirtyFrom(dstNode, d);
    return MS::kSuccess;
}

std::vector<Connection> Scene::connectionsOf(Node* node) const {
    std::vector<Connection> result;
    for (const auto& in : node->incoming)
        result.push_back({in.second, Endpoint{node, in.first}});
    for (const auto& out : node->outgoing)
        if (out.second.node != node)
            result.push_back({Endpoint{node, out.first}, out.second});
    return result;
}

bool Scene::sourceOf(const MPlug& dst, MPlug& src) const {
    Node* node = nodeOf(dst.node());
    if (!node)
        return false;
    auto it = node->incoming.find(keyFor(dst));
    if (it == node->incoming.end())
        return false;
    src = plugFor(it->second.node, it->second.key);
    return true;
}

void Scene::pullConnections(Node* node, const PlugKey& key, int depth) {
    if (depth > 64 || !node->incomingMayBeDirty)
        return; // nothing to pull, or a cycle: give up rather than recurse forever
    std::vector<std::pair<PlugKey, Endpoint>> pending;
    bool othersDirty = false;
    for (const auto& in : node->incoming) {
        if (key.within(in.first) || in.first.within(key)) {
            pending.emplace_back(in.first, in.second);
        } else if (!othersDirty) {
            const Value* other = node->find(in.first, false);
            othersDirty = other && other->anyDirty();
        }
    }
    for (const auto& [dstKey, src] : pending) {
        Value* dst = node->find(dstKey, true);
        if (!dst || !dst->anyDirty())
            continue;
        dst->setDirtyTree(false); // before pulling, so that a cycle stops here
        Value* source = evaluate(src.node, src.key);
        if (source && source->isArray == dst->isArray) {
            dst->assign(*source);
        }
        dst->setDirtyTree(false);
    }
    if (!othersDirty)
        node->incomingMayBeDirty = false;
}

Value* Scene::evaluate(Node* node, const PlugKey& key) {
    if (!node || !key.attr)
        return nullptr;
    pullConnections(node, key, 0);
    bool computed = node->cls->isComputed(key.attr) && node->user;
    Value* value = node->find(key, false);
    if (!value && computed && key.fullySpecified()) {
        value = node->find(key, true);
        if (value)
            value->setDirtyTree(true);
    }
    if (!value || !computed)
        return value;
    // Computed values: compute each stale instance (every existing element of an array plug).
    std::vector<PlugKey> stale;
    if (value->isArray) {
        for (const auto& e : value->elements)
            if (e.second->anyDirty()) {
                PlugKey element = key;
                element.indices.back() = static_cast<int>(e.first);
                stale.push_back(element);
            }
    } else if (value->anyDirty()) {
        stale.push_back(key);
    }
    for (const PlugKey& k : stale) {
        MDataBlock block(node);
        MPlug plug = plugFor(node, k);
        node->user->compute(plug, block);
        // Whatever compute did, the plug counts as evaluated until something upstream changes again.
        if (Value* v = node->find(k, false))
            v->setDirtyTree(false);
    }
    return node->find(key, false);
}

MStatus Scene::setValue(const MPlug& plug, const Value& value) {
    Node* node = nodeOf(plug.node());
    PlugKey key = keyFor(plug);
    if (!node || !key.attr || !node->cls->has(key.attr) || (!key.fullySpecified() && !key.isArrayPlug()))
        return MS::kInvalidParameter;
    // Infinities and NaNs would spread through every evaluation and could not be saved.
    if (!value.finite())
        return MS::kInvalidParameter;
    for (const PlugKey& locked : node->locked)
        if (key.within(locked))
            return MS::kFailure;
    if (beforeStore)
        beforeStore(node, key);
    if (key.attr->internal && node->user) {
        auto temp = value.clone();
        MDataHandle handle(temp.get());
        if (node->user->setInternalValue(plug, handle)) {
            dirtyFrom(node, key);
            return MS::kSuccess;
        }
    }
    Value* target = node->find(key, true);
    if (!target)
        return MS::kInvalidParameter;
    if (target->isArray != value.isArray)
        return MS::kInvalidParameter;
    target->assign(value);
    if (!value.isArray && key.attr->kind == AttrKind::Numeric)
        target->setNumeric(key.attr->clamp(target->numeric()));
    target->setDirtyTree(false);
    dirtyFrom(node, key);
    return MS::kSuccess;
}

std::unique_ptr<Value> Scene::getValue(const MPlug& plug, MStatus* status) {
    if (status)
        *status = MS::kSuccess;
    Node* node = nodeOf(plug.node());
    PlugKey key = keyFor(plug);
    if (!node || !key.attr || !node->cls->has(key.attr)) {
        if (status)
            *status = MS::kInvalidParameter;
        return nullptr;
    }
    if (key.attr->internal && node->user) {
        auto temp = std::make_unique<Value>(key.attr, key.isArrayPlug());
        if (Value* stored = node->find(key, false))
            temp->assign(*stored);
        MDataHandle handle(temp.get());
        if (node->user->getInternalValue(plug, handle))
            return temp;
    }
    Value* value = evaluate(node, key);
    if (value)
        return value->clone();
    // An element that does not exist (or one below it) reads as the attribute's default, as in Maya.
    if (key.fullySpecified() || key.isArrayPlug())
        return std::make_unique<Value>(key.attr, key.isArrayPlug());
    if (status)
        *status = MS::kInvalidParameter;
    return nullptr;
}

MStatus Scene::removeElement(const MPlug& element) {
    Node* node = nodeOf(element.node());
    PlugKey key = keyFor(element);
    if (!node || !key.isElement())
        return MS::kInvalidParameter;
    Value* array = node->find(key.arrayKey(), false);
    if (!array || !array->removeElement(static_cast<unsigned>(key.indices.back())))
        return MS::kInvalidParameter;
    dirtyFrom(node, key.arrayKey());
    return MS::kSuccess;
}

void Scene::markDirty(Node* node, const PlugKey& key) {
    if (!key.attr)
        return;
    for (const auto& in : node->incoming)
        if (in.first.overlaps(key)) {
            node->incomingMayBeDirty = true;
            break;
        }
    // Expand unspecified indices over the elements that exist.
    std::vector<const Attribute*> chain = key.attr->chain();
    std::vector<Value*> level{node->rootValue(chain.front())};
    size_t k = 0;
    for (size_t j = 0; j < chain.size(); ++j) {
        std::vector<Value*> next;
        for (Value* v : level) {
            if (!v)
                continue;
            Value* current = j > 0 ? v->child(chain[j]) : v;
            if (!current)
                continue;
            if (chain[j]->array) {
                int index = k < key.indices.size() ? key.indices[k] : -1;
                if (index < 0) {
                    if (j + 1 == chain.size()) {
                        next.push_back(current);
                    } else {
                        for (auto& e : current->elements)
                            next.push_back(e.second.get());
                    }
                } else {
                    next.push_back(current->element(static_cast<unsigned>(index)));
                }
            } else {
                next.push_back(current);
            }
        }
        if (chain[j]->array)
            ++k;
        level = std::move(next);
    }
    for (Value* v : level)
        if (v)
            v->setDirtyTree(true);
}

void Scene::dirtyFrom(Node* node, const PlugKey& key) {
    std::set<std::pair<Node*, PlugKey>> visited;
    propagate(node, key, visited, true);
}

void Scene::propagate(Node* node, const PlugKey& key, std::set<std::pair<Node*, PlugKey>>& visited,
                      bool selfClean) {
    if (!node || !key.attr || !visited.insert({node, key}).second)
        return;
    if (!selfClean)
        markDirty(node, key);
    for (auto& hook : onPlugDirtied)
        hook(node, key);

    // Attributes affected by this one, by an ancestor, or by a descendant that changed with it.
    std::set<const Attribute*> sources;
    for (const Attribute* a = key.attr; a; a = a->parent)
        sources.insert(a);
    for (const auto& a : node->cls->attributes)
        if (key.attr->isAncestorOf(a.get()))
            sources.insert(a.get());
    // The change happened under element key.indices[0] of an array paired with the target.
    auto pairsElements = [&](const Attribute* target) {
        for (const Attribute* a = key.attr; a; a = a->parent)
            if (node->cls->elementwiseAffects.count({a, target}))
                return true;
        return false;
    };
    MPlugArray affected;
    std::set<const Attribute*> seen;
    for (const Attribute* s : sources) {
        auto it = node->cls->affects.find(s);
        if (it == node->cls->affects.end())
            continue;
        for (const Attribute* target : it->second)
            if (seen.insert(target).second) {
                PlugKey t{target, std::vector<int>(target->arrayDepth(), -1)};
                if (pairsElements(target) && !key.indices.empty() && !t.indices.empty())
                    t.indices.front() = key.indices.front();
                affected.append(plugFor(node, t));
            }
    }
    if (node->user)
        node->user->setDependentsDirty(plugFor(node, key), affected);
    for (unsigned n = 0; n < affected.length(); ++n)
        propagate(node, keyFor(affected[n]), visited, false);

    std::vector<Endpoint> downstream;
    for (const auto& out : node->outgoing)
        if (out.first.overlaps(key))
            downstream.push_back(out.second);
    for (const Endpoint& dst : downstream)
        propagate(dst.node, dst.key, visited, false);
}

} // namespace khost
