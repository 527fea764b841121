#include "dg/NodeClass.h"
#include <algorithm>

namespace khost {

void NodeClass::addAttribute(const std::shared_ptr<Attribute>& attribute) {
    if (!has(attribute.get()))
        attributes.push_back(attribute);
    for (const auto& c : attribute->children)
        addAttribute(c);
}

size_t NodeClass::positionOf(const Attribute* attribute) const {
    const auto at = std::find_if(attributes.begin(), attributes.end(),
                                 [attribute](const auto& a) { return a.get() == attribute; });
    return static_cast<size_t>(at - attributes.begin());
}

bool NodeClass::has(const Attribute* attribute) const {
    return std::any_of(attributes.begin(), attributes.end(),
                       [&](const auto& a) { return a.get() == attribute; });
}

std::vector<const Attribute*> NodeClass::roots() const {
    std::vector<const Attribute*> result;
    for (const auto& a : attributes)
        if (!a->parent)
            result.push_back(a.get());
    return result;
}

const Attribute* NodeClass::find(const std::string& attrName) const {
    for (const auto& a : attributes)
        if (a->name == attrName)
            return a.get();
    for (const auto& a : attributes)
        if (a->shortName == attrName)
            return a.get();
    return nullptr;
}

bool NodeClass::isComputed(const Attribute* attribute) const {
    auto known = fComputed.find(attribute);
    if (known != fComputed.end())
        return known->second;
    bool computed = false;
    for (const Attribute* a = attribute; a && !computed; a = a->parent)
        for (const auto& entry : affects)
            if (entry.second.count(a)) {
                computed = true;
                break;
            }
    fComputed[attribute] = computed;
    return computed;
}

void NodeClass::addAffects(const Attribute* from, const Attribute* to) {
    affects[from].insert(to);
    fComputed.clear();
}

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry registry;
    return registry;
}

NodeClass* ClassRegistry::find(const std::string& name) const {
    for (const auto& c : fClasses)
        if (c->name == name)
            return c.get();
    return nullptr;
}

NodeClass* ClassRegistry::find(const MTypeId& id) const {
    for (const auto& c : fClasses)
        if (c->id == id)
            return c.get();
    return nullptr;
}

MStatus ClassRegistry::add(std::unique_ptr<NodeClass> nodeClass) {
    if (find(nodeClass->name) || find(nodeClass->id))
        return MS::kFailure;
    fClasses.push_back(std::move(nodeClass));
    return MS::kSuccess;
}

MStatus ClassRegistry::remove(const MTypeId& id) {
    auto it = std::find_if(fClasses.begin(), fClasses.end(), [&](const auto& c) { return c->id == id; });
    if (it == fClasses.end())
        return MS::kFailure;
    fClasses.erase(it);
    return MS::kSuccess;
}

std::vector<NodeClass*> ClassRegistry::all() const {
    std::vector<NodeClass*> result;
    for (const auto& c : fClasses)
        result.push_back(c.get());
    return result;
}

} // namespace khost
