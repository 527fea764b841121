#pragma once
// A registered node type: its attributes, their dependencies and how to make an instance.
#include "dg/Attribute.h"
#include <map>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace khost {

enum class NodeRole { Depend, Transform, Shape, Deformer };

struct NodeClass {
    std::string name;
    MTypeId id;
    MPxNode::Type pxType = MPxNode::kDependNode;
    NodeRole role = NodeRole::Depend;
    MFn::Type apiType = MFn::kDependencyNode;
    MCreatorFunction creator = nullptr;
    bool fromPlugin = false;
    std::string pluginName;

    std::vector<std::shared_ptr<Attribute>> attributes; // every attribute, in order of addition
    std::map<const Attribute*, std::set<const Attribute*>> affects;
    // Affects between two arrays that pair their elements: a change under element g of the first
    // dirties only element g of the second (a deformer's input[g] and outputGeometry[g]).
    std::set<std::pair<const Attribute*, const Attribute*>> elementwiseAffects;

    void addAttribute(const std::shared_ptr<Attribute>& attribute);
    bool has(const Attribute* attribute) const;
    std::vector<const Attribute*> roots() const;
    const Attribute* find(const std::string& name) const;
    // Where the attribute stands among the class's attributes (their order of addition); the count
    // of attributes when the class has no such attribute.
    size_t positionOf(const Attribute* attribute) const;
    // True when something affects the attribute or one of its ancestors: its value is computed.
    bool isComputed(const Attribute* attribute) const;
    // Declares that `from` affects `to` (use this rather than editing `affects` directly).
    void addAffects(const Attribute* from, const Attribute* to);

private:
    // isComputed is asked on every evaluation; its answers only change when affects do.
    mutable std::map<const Attribute*, bool> fComputed;
};

// Gives a class the attributes (and their affects) it inherits from its MPxNode base type: the geometry
// filter and deformer attributes for deformers. Called before the class's own initialize.
void prepareNodeClass(NodeClass& nodeClass);

class ClassRegistry {
public:
    static ClassRegistry& instance();
    // The class currently being initialized (MPxNode::addAttribute adds to it).
    NodeClass* initializing = nullptr;

    NodeClass* find(const std::string& name) const;
    NodeClass* find(const MTypeId& id) const;
    MStatus add(std::unique_ptr<NodeClass> nodeClass);
    MStatus remove(const MTypeId& id);
    std::vector<NodeClass*> all() const;

private:
    std::vector<std::unique_ptr<NodeClass>> fClasses;
};

} // namespace khost
