#include "dg/Node.h"
#include <cstdlib>
#include <maya/MPxNode.h>

namespace khost {

Node::Node(NodeClass* nodeClass, std::string nodeName) : cls(nodeClass), name(std::move(nodeName)) {
    for (const Attribute* a : cls->roots())
        roots[a] = Value::make(a);
}

Node::~Node() = default;

bool Node::hasFn(MFn::Type type) const {
    if (type == MFn::kDependencyNode || type == MFn::kBase || type == MFn::kNamedObject ||
        type == cls->apiType)
        return true;
    switch (cls->role) {
    case NodeRole::Transform:
        return type == MFn::kDagNode || type == MFn::kTransform;
    case NodeRole::Shape:
        return type == MFn::kDagNode || type == MFn::kShape || type == MFn::kGeometric;
    case NodeRole::Deformer:
        return type == MFn::kGeometryFilt || (cls->fromPlugin && type == MFn::kPluginDeformerNode);
    case NodeRole::Depend:
        return cls->fromPlugin && type == MFn::kPluginDependNode;
    }
    return false;
}

Value* Node::rootValue(const Attribute* attribute) {
    auto it = roots.find(attribute);
    return it == roots.end() ? nullptr : it->second.get();
}

Value* Node::find(const PlugKey& key, bool create) {
    if (!key.attr)
        return nullptr;
    std::vector<const Attribute*> chain = key.attr->chain();
    Value* current = rootValue(chain.front());
    size_t k = 0;
    for (size_t j = 0; current && j < chain.size(); ++j) {
        const Attribute* a = chain[j];
        if (j > 0)
            current = current->child(a);
        if (!current)
            return nullptr;
        if (a->array) {
            int index = k < key.indices.size() ? key.indices[k] : -1;
            ++k;
            if (index < 0)
                return j + 1 == chain.size() ? current : nullptr;
            Value* element = current->element(static_cast<unsigned>(index));
            if (!element && create)
                element = current->addElement(static_cast<unsigned>(index));
            current = element;
        }
    }
    return current;
}

// Parses "attr", "attr[3]", "parent[0].child[2].leaf" by long or short names.
PlugKey Node::keyOf(const std::string& attrPath) const {
    PlugKey key;
    std::vector<int> indices;
    size_t start = 0;
    const Attribute* current = nullptr;
    while (start <= attrPath.size()) {
        size_t dot = attrPath.find('.', start);
        std::string part = attrPath.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        int index = -1;
        size_t bracket = part.find('[');
        if (bracket != std::string::npos) {
            if (part.back() != ']')
                return {};
            std::string digits = part.substr(bracket + 1, part.size() - bracket - 2);
            if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
                digits.size() > 9)
                return {};
            index = std::atoi(digits.c_str());
            part = part.substr(0, bracket);
        }
        const Attribute* next = nullptr;
        if (!current) {
            next = cls->find(part);
            // A child may be named on its own only when no ancestor is an array.
            for (const Attribute* a = next ? next->parent : nullptr; a; a = a->parent)
                if (a->array)
                    return {};
        } else {
            for (const auto& c : current->children)
                if (c->name == part || c->shortName == part)
                    next = c.get();
        }
        if (!next)
            return {};
        if (index >= 0 && !next->array)
            return {};
        if (next->array)
            indices.push_back(index);
        current = next;
        if (dot == std::string::npos)
            break;
        // Descending below an array needs its index.
        if (current->array && index < 0)
            return {};
        start = dot + 1;
    }
    key.attr = current;
    key.indices = indices;
    return key;
}

Node* nodeOf(const MObject& object) {
    auto* node = dynamic_cast<Node*>(object.impl().get());
    return node && node->isAlive ? node : nullptr;
}

} // namespace khost
