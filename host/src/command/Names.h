#pragma once
// Looking up nodes, plugs and components by the names scripts use.
#include "dg/Scene.h"
#include <maya/MSelectionList.h>
#include <string>
#include <vector>

namespace khost {

// Nodes whose name (or DAG path "|a|b", "a|b") matches; * and ? are wildcards.
std::vector<Node*> matchNodes(const std::string& pattern);
// The node with exactly this name or DAG path; null when none.
Node* findNode(const std::string& name);

struct PlugPath {
    Node* node = nullptr;
    PlugKey key;
    // "a[2:5]": key is the array plug and the range's bounds are kept here.
    bool hasRange = false;
    unsigned int first = 0, last = 0;
};

// Parses "node.attr", "node.a[3].b", "node.alias" and a last index range "node.a[2:5]".
// On failure, problem says what was wrong, in Maya's words.
bool resolvePlug(const std::string& text, PlugPath& out, std::string& problem);
// The attribute part only, for a known node; a transform without the attribute resolves it on its
// shape (out.node is then the shape).
bool resolveAttribute(Node* node, const std::string& attrPath, PlugPath& out);
// The same, on the node itself only.
bool resolveOwnAttribute(Node* node, const std::string& attrPath, PlugPath& out);

// "node.vtx[3]", "node.vtx[2:5]", "node.vtx[*]", "node.cv[1]", and "node.cv[1][2]" (ranges and * in
// either place) on a surface, on a shape or on a transform (meaning its first shape that is not an
// intermediate object).
bool resolveComponent(Node* node, const std::string& component, MSelectionList::Item& item);

// A plug's full name with long attribute names: "node.parent[0].child".
std::string plugText(Node* node, const PlugKey& key);
bool globMatch(const std::string& pattern, const std::string& text);

} // namespace khost
