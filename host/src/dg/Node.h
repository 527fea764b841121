#pragma once
// One node of the scene: its values, connections, aliases, locks and DAG place.
#include "dg/NodeClass.h"
#include "dg/PlugKey.h"
#include "dg/Value.h"
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class MPxNode;

namespace khost {

class Node;

struct Endpoint {
    Node* node = nullptr;
    PlugKey key;
};

class Node : public Object {
public:
    Node(NodeClass* nodeClass, std::string nodeName);
    ~Node() override;
    MFn::Type apiType() const override { return cls->apiType; }
    bool hasFn(MFn::Type type) const override;
    bool alive() const override { return isAlive; }

    MObject handle() { return MObject(shared_from_this()); }
    bool isDag() const { return cls->role == NodeRole::Transform || cls->role == NodeRole::Shape; }

    Value* rootValue(const Attribute* attribute);
    // The value at a key; with create, missing array elements on the way are added.
    Value* find(const PlugKey& key, bool create);
    PlugKey keyOf(const std::string& attrPath) const;

    NodeClass* cls;
    std::string name;
    bool isAlive = true;
    std::unique_ptr<MPxNode> user;
    std::map<const Attribute*, std::unique_ptr<Value>> roots;

    Node* parent = nullptr;
    std::vector<Node*> children;

    std::vector<std::pair<std::string, PlugKey>> aliases;
    std::set<PlugKey> locked;

    std::map<PlugKey, Endpoint> incoming;
    std::multimap<PlugKey, Endpoint> outgoing;
    // False once no destination of an incoming connection is dirty, so that reading the node's
    // values need not look at its connections again until one of them is dirtied.
    bool incomingMayBeDirty = false;
};

Node* nodeOf(const MObject& object);

} // namespace khost
